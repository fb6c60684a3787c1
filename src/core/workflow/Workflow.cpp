#include "core/workflow/Workflow.h"

#include "core/settings/SettingsStore.h"
#include "core/workflow/DownloadRun.h"
#include "core/workflow/ListRun.h"
#include "core/workflow/Messages.h"

namespace albumora {

namespace {

constexpr const char* kListWorkerName = "GetListFunc";
constexpr const char* kDownloadWorkerName = "DownPicFunc";

void JoinIfDone(std::thread& thread) {
    if (thread.joinable()) {
        thread.join();
    }
}

}  // namespace

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

RunEnvironment Workflow::Environment() {
    return {m_view, albums, m_cookieStore, m_clock, m_settingsFolder, m_ready, m_abandoned};
}

void Workflow::WaitForWorkers() {
    JoinIfDone(m_listThread);
    JoinIfDone(m_downloadThread);
}

bool Workflow::WorkersRunning() const {
    return m_workersRunning.load() > 0;
}

ListState Workflow::listState() const {
    std::lock_guard lock(m_runMutex);
    return m_listRun ? m_listRun->state() : ListState::Idle;
}

DownloadState Workflow::downloadState() const {
    std::lock_guard lock(m_runMutex);
    return m_downloadRun ? m_downloadRun->state() : DownloadState::Idle;
}

WString Workflow::FolderBeingDownloaded() const {
    std::lock_guard lock(m_runMutex);
    return m_downloadRun ? m_downloadRun->FolderBeingDownloaded() : WString();
}

template <typename Run>
bool Workflow::Launch(std::shared_ptr<Run> run, std::shared_ptr<Run>& slot, std::thread& thread,
                      const char* name, ControlMoment end, WStringView failure) {
    {
        std::lock_guard lock(m_runMutex);
        slot = run;
        // A stop for good that came since the caller's check found no run to stop.
        if (m_abandoned) {
            run->Stop();
        }
    }
    ++m_workersRunning;
    try {
        thread = std::thread([this, run, &slot, name, end] {
            RunGuarded(
                name, [&run] { run->Run(); },
                [&] {
                    run->GiveUp();
                    m_view.ApplyControlState(end, albums.size() == 0);
                });
            std::lock_guard lock(m_runMutex);
            slot.reset();
        });
    } catch (const std::system_error&) {
        --m_workersRunning;
        m_view.ShowMessage(WString(failure));
        std::lock_guard lock(m_runMutex);
        slot.reset();
        return false;
    }
    return true;
}

bool Workflow::OnListButton() {
    if (!m_ready) {
        return false;
    }
    std::unique_lock lock(m_runMutex);
    if (m_listRun && m_listRun->state() != ListState::Idle) {
        m_listRun->Stop();
        return true;
    }
    // The two runs share the album list and the listing: one at a time.
    if ((m_downloadRun && m_downloadRun->state() != DownloadState::Idle) || m_abandoned) {
        return false;
    }
    lock.unlock();
    JoinIfDone(m_listThread);
    albums.ClearAlbumList();
    ListRun::Hooks hooks{
        .publish =
            [this](const ListRunResult& result) {
                std::lock_guard resultLock(m_resultMutex);
                m_lastList = result;
            },
        .rememberAddress = [this](const WString& address) { RememberHistory(HistoryKind::Address, address); },
    };
    return Launch(std::make_shared<ListRun>(Environment(), *m_siteInterfaces, m_listing, std::move(hooks)),
                  m_listRun, m_listThread, kListWorkerName, ControlMoment::ListEnds, kMsgListThreadFailed);
}

bool Workflow::OnDownloadButton() {
    std::unique_lock lock(m_runMutex);
    if (m_downloadRun && m_downloadRun->state() != DownloadState::Idle) {
        m_downloadRun->Stop();
        return true;
    }
    if ((m_listRun && m_listRun->state() != ListState::Idle) || m_abandoned) {
        return false;
    }
    lock.unlock();
    JoinIfDone(m_downloadThread);
    DownloadRun::Settings settings;
    {
        std::lock_guard settingsLock(m_settingsMutex);
        const std::size_t slot = SettingsSlot(siteCode());
        settings = {m_settings.namingRecords[slot], m_settings.downloadParams[slot]};
    }
    settings.naming.optionFlags |= m_forcedRunOptions.load();
    auto run = std::make_shared<DownloadRun>(Environment(), std::move(settings), m_listing,
                                             [this](const DownloadRunResult& result) {
                                                 std::lock_guard resultLock(m_resultMutex);
                                                 m_lastResult = result;
                                             });
    return Launch(std::move(run), m_downloadRun, m_downloadThread, kDownloadWorkerName,
                  ControlMoment::DownloadEnds, kMsgDownloadThreadFailed);
}

void Workflow::RequestStop() {
    m_abandoned = true;
    m_closing.Raise();
    std::lock_guard lock(m_runMutex);
    if (m_listRun) {
        m_listRun->Stop();
    }
    if (m_downloadRun) {
        m_downloadRun->Stop();
    }
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
    request.cancel = &m_closing;
    request.requireSuccessStatus = true;
    return request;
}

}  // namespace albumora
