#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include "core/settings/PersistentSettings.h"
#include "core/workflow/AlbumJournal.h"
#include "core/workflow/DownloadJob.h"
#include "core/workflow/RunEnvironment.h"
#include "core/workflow/RunPictureNames.h"
#include "core/workflow/RunResults.h"
#include "core/workflow/SiteRun.h"

namespace albumora {

// One press of 下载: the chosen albums one after the other, each collected by the interface that
// listed it, its pictures fetched, then its side files, marker and passes; the run's last words.
// Made by the download button, run and owned by the download worker thread, gone when the run
// ends. Stop(), state() and FolderBeingDownloaded() may be called from any thread; the rest is the
// worker's, and, while an album's pictures are fetched, its picture threads'.
class DownloadRun final : public SiteRun<CollectWork> {
public:
    // The current site's records as the run started: a dialog changing them mid-run does not race
    // with the naming.
    struct Settings {
        SiteNamingRecord naming;
        SiteDownloadParams params;
    };

    DownloadRun(const RunEnvironment& environment, Settings settings, Listing& listing,
                std::function<void(const DownloadRunResult&)> publish);
    DownloadRun(const DownloadRun&) = delete;
    DownloadRun& operator=(const DownloadRun&) = delete;

    // The run, on the worker thread.
    void Run();
    // The stop button, or closing.
    void Stop();
    DownloadState state() const { return m_state; }
    // The folder of the album whose pictures are being fetched; empty outside that phase.
    WString FolderBeingDownloaded() const;
    // After a failure that ended Run() by an exception: the run reports an error and is over.
    void GiveUp();

private:
    // What one album of the run has, made afresh for each album so that nothing of it reaches
    // the next.
    struct Album {
        AlbumJournal journal;
        // The first picture of the album's last complete download.
        WString markerAddress;
        // The album's folder could not be made: its pictures are not fetched.
        bool folderFailed = false;
        // The original-name file could not be written.
        bool sideFileFailed = false;
        // A picture's journal line could not be written: the next run would fetch it again.
        // Written by the picture threads.
        std::atomic<bool> journalWriteFailed{false};
    };

    // CollectWork
    void AddPicture(const WString& pictureUrl, const WString& originalName, const WString& requestHeader,
                    int albumPosition) override {
        AppendPicture(pictureUrl, originalName, requestHeader, {}, albumPosition);
    }
    void AddRenewablePicture(const WString& pictureUrl, const WString& originalName, const WString& renewKey,
                             int albumPosition) override {
        AppendPicture(pictureUrl, originalName, {}, renewKey, albumPosition);
    }
    std::size_t PicturesCollected() const override { return m_job.size(); }
    bool CollectionEnds() const override;

    // The steps of a run, in order.
    // The save folder with the owner's folder under it; false when it cannot be had (said).
    bool MakeRunFolder();
    // The chosen albums that are in the list; none: said, and the run is over.
    std::vector<int> ChosenAlbums();
    // One album, from its collection to its passes.
    void DownloadAlbum(int position, std::size_t index, std::size_t count);
    void Finish(std::size_t from, const std::vector<int>& positions);

    // The steps of an album.
    // Makes the album's folder, clears what killed runs left in it and opens its journal; false
    // when the folder cannot be made (the user is told which).
    bool StartAlbumFolder(const ST_PERLISTRECORD& album);
    void AppendPicture(const WString& pictureUrl, const WString& originalName, const WString& requestHeader,
                       const WString& renewKey, int albumPosition);
    void AppendOriginalName(const ST_PERLISTRECORD& album, const WString& originalName, bool first);
    // After a stop during the collection, whether to fetch what was collected: asked once a run.
    bool ContinueAfterStop();
    void FetchAlbumPictures(int position, const ST_PERLISTRECORD* record, bool collectedWhole);
    bool WriteListFile(const ST_PERLISTRECORD& album);
    void FormatPass();
    void OrderPass();

    bool StopRequested() const { return m_state == DownloadState::StopRequested; }
    // The state an album ends in when nothing was lost on the way.
    AlbumRunState EndUnlessLost(bool collectedWhole) const;

    const Settings m_settings;
    const std::function<void(const DownloadRunResult&)> m_publish;

    std::atomic<DownloadState> m_state{DownloadState::Running};
    DownloadRunResult m_result;
    // The pictures of the album at work, and what its threads count.
    DownloadJob m_job;
    DownloadCounters m_counters;
    // The save folder with the owner's folder; nothing is written outside it.
    WString m_runFolder;
    // Where the save folder ends in it: no folder below may be a link.
    std::size_t m_saveFolderLength = WString::npos;
    // The names the run has given its pictures, per album and per folder.
    RunPictureNames m_names;
    std::unique_ptr<Album> m_album;
    bool m_askedAfterStop = false;
    bool m_continueAfterStop = false;
};

}  // namespace albumora
