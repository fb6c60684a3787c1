#include "core/workflow/Workflow.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "core/files/AtomicFile.h"
#include "core/files/FileHelpers.h"
#include "core/files/SafeFileName.h"
#include "core/files/TemporaryFiles.h"
#include "core/net/CookieStore.h"
#include "core/net/UrlCanonical.h"
#include "core/settings/AlbumMarker.h"
#include "core/settings/SettingsStore.h"
#include "core/sites/DuitangPages.h"
#include "core/sites/SiteAddress.h"
#include "core/sites/SiteHosts.h"
#include "core/sites/SiteRecognition.h"
#include "core/text/CaseFold.h"
#include "core/text/Utf16Bytes.h"
#include "core/workflow/AlbumRows.h"
#include "core/workflow/Messages.h"
#include "core/workflow/PictureNaming.h"
#include "core/workflow/SiteTable.h"

namespace albumora {

namespace {

void JoinIfDone(std::thread& thread) {
    if (thread.joinable()) {
        thread.join();
    }
}

}  // namespace

WString ShownText(WStringView message) {
    WString text(message);
    for (char16_t& c : text) {
        if (c == u'^') {
            c = u'\n';
        }
    }
    return text;
}

WStringView AddressProblem(WStringView trimmedAddress) {
    if (trimmedAddress.empty()) {
        return kMsgEmptyAddress;
    }
    if (trimmedAddress.find(u"http://") == WStringView::npos &&
        trimmedAddress.find(u"https://") == WStringView::npos) {
        return kMsgNoScheme;
    }
    const WString address = CanonicalSiteAddress(trimmedAddress);
    const SiteEntry* site = SiteOf(address);
    if (site == nullptr) {
        return kMsgUnsupportedAddress;
    }
    // A Huaban page that is neither a board nor a user (a pin, say) gets the board message.
    return IsListable(*site, address) ? WStringView() : site->notListableMessage;
}

Workflow::Workflow(WorkflowView& view, std::string settingsFolder, CookieStore* cookieStore, Clock& clock)
    : albums([&view](const WString& message) { view.ShowMessage(message); }),
      m_view(view),
      m_settingsFolder(std::move(settingsFolder)),
      m_cookieStore(cookieStore),
      m_clock(clock) {}

Workflow::~Workflow() {
    RequestStop();
    WaitForWorkers();
}

namespace {
constexpr const char* kListWorkerName = "GetListFunc";
constexpr const char* kDownloadWorkerName = "DownPicFunc";
}  // namespace

void Workflow::WaitForWorkers() {
    JoinIfDone(m_listThread);
    JoinIfDone(m_downloadThread);
}

bool Workflow::OnListButton() {
    if (!m_ready) {
        return false;
    }
    if (m_listState != ListState::Idle) {
        ListState fetching = ListState::Fetching;
        if (m_listState.compare_exchange_strong(fetching, ListState::StopRequested)) {
            m_stopPages.Raise();
        }
        return true;
    }
    // The two workers share the album list and the adapters' state: one at a time.
    if (m_downloadState != DownloadState::Idle || m_abandoned) {
        return false;
    }
    JoinIfDone(m_listThread);
    albums.ClearAlbumList();
    m_stopPages.Clear();
    m_listState = ListState::Fetching;
    m_siteSubKind = -1;
    m_siteCode = kSiteCodeHuabanDuitang;
    ++m_workersRunning;
    try {
        m_listThread = std::thread([this] {
            RunGuarded(
                kListWorkerName, [this] { GetListFunc(); },
                [this] {
                    m_listState = ListState::Idle;
                    m_view.ApplyControlState(ControlMoment::ListEnds, albums.size() == 0);
                });
        });
    } catch (const std::system_error&) {
        --m_workersRunning;
        m_view.ShowMessage(WString(kMsgListThreadFailed));
        m_listState = ListState::Idle;
        return false;
    }
    return true;
}

void Workflow::RequestStop() {
    m_abandoned = true;
    m_stopPages.Raise();
    ListState listing = ListState::Fetching;
    m_listState.compare_exchange_strong(listing, ListState::StopRequested);
    StopDownload();
}

void Workflow::StopDownload() {
    DownloadState downloading = m_downloadState;
    while (downloading != DownloadState::Idle &&
           !m_downloadState.compare_exchange_weak(downloading, DownloadState::StopRequested)) {
    }
    if (downloading != DownloadState::Idle) {
        m_stopPages.Raise();
        m_counters.stopRequested.Raise();
        std::lock_guard lock(m_coordinatorMutex);
        m_coordinatorWake.notify_all();
    }
}

bool Workflow::OnDownloadButton() {
    if (m_downloadState != DownloadState::Idle) {
        StopDownload();
        return true;
    }
    if (m_listState != ListState::Idle || m_abandoned) {
        return false;
    }
    JoinIfDone(m_downloadThread);
    m_stopPages.Clear();
    m_downloadState = DownloadState::Running;
    ++m_workersRunning;
    try {
        m_downloadThread = std::thread([this] {
            RunGuarded(
                kDownloadWorkerName, [this] { DownPicFunc(); },
                [this] {
                    m_counters.downloadActive = false;
                    {
                        std::lock_guard lock(m_resultMutex);
                        m_lastResult.error = true;
                    }
                    m_downloadState = DownloadState::Idle;
                    m_view.ApplyControlState(ControlMoment::DownloadEnds, albums.size() == 0);
                });
        });
    } catch (const std::system_error&) {
        --m_workersRunning;
        m_view.ShowMessage(WString(kMsgDownloadThreadFailed));
        m_downloadState = DownloadState::Idle;
        return false;
    }
    return true;
}

bool Workflow::WorkersRunning() const {
    return m_workersRunning.load() > 0;
}

void Workflow::RunGuarded(const char* name, const std::function<void()>& body,
                          const std::function<void()>& giveControlsBack) {
    std::string failure;
    try {
        body();
    } catch (const std::exception& error) {
        failure = error.what();
    } catch (...) {
        failure = "unknown error";
    }
    if (!failure.empty()) {
        // Nothing may escape a worker: the window must get its controls back.
        m_view.ShowMessage(InternalErrorText(WidenAscii(name), FromUtf8(failure)));
        giveControlsBack();
    }
    --m_workersRunning;
}

PersistentSettings Workflow::SettingsCopy() const {
    std::lock_guard lock(m_settingsMutex);
    return m_settings;
}

bool Workflow::EditSettings(const std::function<void(PersistentSettings&)>& edit) {
    std::lock_guard lock(m_settingsMutex);
    edit(m_settings);
    return SaveSettings(m_settingsFolder, m_settings);
}

void Workflow::ResetSettings(const PersistentSettings& settings) {
    std::lock_guard lock(m_settingsMutex);
    m_settings = settings;
}

bool Workflow::RememberHistory(HistoryKind kind, const WString& text) {
    {
        std::lock_guard lock(m_settingsMutex);
        if (!RememberText(m_settings, kind, text)) {
            return false;
        }
        SaveSettings(m_settingsFolder, m_settings);
    }
    m_view.HistoryAdded(kind, text);
    return true;
}

DownloadRunResult Workflow::lastRunResult() const {
    std::lock_guard lock(m_resultMutex);
    return m_lastResult;
}

ListRunResult Workflow::lastListResult() const {
    std::lock_guard lock(m_resultMutex);
    return m_lastList;
}

ST_URLREQUEST Workflow::NewFileRequest(WString url, WString savePath) const {
    ST_URLREQUEST request(std::move(url), std::move(savePath), kDefaultTimeoutMs);
    request.cookieStore = m_cookieStore;
    request.clock = &m_clock;
    request.cancel = &m_stopPages;
    request.requireSuccessStatus = true;
    return request;
}

void Workflow::ForgetCookiesOf(const WString& address) {
    if (m_cookieStore != nullptr) {
        m_cookieStore->ResetHost(address);
    }
}

void Workflow::AddAlbum(ST_PERLISTRECORD record) {
    if (!m_ready) {
        return;
    }
    // Cut before the name is made unique, so that two long names that agree in their shown part
    // still get folders of their own.
    if (record.name.size() > kShownNameLength) {
        record.name.resize(kShownNameLength);
        record.nameCut = true;
    }
    const size_t length = albums.AddAlbumRecord(record);
    if (length > 0) {
        m_view.AddGridEntry(static_cast<int>(length) - 1);
    }
}

WString Workflow::FolderBeingDownloaded() const {
    return m_counters.downloadActive ? m_job.AlbumFolder() : WString();
}

bool Workflow::CollectionEnds() const {
    const DownloadState state = m_downloadState;
    return state == DownloadState::AlbumDone || state == DownloadState::StopRequested;
}

bool Workflow::StartAlbumFolder(const ST_PERLISTRECORD& album) {
    const NamingContext context{m_run.naming,         album,         m_siteCode,
                                albums.selectedCount, albums.size(), m_carry.ownerName};
    const WString folderName = AlbumFolderName(context);
    WString folder = m_job.AlbumFolder();
    if (!folderName.empty()) {
        folder += folderName + u"/";
        m_job.SetAlbumFolder(folder);
    }
    m_names.StartAlbum(m_job.AlbumFolder());
    WString failedFolder;
    if (!CreateFolderTree(folder, &failedFolder, m_saveFolderLength)) {
        m_journal.Close();
        m_markerAddress.clear();
        m_view.ShowMessage(WString(kMsgCannotMakeFolder) + failedFolder);
        return false;
    }
    SetFolderTimes(folder, std::time(nullptr));
    RemoveStaleTemporaries(ToUtf8(m_job.AlbumFolder()));
    m_journal.Open(m_job.AlbumFolder());
    m_markerAddress = ReadAlbumMarker(m_job.AlbumFolder());
    return true;
}

void Workflow::AppendOriginalName(const ST_PERLISTRECORD& album, const WString& originalName, bool first) {
    if (m_albumFolderFailed || (m_sideFileFailed && !first)) {
        return;
    }
    const std::string path = ToUtf8(m_job.AlbumFolder() + album.name + u".txt");
    const std::string line = EncodeUtf16Le(originalName + u"\r\n");
    if (first) {
        // A new file renamed over the name: a link or a FIFO planted there is replaced, not used.
        m_sideFileFailed = !WriteFileAtomically(path, "\xFF\xFE" + line);
        return;
    }
    // Not created again: a file removed mid-run stays removed.
    const int fd = OpenForAppending(path, false);
    if (fd < 0) {
        m_sideFileFailed = m_sideFileFailed || errno != ENOENT;
        return;
    }
    const bool written = ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
    m_sideFileFailed = (::close(fd) != 0 || !written) || m_sideFileFailed;
}

void Workflow::AppendPicture(const WString& pictureUrl, const WString& originalName,
                             const WString& requestHeader, const WString& renewKey, int albumPosition) {
    const auto album = albums.AlbumAt(static_cast<size_t>(albumPosition));
    if (!album) {
        return;
    }
    const size_t n = m_job.size();
    const NamingContext context{m_run.naming,         *album,        m_siteCode,
                                albums.selectedCount, albums.size(), m_carry.ownerName};
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
        m_albumFolderFailed = !StartAlbumFolder(*album);
    }
    const WString folder = m_job.AlbumFolder();
    const auto takenOnDisk = [&](const WString& candidate) {
        struct stat info {};
        return ::lstat(ToUtf8(folder + candidate).c_str(), &info) == 0 &&
               !m_journal.Owns(identity, candidate);
    };
    const WString name = m_names.Finish(std::move(draft), folder.size(), n, takenOnDisk);

    if (m_run.naming.HasOption(OPT_SKIP_DOWNLOADED) && !m_markerAddress.empty() &&
        identity == m_markerAddress) {
        // The marker is the first picture of the last complete download: the rest was saved then.
        // A stop pressed meanwhile must not be turned into a mere end of the album.
        DownloadState expected = DownloadState::Running;
        m_downloadState.compare_exchange_strong(expected, DownloadState::AlbumDone);
        return;
    }
    m_job.AppendPicture(pictureUrl, name, requestHeader, renewKey);
    m_names.Take(name);
    m_view.SetStatusText(StatusLine::Progress, CollectedPicturesText(n + 1));
    if (m_run.naming.HasOption(OPT_ORIGINAL_NAME_FILE)) {
        AppendOriginalName(*album, originalName, n == 0);
    }
}

}  // namespace albumora
