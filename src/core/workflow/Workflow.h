#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/net/URLSource2.h"
#include "core/settings/ExtensionSettings.h"
#include "core/settings/PersistentSettings.h"
#include "core/settings/SiteCodes.h"
#include "core/util/Clock.h"
#include "core/util/StopSignal.h"
#include "core/workflow/AlbumJournal.h"
#include "core/workflow/AlbumList.h"
#include "core/workflow/DownloadJob.h"
#include "core/workflow/RunPictureNames.h"
#include "core/workflow/SiteTable.h"
#include "core/workflow/SiteWork.h"
#include "core/workflow/WorkflowView.h"

namespace albumora {

class CookieStore;

// Where the list worker stands. Written by the button that starts or stops it and by the worker
// at its end.
enum class ListState : std::uint8_t { Idle, Fetching, StopRequested };
// Where the download worker stands. Written by the download button and RequestStop (start and
// stop), by the worker between albums and at its end, and by AddPicture when the marker ends an
// album's collection (AlbumDone).
enum class DownloadState : std::uint8_t { Idle, Running, AlbumDone, StopRequested };

// What one list fetch did, for the front end's last words.
struct ListRunResult {
    std::size_t albums = 0;
    bool complete = true;         // every page of the listing was read
    bool stopped = false;         // a stop ended the fetch
    bool addressProblem = false;  // the address was refused before anything was fetched
    WString problem;              // why the listing is not complete
};

// What one download run did, for the front end's last words.
struct DownloadRunResult {
    std::uint32_t albumsDone = 0;
    std::uint32_t picturesCollected = 0;
    std::uint32_t picturesFailed = 0;       // could not be fetched or saved
    std::uint32_t picturesFiltered = 0;     // left out by the size limits, as asked
    std::uint32_t picturesNotFetched = 0;   // still waiting when the stop came
    std::uint32_t picturesSkipped = 0;      // saved by an earlier run and still there
    std::uint32_t picturesTooLong = 0;      // among the failed: past the time bound of a picture
    std::uint32_t pictureSecondsLimit = 0;  // that bound, for the message
    std::uint32_t sideFilesFailed = 0;      // list or original-name files that could not be written
    // One text for each album whose pictures could not all be listed or whose folder could not be
    // made: its name, how far it got, why.
    std::vector<WString> incompleteAlbums;
    // The pictures that could not be saved, at most kMaxFailedPictureUrls: which album, which
    // address, and why, for the user to read and to try again.
    struct FailedPicture {
        WString album;
        WString url;
        WString reason;
    };
    std::vector<FailedPicture> failedPictures;
    static constexpr std::size_t kMaxFailedPictureUrls = 10000;
    bool stopped = false;
    bool error = false;  // the run could not start (save folder, no album chosen) or broke off

    // True when everything chosen was saved (pictures the size limits kept out are the user's
    // filter, not a failure).
    bool Complete() const {
        return !stopped && !error && picturesFailed == 0 && picturesNotFetched == 0 && sideFilesFailed == 0 &&
               incompleteAlbums.empty();
    }
};

// The state that the window and the workers share, and the two workers. A front end owns one,
// implements the view, and presses the buttons; the workers run on their own threads and reach the
// front end only through the view. The site adapters see it only as their SiteWork.
class Workflow final : private SiteWork {
public:
    Workflow(WorkflowView& view, std::string settingsFolder, CookieStore* cookieStore,
             Clock& clock = SystemClock::Instance());
    ~Workflow();
    Workflow(const Workflow&) = delete;
    Workflow& operator=(const Workflow&) = delete;

    // --- buttons (interface thread) ---

    // Starts the album-list fetch, or requests its stop while one runs. False before MarkReady.
    bool OnListButton();
    // Starts the download of the chosen albums, or requests the stop while one runs.
    bool OnDownloadButton();
    // Asks whatever runs to stop, as the two buttons do, and starts nothing from then on (no
    // automatic download after a list, no button): for closing the window or Ctrl-C. Safe from any
    // thread; a worker's yes/no question is then answered no without asking.
    void RequestStop();
    // True while a worker thread runs its body; a front end that must not block on a worker (its
    // interface thread serves the worker's questions) waits for this to turn false first.
    bool WorkersRunning() const;
    // Waits until no worker runs; the workers must not be blocked on the caller.
    void WaitForWorkers();

    // --- settings (any thread) ---

