// The download worker: the chosen albums one after the other, each collected by its site's adapter,
// fetched by DownProc, then its side files, marker and passes; the run's last words.
#include <sys/stat.h>

#include <algorithm>
#include <ctime>

#include "core/files/AtomicFile.h"
#include "core/files/FileHelpers.h"
#include "core/net/CookieStore.h"
#include "core/net/UrlCanonical.h"
#include "core/settings/AlbumMarker.h"
#include "core/settings/SettingsFolder.h"
#include "core/settings/SiteCodes.h"
#include "core/text/CodePage.h"
#include "core/workflow/Messages.h"
#include "core/workflow/SiteAdapters.h"
#include "core/workflow/Workflow.h"

namespace albumora {

namespace {

constexpr WStringView kForcedVideoExtension = u".mp4";

}  // namespace

bool Workflow::WriteListFile(const ST_PERLISTRECORD& album) {
    std::string bytes;
    m_job.ForEachPictureUrl([&bytes](const WString& url) {
        bytes += EncodeText(url, CodePage::Gbk);
        bytes += "\r\n";
    });
    return WriteFileAtomically(ToUtf8(m_job.AlbumFolder() + album.name + u".lst"), bytes);
}

void Workflow::FormatPass(WStringView forcedExtension) {
    for (size_t i = 0; i < m_job.size(); ++i) {
        const auto picture = m_job.PictureAt(i);
        auto path = m_job.TargetPath(i);
        if (!picture || !path || !FixPictureExtension(*path, forcedExtension)) {
            continue;
        }
        const WString storedAs = path->substr(path->rfind(u'/') + 1);
        m_job.SetFileName(i, storedAs);
        // The next run names the picture as this one did: the journal must lead it to the new name.
        struct stat info {};
        if (storedAs != picture->fileName && ::stat(ToUtf8(*path).c_str(), &info) == 0) {
            m_journal.Record(WithoutSignature(picture->url),
                             {picture->fileName, static_cast<std::uint64_t>(info.st_size), storedAs});
        }
    }
}

void Workflow::OrderPass() {
    // Picture 0 is the newest, each following one a minute older, so that a view sorted by time
    // shows the album's own order.
    const std::int64_t now = std::time(nullptr);
    for (size_t i = 0; i < m_job.size(); ++i) {
        if (const auto path = m_job.TargetPath(i)) {
            SetFileTimes(*path, now - 60 * static_cast<std::int64_t>(i));
        }
    }
}

void Workflow::DownPicFunc() {
    m_extension = ReadExtensionSettings(m_settingsFolder);
    DownloadRunResult result;
    auto publish = [this](const DownloadRunResult& value) {
        std::lock_guard lock(m_resultMutex);
        m_lastResult = value;
    };
    result.error = true;  // until the run is under way
    publish(result);
    const WString saveFolder = Trimmed(m_view.SaveFolderText());
    if (saveFolder.empty()) {
        m_view.ShowMessage(WString(kMsgSetSaveFolder));
        m_downloadState = DownloadState::Idle;
        return;
    }
    // A folder typed as relative names the same folder whatever the working directory of a later run.
    WString runFolder =
        saveFolder.front() == u'/' ? saveFolder : FromUtf8(AbsoluteFolder(ToUtf8(saveFolder)));
    if (runFolder.empty()) {
        m_view.ShowMessage(WString(kMsgBadSaveFolder));
        m_downloadState = DownloadState::Idle;
        return;
    }
    runFolder = WithTrailingSlash(std::move(runFolder));
    m_saveFolderLength = runFolder.size();
    runFolder += m_carry.ownerName;
    if (WString failedFolder; !CreateFolderTree(runFolder, &failedFolder, m_saveFolderLength)) {
        m_view.ShowMessage(WString(kMsgBadSaveFolder) + u"\n" + WString(kMsgCannotMakeFolder) + failedFolder);
        m_downloadState = DownloadState::Idle;
        return;
    }
    SetFolderTimes(runFolder, std::time(nullptr));
    m_runFolder = runFolder;
    m_view.ApplyControlState(ControlMoment::DownloadStarts, albums.size() == 0);
    m_job.SetAlbumFolder(runFolder);
    const int siteCode = m_siteCode;
    {
        std::lock_guard lock(m_settingsMutex);
        const size_t slot = SettingsSlot(siteCode);
        m_run.naming = m_settings.namingRecords[slot];
        m_run.params = m_settings.downloadParams[slot];
    }
    m_run.naming.optionFlags |= m_forcedRunOptions.load();
    m_counters.CopyParams(m_run.params);
    m_counters.pictureSecondsLimit = m_extension.pictureSecondsLimit;
    result.pictureSecondsLimit = m_extension.pictureSecondsLimit;
    m_names.StartRun();

    std::vector<int> positions = m_view.ChosenAlbums();
    const size_t recordCount = albums.size();
    std::erase_if(positions, [&](int p) { return p < 0 || static_cast<size_t>(p) >= recordCount; });
    albums.selectedCount = static_cast<int>(positions.size());
    result.error = positions.empty();
    if (positions.empty()) {
        // Nothing started, so there is no run to call unfinished: the line says what to do.
        m_view.ShowMessage(WString(kMsgNoAlbumChosen));
        publish(result);
        m_downloadState = DownloadState::Idle;
        m_view.ApplyControlState(ControlMoment::DownloadEnds, albums.size() == 0);
        m_view.SetStatusText(StatusLine::Main, WString(kMsgNoAlbumChosen));
        m_view.SetStatusText(StatusLine::Progress, {});
        return;
    }

    bool asked = false;
    bool continueAfterStop = false;
    // The album counter of the window is 16 bits wide.
    const size_t albumCount = std::min<size_t>(positions.size(), 65535);
    for (size_t k = 0; k < albumCount; ++k) {
        m_view.ShowAlbumState(positions[k], AlbumRunState::Waiting, 0, 0, 0);
    }
    size_t k = 0;
    for (; k < albumCount && m_downloadState != DownloadState::StopRequested; ++k) {
        const int p = positions[k];
        m_job.Clear();
        m_job.SetAlbumFolder(runFolder);
        m_albumFolderFailed = false;
        m_sideFileFailed = false;
        m_journalWriteFailed = false;
        m_journal.Close();
        DownloadState state = m_downloadState;
        while (state != DownloadState::StopRequested &&
               !m_downloadState.compare_exchange_weak(state, DownloadState::Running)) {
        }
        if (state == DownloadState::StopRequested) {
            break;
        }
        m_counters.stopRequested.Clear();
        m_view.ShowAlbumState(p, AlbumRunState::Collecting, 0, 0, 0);
        m_view.SetStatusText(StatusLine::Main, DownloadingAlbumText(k + 1, positions.size()));
        m_view.SetStatusText(StatusLine::Progress, WString(kStatusCollecting));
        {
            std::lock_guard lock(m_renewMutex);
            m_renewedUrls.clear();
            m_renewPagesAsked.clear();
        }
        StageOutcome collected;
        if (siteCode > 20) {
            m_view.ShowMessage(WString(kMsgBadSiteCode));
        } else if (const SiteAdapter* adapter = m_listedBy; siteCode == kSiteCodeHuabanDuitang && adapter) {
            collected = adapter->Collect(*this, p);
        }
        ++result.albumsDone;
        const size_t n = m_job.size();
        const auto record = albums.AlbumAt(static_cast<size_t>(p));
        const WString albumName = record ? record->name : WString();
        const std::int32_t statedCount = record ? record->pictureCount : 0;
        if (!collected.complete && m_downloadState != DownloadState::StopRequested) {
            const WString text = AlbumIncompleteText(albumName, n, statedCount, collected.problem);
            result.incompleteAlbums.push_back(text);
            m_view.SetStatusText(StatusLine::Main, text);
        }
        if (n > 0 && m_downloadState == DownloadState::StopRequested && !asked) {
            asked = true;
            // Closing the window or Ctrl-C: nobody is there to answer.
            continueAfterStop = !m_abandoned && m_view.AskYesNo(ShownText(kMsgContinueAfterStop));
            if (continueAfterStop) {
                m_counters.stopRequested.Clear();
            }
        }
        const auto total = static_cast<unsigned>(n);
        // The state an album ends in when nothing was lost on the way.
        const auto unlessLost = [&] {
            if (m_downloadState == DownloadState::StopRequested) {
                return AlbumRunState::Stopped;
            }
            return collected.complete ? AlbumRunState::Done : AlbumRunState::Incomplete;
        };
        if (n == 0 || (m_downloadState == DownloadState::StopRequested && !continueAfterStop)) {
            result.picturesNotFetched += static_cast<std::uint32_t>(n);
            m_view.ShowAlbumState(p, unlessLost(), 0, total, 0);
            continue;
        }
        result.picturesCollected += static_cast<std::uint32_t>(n);
        if (m_albumFolderFailed) {
            // Told when the folder was tried; its pictures have nowhere to go.
            result.picturesFailed += static_cast<std::uint32_t>(n);
            result.incompleteAlbums.push_back(AlbumIncompleteText(
                albumName, n, statedCount, WString(kMsgCannotMakeFolder) + m_job.AlbumFolder()));
            m_view.ShowAlbumState(p, AlbumRunState::Failed, 0, total, total);
            continue;
        }
        if (m_run.naming.HasOption(OPT_THUNDER_LIST_ONLY)) {
            const bool written = (!record || WriteListFile(*record)) && !m_sideFileFailed;
            if (!written) {
                ++result.sideFilesFailed;
            }
            m_view.ShowAlbumState(p, written ? unlessLost() : AlbumRunState::Incomplete, 0, total, 0);
            continue;
        }
        m_view.SetStatusText(StatusLine::Progress, WString(kStatusPictureDownloadStarted));
        m_view.ShowAlbumState(p, AlbumRunState::Downloading, 0, total, 0);
        DownProcResult album = DownProc();
        result.picturesFailed += album.failed;
        result.picturesFiltered += album.filtered;
        result.picturesNotFetched += album.notFetched;
        result.picturesSkipped += album.skipped;
        result.picturesTooLong += album.tooLong;
        for (auto& [url, why] : album.failedUrls) {
            if (result.failedPictures.size() < DownloadRunResult::kMaxFailedPictureUrls) {
                result.failedPictures.push_back({albumName, std::move(url), std::move(why)});
            }
        }
        // A marker after failures would make a later run skip the pictures that are missing.
        if (m_downloadState != DownloadState::StopRequested && collected.complete && album.failed == 0 &&
            album.notFetched == 0) {
            if (const auto first = m_job.PictureAt(0)) {
                WriteAlbumMarker(m_job.AlbumFolder(), WithoutSignature(first->url));
            }
        }
        if (m_run.naming.HasOption(OPT_FIX_FORMAT)) {
            FormatPass(siteCode == kSiteCodeVideos ? kForcedVideoExtension : WStringView());
        }
        if (m_run.naming.HasOption(OPT_FIX_ORDER)) {
            OrderPass();
        }
        // The journal counts as a side file: without its lines the next run cannot tell the
        // pictures apart from another picture's file of the same name.
        if (m_sideFileFailed || m_journalWriteFailed) {
            ++result.sideFilesFailed;
        }
        const unsigned lost = album.failed + album.notFetched;
        if (lost > 0 && m_downloadState != DownloadState::StopRequested) {
            m_view.ShowAlbumState(p, AlbumRunState::Failed, total - lost, total, lost);
        } else {
            m_view.ShowAlbumState(p, unlessLost(), total - lost, total, album.failed);
        }
    }
    // The albums a stop kept from their turn.
    for (; k < albumCount; ++k) {
        m_view.ShowAlbumState(positions[k], AlbumRunState::Stopped, 0, 0, 0);
    }
    m_journal.Close();
    result.stopped = m_downloadState == DownloadState::StopRequested;
    publish(result);
    m_downloadState = DownloadState::Idle;
    m_view.ApplyControlState(ControlMoment::DownloadEnds, albums.size() == 0);
    // The cookies of the run's last second reach the file now.
    if (m_cookieStore != nullptr) {
        m_cookieStore->Flush();
    }
    m_view.SetStatusText(StatusLine::Main, RunSummaryText(result));
    m_view.SetStatusText(StatusLine::Progress, {});
    // The save folder, where every album of the run is, not the last album's own.
    if (result.picturesCollected > 0 && m_run.naming.HasOption(OPT_OPEN_FOLDER_WHEN_DONE)) {
        m_view.OpenFolder(ToUtf8(WStringView(m_runFolder).substr(0, m_saveFolderLength)));
    }
}

}  // namespace albumora
