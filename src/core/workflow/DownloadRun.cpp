#include "core/workflow/DownloadRun.h"

#include <algorithm>
#include <ctime>

#include "core/files/FileHelpers.h"
#include "core/net/CookieStore.h"
#include "core/net/UrlCanonical.h"
#include "core/settings/AlbumMarker.h"
#include "core/settings/ExtensionSettings.h"
#include "core/settings/SettingsFolder.h"
#include "core/workflow/Messages.h"
#include "core/workflow/PictureFetch.h"
#include "core/workflow/SiteAdapters.h"

namespace albumora {

namespace {

// The album counter of the window is 16 bits wide.
constexpr std::size_t kMaxAlbumsARun = 65535;

}  // namespace

DownloadRun::DownloadRun(const RunEnvironment& environment, Settings settings, Listing& listing,
                         std::function<void(const DownloadRunResult&)> publish)
    : SiteRun(environment, listing), m_settings(std::move(settings)), m_publish(std::move(publish)) {}

void DownloadRun::Stop() {
    DownloadState state = m_state;
    while (state != DownloadState::Idle &&
           !m_state.compare_exchange_weak(state, DownloadState::StopRequested)) {
    }
    if (state != DownloadState::Idle) {
        m_stopPages.Raise();
        m_counters.RaiseStop();
    }
}

void DownloadRun::GiveUp() {
    m_counters.downloadActive = false;
    m_result.error = true;
    m_publish(m_result);
    m_state = DownloadState::Idle;
}

WString DownloadRun::FolderBeingDownloaded() const {
    return m_counters.downloadActive ? m_job.AlbumFolder() : WString();
}

bool DownloadRun::CollectionEnds() const {
    const DownloadState state = m_state;
    return state == DownloadState::AlbumDone || state == DownloadState::StopRequested;
}

void DownloadRun::Run() {
    m_result.error = true;  // until the run is under way
    m_publish(m_result);
    if (!MakeRunFolder()) {
        m_state = DownloadState::Idle;
        return;
    }
    m_env.view.ApplyControlState(ControlMoment::DownloadStarts, m_env.albums.size() == 0);
    m_counters.CopyParams(m_settings.params);
    m_counters.pictureSecondsLimit = ReadExtensionSettings(m_env.settingsFolder).pictureSecondsLimit;
    m_result.pictureSecondsLimit = m_counters.pictureSecondsLimit;

    const std::vector<int> positions = ChosenAlbums();
    if (positions.empty()) {
        return;
    }
    const std::size_t count = std::min(positions.size(), kMaxAlbumsARun);
    for (std::size_t k = 0; k < count; ++k) {
        m_env.view.ShowAlbumState(positions[k], AlbumRunState::Waiting, 0, 0, 0);
    }
    std::size_t k = 0;
    for (; k < count && !StopRequested(); ++k) {
        // The marker may have ended the last album's collection; a stop pressed meanwhile holds.
        DownloadState state = m_state;
        while (state != DownloadState::StopRequested &&
               !m_state.compare_exchange_weak(state, DownloadState::Running)) {
        }
        if (state == DownloadState::StopRequested) {
            break;
        }
        DownloadAlbum(positions[k], k, positions.size());
    }
    m_album.reset();
    Finish(k, positions);
}

bool DownloadRun::MakeRunFolder() {
    const WString saveFolder = Trimmed(m_env.view.SaveFolderText());
    if (saveFolder.empty()) {
        m_env.view.ShowMessage(WString(kMsgSetSaveFolder));
        return false;
    }
    // A folder typed as relative names the same folder whatever the working directory of a later run.
    WString runFolder =
        saveFolder.front() == u'/' ? saveFolder : FromUtf8(AbsoluteFolder(ToUtf8(saveFolder)));
    if (runFolder.empty()) {
        m_env.view.ShowMessage(WString(kMsgBadSaveFolder));
        return false;
    }
    runFolder = WithTrailingSlash(std::move(runFolder));
    m_saveFolderLength = runFolder.size();
    runFolder += m_listing.carry.ownerName;
    if (WString failedFolder; !CreateFolderTree(runFolder, &failedFolder, m_saveFolderLength)) {
        m_env.view.ShowMessage(WString(kMsgBadSaveFolder) + u"\n" + WString(kMsgCannotMakeFolder) +
                               failedFolder);
        return false;
    }
    SetFolderTimes(runFolder, std::time(nullptr));
    m_runFolder = runFolder;
    m_job.SetAlbumFolder(runFolder);
    m_names.StartRun();
    return true;
}

std::vector<int> DownloadRun::ChosenAlbums() {
    std::vector<int> positions = m_env.view.ChosenAlbums();
    const std::size_t recordCount = m_env.albums.size();
    std::erase_if(positions, [&](int p) { return p < 0 || static_cast<std::size_t>(p) >= recordCount; });
    m_env.albums.selectedCount = static_cast<int>(positions.size());
    m_result.error = positions.empty();
    if (positions.empty()) {
        // Nothing started, so there is no run to call unfinished: the line says what to do.
        m_env.view.ShowMessage(WString(kMsgNoAlbumChosen));
        m_publish(m_result);
        m_state = DownloadState::Idle;
        m_env.view.ApplyControlState(ControlMoment::DownloadEnds, m_env.albums.size() == 0);
        m_env.view.SetStatusText(StatusLine::Main, WString(kMsgNoAlbumChosen));
        m_env.view.SetStatusText(StatusLine::Progress, {});
    }
    return positions;
}

void DownloadRun::DownloadAlbum(int position, std::size_t index, std::size_t count) {
    m_job.Clear();
    m_job.SetAlbumFolder(m_runFolder);
    m_album = std::make_unique<Album>();
    m_counters.stopRequested.Clear();
    m_env.view.ShowAlbumState(position, AlbumRunState::Collecting, 0, 0, 0);
    m_env.view.SetStatusText(StatusLine::Main, DownloadingAlbumText(index + 1, count));
    m_env.view.SetStatusText(StatusLine::Progress, WString(kStatusCollecting));

    StageOutcome collected;
    if (const SiteAdapter* adapter = m_listing.adapter) {
        collected = adapter->Collect(*this, position);
    }
    ++m_result.albumsDone;
    const std::size_t n = m_job.size();
    const auto record = m_env.albums.AlbumAt(static_cast<std::size_t>(position));
    if (!collected.complete && !StopRequested()) {
        const WString text = AlbumIncompleteText(record ? record->name : WString(), n,
                                                 record ? record->pictureCount : 0, collected.problem);
        m_result.incompleteAlbums.push_back(text);
        m_env.view.SetStatusText(StatusLine::Main, text);
    }
    const bool fetch = n > 0 && (!StopRequested() || ContinueAfterStop());
    const auto total = static_cast<unsigned>(n);
    if (!fetch) {
        m_result.picturesNotFetched += static_cast<std::uint32_t>(n);
        m_env.view.ShowAlbumState(position, EndUnlessLost(collected.complete), 0, total, 0);
        return;
    }
    m_result.picturesCollected += static_cast<std::uint32_t>(n);
    FetchAlbumPictures(position, record ? &*record : nullptr, collected.complete);
}

AlbumRunState DownloadRun::EndUnlessLost(bool collectedWhole) const {
    if (StopRequested()) {
        return AlbumRunState::Stopped;
    }
    return collectedWhole ? AlbumRunState::Done : AlbumRunState::Incomplete;
}

bool DownloadRun::ContinueAfterStop() {
    if (!m_askedAfterStop) {
        m_askedAfterStop = true;
        // Closing the window or Ctrl-C: nobody is there to answer.
        m_continueAfterStop = !m_env.abandoned && m_env.view.AskYesNo(ShownText(kMsgContinueAfterStop));
        if (m_continueAfterStop) {
            m_counters.stopRequested.Clear();
        }
    }
    return m_continueAfterStop;
}

void DownloadRun::FetchAlbumPictures(int position, const ST_PERLISTRECORD* record, bool collectedWhole) {
    const auto total = static_cast<unsigned>(m_job.size());
    const WString albumName = record ? record->name : WString();
    if (m_album->folderFailed) {
        // Told when the folder was tried; its pictures have nowhere to go.
        m_result.picturesFailed += total;
        m_result.incompleteAlbums.push_back(
            AlbumIncompleteText(albumName, total, record ? record->pictureCount : 0,
                                WString(kMsgCannotMakeFolder) + m_job.AlbumFolder()));
        m_env.view.ShowAlbumState(position, AlbumRunState::Failed, 0, total, total);
        return;
    }
    if (m_settings.naming.HasOption(OPT_THUNDER_LIST_ONLY)) {
        const bool written = (!record || WriteListFile(*record)) && !m_album->sideFileFailed;
        if (!written) {
            ++m_result.sideFilesFailed;
        }
        m_env.view.ShowAlbumState(
            position, written ? EndUnlessLost(collectedWhole) : AlbumRunState::Incomplete, 0, total, 0);
        return;
    }
    m_env.view.SetStatusText(StatusLine::Progress, WString(kStatusPictureDownloadStarted));
    m_env.view.ShowAlbumState(position, AlbumRunState::Downloading, 0, total, 0);
    PictureFetch fetch({m_job, m_counters, m_album->journal, m_album->journalWriteFailed, m_listing.adapter,
                        *this, m_env.cookieStore, m_env.clock, m_env.view});
    PictureFetchResult album = fetch.Run();
    m_result.picturesFailed += album.failed;
    m_result.picturesFiltered += album.filtered;
    m_result.picturesNotFetched += album.notFetched;
    m_result.picturesSkipped += album.skipped;
    m_result.picturesTooLong += album.tooLong;
    for (auto& [url, why] : album.failedUrls) {
        if (m_result.failedPictures.size() < DownloadRunResult::kMaxFailedPictureUrls) {
            m_result.failedPictures.push_back({albumName, std::move(url), std::move(why)});
        }
    }
    // A marker after failures would make a later run skip the pictures that are missing.
    if (!StopRequested() && collectedWhole && album.failed == 0 && album.notFetched == 0) {
        if (const auto first = m_job.PictureAt(0)) {
            WriteAlbumMarker(m_job.AlbumFolder(), WithoutSignature(first->url));
        }
    }
    if (m_settings.naming.HasOption(OPT_FIX_FORMAT)) {
        FormatPass();
    }
    if (m_settings.naming.HasOption(OPT_FIX_ORDER)) {
        OrderPass();
    }
    // The journal counts as a side file: without its lines the next run cannot tell the
    // pictures apart from another picture's file of the same name.
    if (m_album->sideFileFailed || m_album->journalWriteFailed) {
        ++m_result.sideFilesFailed;
    }
    const unsigned lost = album.failed + album.notFetched;
    if (lost > 0 && !StopRequested()) {
        m_env.view.ShowAlbumState(position, AlbumRunState::Failed, total - lost, total, lost);
    } else {
        m_env.view.ShowAlbumState(position, EndUnlessLost(collectedWhole), total - lost, total, album.failed);
    }
}

void DownloadRun::Finish(std::size_t from, const std::vector<int>& positions) {
    // The albums a stop kept from their turn.
    for (std::size_t k = from; k < std::min(positions.size(), kMaxAlbumsARun); ++k) {
        m_env.view.ShowAlbumState(positions[k], AlbumRunState::Stopped, 0, 0, 0);
    }
    m_result.stopped = StopRequested();
    m_publish(m_result);
    m_state = DownloadState::Idle;
    m_env.view.ApplyControlState(ControlMoment::DownloadEnds, m_env.albums.size() == 0);
    // The cookies of the run's last second reach the file now.
    if (m_env.cookieStore != nullptr) {
        m_env.cookieStore->Flush();
    }
    m_env.view.SetStatusText(StatusLine::Main, RunSummaryText(m_result));
    m_env.view.SetStatusText(StatusLine::Progress, {});
    // The save folder, where every album of the run is, not the last album's own.
    if (m_result.picturesCollected > 0 && m_settings.naming.HasOption(OPT_OPEN_FOLDER_WHEN_DONE)) {
        m_env.view.OpenFolder(ToUtf8(WStringView(m_runFolder).substr(0, m_saveFolderLength)));
    }
}

}  // namespace albumora