    PersistentSettings SettingsCopy() const;
    // Changes the image under its lock and saves it at once; returns whether the save succeeded.
    bool EditSettings(const std::function<void(PersistentSettings&)>& edit);
    // Replaces the image without saving (the load at start-up).
    void ResetSettings(const PersistentSettings& settings);
    // Remembers a text in a history; when it is new, tells the view and saves the settings.
    bool RememberHistory(HistoryKind kind, const WString& text);
    const std::string& settingsFolder() const { return m_settingsFolder; }

    // Shares what this workflow learns of the sites' interfaces with others of the same run (a
    // batch of addresses); before any worker starts.
    void ShareSiteInterfaces(SiteInterfaces& interfaces) { m_siteInterfaces = &interfaces; }

    // Option bits (OPT_...) that the download runs of this workflow take in addition to the saved
    // settings, which stay as they are: a command line's choice for one run.
    void ForceRunOptions(std::uint16_t options) { m_forcedRunOptions = options; }

    DownloadRunResult lastRunResult() const;
    ListRunResult lastListResult() const;

    CookieStore* cookieStore() const { return m_cookieStore; }
    // A request that saves into `savePath`, with the shared cookies and clock, ended by any stop of
    // the page requests: for what the window fetches beside the workers.
    ST_URLREQUEST NewFileRequest(WString url, WString savePath) const;

    // Adds an album record (only once ready) and shows it: what a listing finds.
    void AddAlbum(ST_PERLISTRECORD record) override;

    // --- what the front ends read (any thread) ---

    ListState listState() const { return m_listState; }
    DownloadState downloadState() const { return m_downloadState; }
    // Always 18 (Huaban and Duitang) in this build; the settings slot follows from it.
    int siteCode() const { return m_siteCode; }
    // The folder of the album whose pictures are being fetched; empty outside that phase.
    WString FolderBeingDownloaded() const;

    // Lets the workers add what they find; a front end calls it once its window or output is up.
    void MarkReady() { m_ready = true; }
    bool ready() const { return m_ready; }

    // The albums of the last listing, with their choice. Written by the list worker while it runs
    // and by the interface thread (choice, rating sort) while no worker runs; its own lock.
    AlbumList albums;

private:
    // What the site adapters may do (SiteWork).
    ST_URLREQUEST NewRequest(WString url) const override { return NewFileRequest(std::move(url), {}); }
    void Pause(std::chrono::milliseconds duration) const override { m_clock.SleepFor(duration, m_stopPages); }
    bool PagesStopped() const override { return m_stopPages.raised(); }
    bool ListStopRequested() const override { return m_listState == ListState::StopRequested; }
    void ForgetCookiesOf(const WString& address) override;
    void ShowMessage(const WString& text) override { m_view.ShowMessage(text); }
    void SetSiteSubKind(int subKind) override { m_siteSubKind = subKind; }
    std::optional<ST_PERLISTRECORD> AlbumAt(std::size_t position) const override {
        return albums.AlbumAt(position);
    }
    void AddPicture(const WString& pictureUrl, const WString& originalName, const WString& requestHeader,
                    int albumPosition) override {
        AppendPicture(pictureUrl, originalName, requestHeader, {}, albumPosition);
    }
    void AddRenewablePicture(const WString& pictureUrl, const WString& originalName, const WString& renewKey,
                             int albumPosition) override {
        AppendPicture(pictureUrl, originalName, {}, renewKey, albumPosition);
    }
    void AppendPicture(const WString& pictureUrl, const WString& originalName, const WString& requestHeader,
                       const WString& renewKey, int albumPosition);
    std::size_t PicturesCollected() const override { return m_job.size(); }
    bool CollectionEnds() const override;
    Carry& carry() override { return m_carry; }

    struct RunSettings {
        SiteNamingRecord naming;
        SiteDownloadParams params;
    };

    // Makes the album's folder, clears what killed runs left in it and opens its journal; false
    // when the folder cannot be made (the user is told which).
    bool StartAlbumFolder(const ST_PERLISTRECORD& album);
    void AppendOriginalName(const ST_PERLISTRECORD& album, const WString& originalName, bool first);
    void StopDownload();
    // The worker bodies, each on a thread of its own that the buttons start.
    void GetListFunc();
    void DownPicFunc();
    // Runs a worker's body; when it throws, tells the user and gives the controls back.
    void RunGuarded(const char* name, const std::function<void()>& body,
                    const std::function<void()>& giveControlsBack);

