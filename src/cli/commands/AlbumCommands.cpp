#include "cli/commands/AlbumCommands.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "cli/CliSettings.h"
#include "cli/TerminalView.h"
#include "core/settings/SettingsFolder.h"
#include "core/workflow/Messages.h"
#include "core/workflow/Workflow.h"

namespace albumora::cli {

namespace {

// Turns Ctrl-C (and a polite kill) into the stop button for as long as it lives: the first signal
// requests the stop, a second one ends the process at once.
class StopOnSignal {
public:
    explicit StopOnSignal(Workflow& workflow) {
        sigemptyset(&m_signals);
        sigaddset(&m_signals, SIGINT);
        sigaddset(&m_signals, SIGTERM);
        // Blocked before any worker starts, so that only the watcher below ever receives them.
        pthread_sigmask(SIG_BLOCK, &m_signals, &m_previous);
        m_watcher = std::thread([this, &workflow] {
            int count = 0;
            const timespec tick{0, 100 * 1000 * 1000};
            while (!m_done) {
                if (sigtimedwait(&m_signals, nullptr, &tick) < 0) {
                    continue;
                }
                if (++count > 1) {
                    _exit(130);
                }
                std::fputs("\n正在终止，请稍候（再按一次 Ctrl-C 立即退出）...\n", stderr);
                m_signalled = true;
                workflow.RequestStop();
            }
        });
    }
    ~StopOnSignal() {
        m_done = true;
        m_watcher.join();
        pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
    }
    StopOnSignal(const StopOnSignal&) = delete;
    StopOnSignal& operator=(const StopOnSignal&) = delete;

    bool signalled() const { return m_signalled; }

private:
    std::atomic<bool> m_signalled{false};
    sigset_t m_signals{};
    sigset_t m_previous{};
    std::atomic<bool> m_done{false};
    std::thread m_watcher;
};

struct AlbumArgs {
    WString address;
    std::string saveFolder;
    std::set<int> albums;  // empty: all
    bool valid = true;
};

AlbumArgs ParseAlbumArgs(const std::vector<std::string>& args, bool allowDownloadOptions) {
    AlbumArgs parsed;
    bool haveAddress = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (allowDownloadOptions && arg == "--save" && i + 1 < args.size()) {
            parsed.saveFolder = args[++i];
        } else if (allowDownloadOptions && arg == "--albums" && i + 1 < args.size()) {
            const auto list = ParseAlbumList(args[++i]);
            if (!list) {
                std::fprintf(stderr, "albumora-cli: --albums takes numbers and ranges like 2,5-7, or all\n");
                parsed.valid = false;
            } else {
                parsed.albums = *list;
            }
        } else if (!arg.starts_with("--") && !haveAddress) {
            parsed.address = Trimmed(FromUtf8(arg));
            haveAddress = true;
        } else {
            std::fprintf(stderr, "albumora-cli: unexpected argument '%s'\n", arg.c_str());
            parsed.valid = false;
        }
    }
    if (!haveAddress) {
        std::fprintf(stderr, "albumora-cli: an address is needed\n");
        parsed.valid = false;
    }
    return parsed;
}

// Says why an address cannot be listed; true when it can.
bool CheckAddress(const WString& address) {
    const WStringView problem = AddressProblem(address);
    if (!problem.empty()) {
        std::fprintf(stderr, "%s\n", Printable(ShownText(problem)).c_str());
        return false;
    }
    return true;
}

// 1 for a listing that failed or stopped short (an unreachable site is no empty user), 3 only when
// the site answered and there is no album.
ExitCode ListExitCode(const ListRunResult& result) {
    if (result.addressProblem) {
        return ExitCode::Usage;
    }
    if (result.stopped || !result.complete) {
        return ExitCode::Failed;
    }
    return result.albums > 0 ? ExitCode::Ok : ExitCode::NoAlbums;
}

// The run's last words on standard error: every count that is not "saved", and each album that
// is not complete.
void PrintRunSummary(const DownloadRunResult& result) {
    if (result.picturesFailed > 0) {
        std::fprintf(stderr, "%u 张图片下载失败（共 %u 张）\n", result.picturesFailed,
                     result.picturesCollected);
    }
    if (result.picturesNotFetched > 0) {
        std::fprintf(stderr, "%u 张图片未下载\n", result.picturesNotFetched);
    }
    if (result.picturesFiltered > 0) {
        std::fprintf(stderr, "%u 张图片不在设置的大小范围内，未保存\n", result.picturesFiltered);
    }
    if (result.picturesSkipped > 0) {
        std::fprintf(stderr, "%u 张图片以前已下载，未重新下载\n", result.picturesSkipped);
    }
    if (result.sideFilesFailed > 0) {
        std::fprintf(stderr, "%u 个附属文件（.txt/.lst）无法写入\n", result.sideFilesFailed);
    }
    for (const WString& album : result.incompleteAlbums) {
        std::fprintf(stderr, "%s\n", Printable(album).c_str());
    }
}

}  // namespace

