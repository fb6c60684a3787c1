#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "core/net/URLSource2.h"
#include "core/settings/PersistentSettings.h"
#include "core/settings/SiteCodes.h"
#include "core/util/Clock.h"
#include "core/util/StopSignal.h"
#include "core/workflow/AlbumList.h"
#include "core/workflow/RunEnvironment.h"
#include "core/workflow/RunResults.h"
#include "core/workflow/SiteTable.h"
#include "core/workflow/WorkflowView.h"

namespace albumora {

class CookieStore;
class DownloadRun;
class ListRun;

// The controller of the runs: the list button makes a list run and the download button a download
// run, each on a worker thread of its own that owns it; this starts, stops and reports them, and
// keeps what outlives a run: the settings, the albums of the last listing and what that listing
// left for its downloads. A front end owns one, implements the view and presses the buttons; the
// runs reach the front end only through the view.
class Workflow final {
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
    // thread; a run's yes/no question is then answered no without asking.
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
    // A request that saves into `savePath`, with the shared cookies and clock, ended when the
    // workflow is stopped for good: for what the window fetches beside the runs.
    ST_URLREQUEST NewFileRequest(WString url, WString savePath) const;

    // --- what the front ends read (any thread) ---

    ListState listState() const;
    DownloadState downloadState() const;
    // Always 18 (Huaban and Duitang) in this build; the settings slot follows from it.
    int siteCode() const { return kSiteCodeHuabanDuitang; }
    // The folder of the album whose pictures are being fetched; empty outside that phase.
    WString FolderBeingDownloaded() const;

    // Lets the runs add what they find; a front end calls it once its window or output is up.
    void MarkReady() { m_ready = true; }
    bool ready() const { return m_ready; }

    // The albums of the last listing, with their choice. Written by a list run while it runs and
    // by the interface thread (choice, rating sort) while no run lists; its own lock.
    AlbumList albums;

private:
    RunEnvironment Environment();
    // Runs a worker's body; when it throws, tells the user and gives the controls back.
    void RunGuarded(const char* name, const std::function<void()>& body,
                    const std::function<void()>& giveControlsBack);
    // Registers the run in `slot`, where stops reach it, and starts it on `thread`, which drops it
    // from the slot when it ends; false (and said) when no thread can be had.
    template <typename Run>
    bool Launch(std::shared_ptr<Run> run, std::shared_ptr<Run>& slot, std::thread& thread, const char* name,
                ControlMoment end, WStringView failure);

    WorkflowView& m_view;
    const std::string m_settingsFolder;
    CookieStore* const m_cookieStore;
    Clock& m_clock;

    mutable std::mutex m_settingsMutex;
    PersistentSettings m_settings;

    // Which sites have moved to their present interface: this workflow's own, or a batch's.
    SiteInterfaces m_ownSiteInterfaces;
    SiteInterfaces* m_siteInterfaces = &m_ownSiteInterfaces;
    // What the last listing left for the downloads of its albums.
    Listing m_listing;

    // The runs at work, shared with their worker threads so that a stop from any thread reaches a
    // run that is still there; null when none runs. Under m_runMutex.
    mutable std::mutex m_runMutex;
    std::shared_ptr<ListRun> m_listRun;
    std::shared_ptr<DownloadRun> m_downloadRun;

    mutable std::mutex m_resultMutex;
    DownloadRunResult m_lastResult;
    ListRunResult m_lastList;

    std::atomic<bool> m_ready{false};
    // Stopped for good: closing the window or Ctrl-C.
    std::atomic<bool> m_abandoned{false};
    StopSignal m_closing;
    std::atomic<std::uint16_t> m_forcedRunOptions{0};
    std::atomic<int> m_workersRunning{0};
    std::thread m_listThread;
    std::thread m_downloadThread;
};

}  // namespace albumora