    // Downloads the job's pictures with up to `activeThreadCount` picture threads; returns how
    // many failed.
    struct DownProcResult {
        std::uint32_t failed = 0;
        std::uint32_t filtered = 0;
        std::uint32_t notFetched = 0;
        std::uint32_t skipped = 0;
        std::vector<std::pair<WString, WString>> failedUrls;  // address and why
        std::uint32_t tooLong = 0;  // among the failed: past the time bound of a picture
    };
    DownProcResult DownProc();
    // CutOff: a stop ended the picture's exchange; it is not done, and no failure of the site's.
    enum class PictureEnd { Saved, Skipped, Filtered, Failed, TooLong, CutOff };
    // Fetches picture `index` into its file, unless the journal shows it saved before and still there;
    // `why` says what went wrong when it failed.
    PictureEnd FetchPicture(std::size_t index, std::uint64_t generation, WString& why);
    // True when the journal has picture `index` under its present name, with its file still whole.
    bool AlreadySaved(std::size_t index, const DownloadJob::Picture& picture, const WString& target);
    // A fresh address for a picture whose signed one expired; empty when the site gives none.
    WString RenewedPictureUrl(const DownloadJob::Picture& picture);
    bool WriteListFile(const ST_PERLISTRECORD& album);
    void FormatPass(WStringView forcedExtension);
    void OrderPass();

    // The pictures of the current album: filled by the download worker, read by picture threads.
    DownloadJob m_job;
    DownloadCounters m_counters;

    // Written by the buttons when a worker starts or is asked to stop, and by the worker itself
    // between albums and at its end (see the state enums).
    std::atomic<ListState> m_listState{ListState::Idle};
    std::atomic<DownloadState> m_downloadState{DownloadState::Idle};
    // Written by the list worker and read by the download worker, which never run together.
    std::atomic<int> m_siteCode{kSiteCodeHuabanDuitang};
    std::atomic<int> m_siteSubKind{-1};
    std::atomic<bool> m_ready{false};

    WorkflowView& m_view;
    std::string m_settingsFolder;
    ExtensionSettings m_extension;  // read afresh by each worker at its start, for adapters of further sites
    CookieStore* m_cookieStore;
    Clock& m_clock;

    mutable std::mutex m_settingsMutex;
    PersistentSettings m_settings;

    // The download run's copy of the current site's records, so that a dialog changing them
    // mid-run does not race with the naming.
    RunSettings m_run;
    // The save folder with the owner's folder; nothing is written outside it.
    WString m_runFolder;
    // Where the save folder ends in it: no folder below may be a link.
    std::size_t m_saveFolderLength = WString::npos;
    // A picture's line could not be added to the album's journal: the next run would fetch it
    // again, so the album is not complete. Written by the picture threads.
    std::atomic<bool> m_journalWriteFailed{false};
    // The names the run has given its pictures, per album and per folder.
    RunPictureNames m_names;
    // The current album's record of saved pictures, read at its start and appended to as pictures
    // are saved.
    AlbumJournal m_journal;
    // Written and read by the workers only, which never run at the same time.
    Carry m_carry;
    // Which sites have moved to their present interface: this workflow's own, or a run's.
    SiteInterfaces m_ownSiteInterfaces;
    SiteInterfaces* m_siteInterfaces = &m_ownSiteInterfaces;
    // The interface that listed the albums, which collects their pictures. Written by the list
    // worker, read by the download worker and its picture threads.
    std::atomic<const SiteAdapter*> m_listedBy{nullptr};
    // Fresh addresses of expired signed links, by renew key; the pages asked for them. Filled by
    // the picture threads of one album, under its lock, so that one page is asked once.
    std::mutex m_renewMutex;
    std::unordered_map<WString, WString> m_renewedUrls;
    std::unordered_set<WString> m_renewPagesAsked;
    // The first picture of the current album's last complete download.
    WString m_markerAddress;
    // The current album's folder could not be made: its pictures are not fetched.
    bool m_albumFolderFailed = false;
    // The current album's original-name file could not be written.
    bool m_sideFileFailed = false;

    // Wakes the download coordinator: a picture finished, or the stop was pressed.
    std::mutex m_coordinatorMutex;
    std::condition_variable m_coordinatorWake;

    mutable std::mutex m_resultMutex;
    DownloadRunResult m_lastResult;
    ListRunResult m_lastList;

    std::atomic<bool> m_abandoned{false};
    std::atomic<std::uint16_t> m_forcedRunOptions{0};
    // Ends the page requests in flight and the pauses between pages when a stop is pressed;
    // cleared when a worker starts.
    StopSignal m_stopPages;
    std::atomic<int> m_workersRunning{0};
    std::thread m_listThread;
    std::thread m_downloadThread;
};

}  // namespace albumora
