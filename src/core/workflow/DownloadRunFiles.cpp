// The files of an album of a download run: its folder, its pictures' names, its side files and
// the passes over the saved pictures.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "core/files/AtomicFile.h"
#include "core/files/DescriptorIo.h"
#include "core/files/FileHelpers.h"
#include "core/files/TemporaryFiles.h"
#include "core/net/UrlCanonical.h"
#include "core/settings/AlbumMarker.h"
#include "core/settings/SiteCodes.h"
#include "core/text/CodePage.h"
#include "core/text/Utf16Bytes.h"
#include "core/workflow/DownloadRun.h"
#include "core/workflow/Messages.h"
#include "core/workflow/PictureNaming.h"

namespace albumora {

bool DownloadRun::StartAlbumFolder(const ST_PERLISTRECORD& album) {
    const NamingContext context{m_settings.naming,      album,
                                kSiteCodeHuabanDuitang, m_env.albums.selectedCount,
                                m_env.albums.size(),    m_listing.carry.ownerName};
    const WString folderName = AlbumFolderName(context);
    WString folder = m_job.AlbumFolder();
    if (!folderName.empty()) {
        folder += folderName + u"/";
        m_job.SetAlbumFolder(folder);
    }
    m_names.StartAlbum(m_job.AlbumFolder());
    WString failedFolder;
    if (!CreateFolderTree(folder, &failedFolder, m_saveFolderLength)) {
        m_env.view.ShowMessage(WString(kMsgCannotMakeFolder) + failedFolder);
        return false;
    }
    SetFolderTimes(folder, std::time(nullptr));
    RemoveStaleTemporaries(ToUtf8(m_job.AlbumFolder()));
    m_album->journal.Open(m_job.AlbumFolder());
    m_album->markerAddress = ReadAlbumMarker(m_job.AlbumFolder());
    return true;
}

void DownloadRun::AppendOriginalName(const ST_PERLISTRECORD& album, const WString& originalName, bool first) {
    bool& failed = m_album->sideFileFailed;
    if (m_album->folderFailed || (failed && !first)) {
        return;
    }
    const std::string path = ToUtf8(m_job.AlbumFolder() + album.name + u".txt");
    const std::string line = EncodeUtf16Le(originalName + u"\r\n");
    if (first) {
        // A new file renamed over the name: a link or a FIFO planted there is replaced, not used.
        failed = !WriteFileAtomically(path, "\xFF\xFE" + line);
        return;
    }
    // Not created again: a file removed mid-run stays removed.
    const int fd = OpenForAppending(path, false);
    if (fd < 0) {
        failed = failed || errno != ENOENT;
        return;
    }
    const bool written = WriteAll(fd, line);
    failed = (::close(fd) != 0 || !written) || failed;
}

void DownloadRun::AppendPicture(const WString& pictureUrl, const WString& originalName,
                                const WString& requestHeader, const WString& renewKey, int albumPosition) {
    const auto album = m_env.albums.AlbumAt(static_cast<size_t>(albumPosition));
    if (!album) {
        return;
    }
    const size_t n = m_job.size();
    const NamingContext context{m_settings.naming,      *album,
                                kSiteCodeHuabanDuitang, m_env.albums.selectedCount,
                                m_env.albums.size(),    m_listing.carry.ownerName};
    // A whole path is honoured only inside the run's folder: a site's text must never place a
    // file elsewhere.
    WString description = originalName;
    if (IsAbsolutePictureName(description) && (m_runFolder.empty() || !description.starts_with(m_runFolder) ||
                                               description.find(u"/..") != WString::npos)) {
        description.erase(0, description.find_first_not_of(u'/'));
    }
    // A signed link changes from day to day; the picture, and so its name, does not.
    const WString identity = WithoutSignature(pictureUrl);
    PictureNameDraft draft = DraftPictureName(context, identity, description, n);
    if (n == 0) {
        m_album->folderFailed = !StartAlbumFolder(*album);
    }
    const WString folder = m_job.AlbumFolder();
    const auto takenOnDisk = [&](const WString& candidate) {
        struct stat info {};
        return ::lstat(ToUtf8(folder + candidate).c_str(), &info) == 0 &&
               !m_album->journal.Owns(identity, candidate);
    };
    const WString name = m_names.Finish(std::move(draft), folder.size(), n, takenOnDisk);

    if (m_settings.naming.HasOption(OPT_SKIP_DOWNLOADED) && !m_album->markerAddress.empty() &&
        identity == m_album->markerAddress) {
        // The marker is the first picture of the last complete download: the rest was saved then.
        // A stop pressed meanwhile must not be turned into a mere end of the album.
        DownloadState expected = DownloadState::Running;
        m_state.compare_exchange_strong(expected, DownloadState::AlbumDone);
        return;
    }
    m_job.AppendPicture(pictureUrl, name, requestHeader, renewKey);
    m_names.Take(name);
    m_env.view.SetStatusText(StatusLine::Progress, CollectedPicturesText(n + 1));
    if (m_settings.naming.HasOption(OPT_ORIGINAL_NAME_FILE)) {
        AppendOriginalName(*album, originalName, n == 0);
    }
}

bool DownloadRun::WriteListFile(const ST_PERLISTRECORD& album) {
    std::string bytes;
    m_job.ForEachPictureUrl([&bytes](const WString& url) {
        bytes += EncodeText(url, CodePage::Gbk);
        bytes += "\r\n";
    });
    return WriteFileAtomically(ToUtf8(m_job.AlbumFolder() + album.name + u".lst"), bytes);
}

void DownloadRun::FormatPass() {
    for (size_t i = 0; i < m_job.size(); ++i) {
        const auto picture = m_job.PictureAt(i);
        auto path = m_job.TargetPath(i);
        if (!picture || !path || !FixPictureExtension(*path, {})) {
            continue;
        }
        const WString storedAs = path->substr(path->rfind(u'/') + 1);
        m_job.SetFileName(i, storedAs);
        // The next run names the picture as this one did: the journal must lead it to the new name.
        struct stat info {};
        if (storedAs != picture->fileName && ::stat(ToUtf8(*path).c_str(), &info) == 0) {
            m_album->journal.Record(WithoutSignature(picture->url),
                                    {picture->fileName, static_cast<std::uint64_t>(info.st_size), storedAs});
        }
    }
}

void DownloadRun::OrderPass() {
    // Picture 0 is the newest, each following one a minute older, so that a view sorted by time
    // shows the album's own order.
    const std::int64_t now = std::time(nullptr);
    for (size_t i = 0; i < m_job.size(); ++i) {
        if (const auto path = m_job.TargetPath(i)) {
            SetFileTimes(*path, now - 60 * static_cast<std::int64_t>(i));
        }
    }
}

}  // namespace albumora