std::optional<std::set<int>> ParseAlbumList(const std::string& text) {
    std::set<int> positions;
    if (text == "all") {
        return positions;
    }
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = std::min(text.find(',', start), text.size());
        const std::string item = text.substr(start, comma - start);
        int first = 0;
        int last = 0;
        char extra = 0;
        if (std::sscanf(item.c_str(), "%d-%d%c", &first, &last, &extra) == 2) {
        } else if (std::sscanf(item.c_str(), "%d%c", &first, &extra) == 1) {
            last = first;
        } else {
            return std::nullopt;
        }
        // A run takes at most 65535 albums.
        if (first < 1 || last < first || last > 65535) {
            return std::nullopt;
        }
        for (int n = first; n <= last; ++n) {
            positions.insert(n - 1);
        }
        start = comma + 1;
    }
    return positions;
}

ExitCode ListCommand::Run(CliContext& context, const std::vector<std::string>& args) {
    const LoadedSettings loaded = LoadCliSettings(context);
    const AlbumArgs parsed = ParseAlbumArgs(args, false);
    if (!parsed.valid) {
        return ExitCode::Usage;
    }
    if (!CheckAddress(parsed.address)) {
        return ExitCode::Usage;
    }
    TerminalView view(parsed.address, {}, true);
    Workflow workflow(view, context.settingsFolder, context.cookies);
    workflow.ResetSettings(loaded.settings);
    view.Attach(&workflow);
    workflow.ready = true;
    {
        StopOnSignal stop(workflow);
        workflow.OnListButton();
        workflow.WaitForWorkers();
    }
    return ListExitCode(workflow.lastListResult());
}

ExitCode DownloadCommand::Run(CliContext& context, const std::vector<std::string>& args) {
    const LoadedSettings loaded = LoadCliSettings(context);
    const AlbumArgs parsed = ParseAlbumArgs(args, true);
    if (!parsed.valid) {
        return ExitCode::Usage;
    }
    WString saveFolder;
    if (!parsed.saveFolder.empty()) {
        saveFolder = FromUtf8(AbsoluteFolder(parsed.saveFolder));
    } else if (const auto history = HistoryTexts(loaded.settings, HistoryKind::SavePath); !history.empty()) {
        saveFolder = history.front();
    }
    if (saveFolder.empty()) {
        std::fprintf(stderr, "%s\n", ToUtf8(kMsgSetSaveFolder).c_str());
        return ExitCode::Usage;
    }
    if (!CheckAddress(parsed.address)) {
        return ExitCode::Usage;
    }
    TerminalView view(parsed.address, saveFolder, false);
    Workflow workflow(view, context.settingsFolder, context.cookies);
    workflow.ResetSettings(loaded.settings);
    view.Attach(&workflow);
    if (!parsed.albums.empty()) {
        view.ChooseAlbums(parsed.albums);
    }
    if (!parsed.saveFolder.empty()) {
        workflow.RememberHistory(HistoryKind::SavePath, saveFolder);
    }
    workflow.ready = true;
    bool signalled = false;
    {
        StopOnSignal stop(workflow);
        workflow.OnListButton();
        workflow.WaitForWorkers();
        if (workflow.albums.size() == 0) {
            return ListExitCode(workflow.lastListResult());
        }
        // A single board or album starts its own download when listed; anything else is ours to
        // start. After Ctrl-C the workflow starts nothing.
        if (!view.downloadStartedByList()) {
            workflow.OnDownloadButton();
        }
        workflow.WaitForWorkers();
        signalled = stop.signalled();
    }
    const DownloadRunResult result = workflow.lastRunResult();
    if (result.error) {
        return ExitCode::Usage;
    }
    PrintRunSummary(result);
    // Albums the listing never reached were not downloaded either.
    const ListRunResult listing = workflow.lastListResult();
    if (!listing.complete && !listing.stopped) {
        std::fprintf(stderr, "相册列表不完整，只下载了已列出的 %zu 个相册：%s\n", listing.albums,
                     Printable(listing.problem).c_str());
    }
    if (signalled || result.stopped) {
        std::fprintf(stderr, "下载已终止\n");
        return ExitCode::Failed;
    }
    return result.Complete() && listing.complete ? ExitCode::Ok : ExitCode::Failed;
}

}  // namespace albumora::cli
