// Measures the memory a list-only run of a very large Huaban board takes: every pin is collected,
// named and written to the list file, no picture is fetched. The run goes in a child process, so
// that its peak resident memory is the program's alone; this process serves the board. Page pauses
// are replaced by a clock that does not sleep (at two seconds a page the run would take hours).
//
//   albumora-board-memory-bench [--pins N]   (default 100000)
//
// Prints the child's peak resident memory (ru_maxrss) and its wall time.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/net/CookieStore.h"
#include "core/settings/SettingsStore.h"
#include "core/workflow/Workflow.h"
#include "support/FakeSites.h"
#include "support/NoPauseClock.h"
#include "support/TempFolder.h"

using namespace albumora;
using namespace std::chrono;

namespace {

// Keeps nothing of what it is shown (the test suite's recording view would keep a status line per
// pin), and starts the download of the single board as the window does.
class SilentView final : public WorkflowView {
public:
    SilentView(WString address, WString saveFolder)
        : m_address(std::move(address)), m_save(std::move(saveFolder)) {}
    Workflow* workflow = nullptr;

    void SetStatusText(StatusLine, const WString&) override {}
    void SetGroupTitle(const WString&) override {}
    void ApplyControlState(ControlMoment, bool) override {}
    void ShowMessage(const WString& text) override {
        std::fprintf(stderr, "child: %s\n", ToUtf8(text).c_str());
    }
    bool AskYesNo(const WString&) override { return false; }
    void AddGridEntry(int) override {}
    void RefreshGrid() override {}
    void SelectAllAlbums() override {}
    std::vector<int> ChosenAlbums() override { return {0}; }
    void StartDownload() override { workflow->OnDownloadButton(); }
    void HistoryAdded(HistoryKind, const WString&) override {}
    WString AddressText() override { return m_address; }
    WString SaveFolderText() override { return m_save; }
    int AlbumKindSelection() override { return -1; }
    void ShowPictureProgress(unsigned, unsigned, unsigned) override {}
    void ShowAlbumState(int, AlbumRunState, unsigned, unsigned, unsigned) override {}
    void AlbumFinished(unsigned, unsigned, unsigned) override {}
    void OpenFolder(const std::string&) override {}

private:
    WString m_address;
    WString m_save;
};

// The measured run; returns the process's exit status.
int ListOnlyRun(const std::string& proxy, const std::string& boardId) {
    test::TempFolder settingsFolder;
    test::TempFolder save;
    SilentView view(FromUtf8("http://huaban.com/boards/" + boardId + "/"), FromUtf8(save.path()));
    test::NoPauseClock clock;
    CookieStore cookies;
    PersistentSettings settings = LoadSettings(settingsFolder.path()).settings;
    settings.namingRecords[18].optionFlags |= OPT_THUNDER_LIST_ONLY;
    Workflow workflow(view, settingsFolder.path(), &cookies, clock);
    workflow.ResetSettings(settings);
    view.workflow = &workflow;
    setenv("http_proxy", proxy.c_str(), 1);
    workflow.MarkReady();
    workflow.OnListButton();
    workflow.WaitForWorkers();
    const ListRunResult list = workflow.lastListResult();
    const DownloadRunResult result = workflow.lastRunResult();
    std::fprintf(stderr, "child: %zu album(s), %u pictures listed, complete %d %s\n", list.albums,
                 result.picturesCollected, list.complete && result.Complete() ? 1 : 0,
                 ToUtf8(list.problem).c_str());
    return list.complete && result.Complete() && result.picturesCollected > 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    int pins = 100000;
    if (argc == 3 && std::strcmp(argv[1], "--pins") == 0) {
        pins = std::max(1, std::atoi(argv[2]));
    }
    // The child is forked before any thread exists; it waits for the server's address.
    int ready[2];
    if (pipe(ready) != 0) {
        return 2;
    }
    const pid_t child = fork();
    if (child == 0) {
        close(ready[1]);
        char buffer[256] = {};
        const ssize_t got = read(ready[0], buffer, sizeof buffer - 1);
        _exit(got > 0 ? ListOnlyRun(std::string(buffer, static_cast<size_t>(got)), "1001") : 2);
    }
    close(ready[0]);

    test::FakeHuabanBoard board;
    board.pins = test::MakePins(900000000, pins);
    // Empty descriptions, the case that leans hardest on the naming, and small picture routes.
    for (test::FakePin& pin : board.pins) {
        pin.description.clear();
        pin.size = 16;
    }
    board.pinsPerBoardPage = 20;
    test::TestWebServer server;
    test::ServeHuabanBoard(server, board);
    const std::string proxy = server.proxyUrl();
    const auto started = steady_clock::now();
    if (write(ready[1], proxy.data(), proxy.size()) != static_cast<ssize_t>(proxy.size())) {
        return 2;
    }
    close(ready[1]);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    const double wall = duration<double>(steady_clock::now() - started).count();
    std::printf("%d pins, list only: peak resident %.1f MB, %.1f s, exit %d\n", pins,
                static_cast<double>(usage.ru_maxrss) / 1024.0, wall,
                WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    return 0;
}
