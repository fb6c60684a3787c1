#include "cli/commands/AlbumCommands.h"

#include <CLI/CLI.hpp>

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>
#include <string_view>
#include <thread>

#include "cli/CliSettings.h"
#include "cli/TerminalView.h"
#include "core/settings/SettingsFolder.h"
#include "core/workflow/Messages.h"
#include "core/workflow/Workflow.h"

namespace albumora::cli {

namespace {

// Turns Ctrl-C (and a polite kill) into the stop button for as long as it lives: the first signal
// requests the stop of the workflow at work (and of a batch, every later one), a second one ends
// the process at once.
class StopOnSignal {
public:
    StopOnSignal() {
        sigemptyset(&m_signals);
        sigaddset(&m_signals, SIGINT);
        sigaddset(&m_signals, SIGTERM);
        // Blocked before any worker starts, so that only the watcher below ever receives them.
        pthread_sigmask(SIG_BLOCK, &m_signals, &m_previous);
        m_watcher = std::thread([this] {
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
                std::lock_guard lock(m_mutex);
                m_signalled = true;
                if (m_workflow != nullptr) {
                    m_workflow->RequestStop();
                }
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

    // The workflow a signal stops from now on; null before it is destroyed.
    void Watch(Workflow* workflow) {
        std::lock_guard lock(m_mutex);
        m_workflow = workflow;
        if (m_workflow != nullptr && m_signalled) {
            m_workflow->RequestStop();
        }
    }
    bool signalled() const { return m_signalled; }

private:
    std::atomic<bool> m_signalled{false};
    sigset_t m_signals{};
    sigset_t m_previous{};
    std::atomic<bool> m_done{false};
    std::mutex m_mutex;
    Workflow* m_workflow = nullptr;
    std::thread m_watcher;
};

// Watches `workflow` for the life of this guard.
class Watched {
public:
    Watched(StopOnSignal& stop, Workflow& workflow) : m_stop(stop) { m_stop.Watch(&workflow); }
    ~Watched() { m_stop.Watch(nullptr); }
    Watched(const Watched&) = delete;
    Watched& operator=(const Watched&) = delete;

private:
    StopOnSignal& m_stop;
};

struct AlbumArgs {
    WString address;
    std::optional<std::string> inputFile;  // "-": standard input
    std::set<int> albums;                  // empty: all
    bool valid = true;
};

// Adds an album command with what both take, and with `download` the options of a download.
CLI::App* DefineAlbumCommand(CLI::App& app, const char* name, const char* description, AlbumCommandArgs& args,
                             bool download) {
    CLI::App& command = *app.add_subcommand(name, description);
    command.add_option("address", args.address, "a Huaban board or Duitang address")->type_name("");
    args.inputFileOption = command
                               .add_option("-i,--input-file", args.inputFile,
                                           "the addresses of FILE (- for standard input), one a line;\n"
                                           "blank lines and lines starting with # are skipped")
                               ->type_name("FILE");
    if (!download) {
        return &command;
    }
    command.add_option("--save", args.saveFolder, "the save folder (default: the last one used)")
        ->type_name("DIR");
    args.albumsOption = command
                            .add_option("--albums", args.albums,
                                        "the albums to download, 1-based, like 2,5-7, or all (the default);\n"
                                        "numbers need one address")
                            ->type_name("LIST");
    command.add_flag("--new-only", args.newOnly,
                     "fetch only what the site lists before each album's last complete\n"
                     "download, for this run (the saved setting skip-downloaded stays as it is)");
    return &command;
}

// The address and the album list as the commands use them; not valid, with the reason told, when they do not
// go together.
AlbumArgs CheckAlbumArgs(const AlbumCommandArgs& given) {
    AlbumArgs parsed;
    parsed.address = Trimmed(FromUtf8(given.address));
    if (given.inputFileOption->count() > 0) {
        parsed.inputFile = given.inputFile;
    }
    if (given.albumsOption != nullptr && given.albumsOption->count() > 0) {
        const auto list = ParseAlbumList(given.albums);
        if (!list) {
            std::fprintf(stderr, "albumora-cli: --albums takes numbers and ranges like 2,5-7, or all\n");
            parsed.valid = false;
        } else {
            parsed.albums = *list;
        }
    }
    if (!given.address.empty() && parsed.inputFile) {
        std::fprintf(stderr, "albumora-cli: give an address or --input-file, not both\n");
        parsed.valid = false;
    } else if (given.address.empty() && !parsed.inputFile) {
        std::fprintf(stderr, "albumora-cli: an address (or --input-file FILE) is needed\n");
        parsed.valid = false;
    }
    return parsed;
}

// One address of an input file and the line it stands on.
struct ListedAddress {
    int line = 0;
    WString address;
};

// The addresses of an input file ("-": standard input): one a line, surrounding blanks trimmed,
// blank lines and lines starting with '#' left out. Nullopt, with the reason told, when the file
// cannot be read.
std::optional<std::vector<ListedAddress>> ReadAddressFile(const std::string& path) {
    std::ifstream file;
    std::istream* in = &std::cin;
    const bool standardInput = path == "-";
    // A closed standard input reads as empty; a job whose list generator died must not look done.
    if (standardInput && ::fcntl(STDIN_FILENO, F_GETFD) < 0) {
        std::fprintf(stderr, "albumora-cli: cannot read standard input: %s\n", std::strerror(errno));
        return std::nullopt;
    }
    if (!standardInput) {
        std::error_code error;
        if (std::filesystem::is_directory(path, error)) {
            std::fprintf(stderr, "albumora-cli: cannot read %s: it is a folder\n", path.c_str());
            return std::nullopt;
        }
        file.open(path);
        if (!file) {
            std::fprintf(stderr, "albumora-cli: cannot read %s: %s\n", path.c_str(), std::strerror(errno));
            return std::nullopt;
        }
        in = &file;
    }
    std::vector<ListedAddress> addresses;
    int number = 0;
    for (std::string line; std::getline(*in, line);) {
        ++number;
        WString text = Trimmed(FromUtf8(line));
        // An editor's byte order mark is no part of the first address.
        if (number == 1 && !text.empty() && text.front() == u'\uFEFF') {
            text = Trimmed(WStringView(text).substr(1));
        }
        if (!text.empty() && text.front() != u'#') {
            addresses.push_back({number, std::move(text)});
        }
    }
    if (in->bad() || (standardInput && std::ferror(stdin) != 0)) {
        std::fprintf(stderr, "albumora-cli: cannot read %s\n",
                     standardInput ? "standard input" : path.c_str());
        return std::nullopt;
    }
    if (addresses.empty()) {
        std::fprintf(stderr, "albumora-cli: %s holds no address\n",
                     standardInput ? "standard input" : path.c_str());
        return std::nullopt;
    }
    return addresses;
}

// "第3行 " for an address of an input file; empty for the one given on the command line.
std::string LineLabel(const ListedAddress& listed) {
    return listed.line > 0 ? "第" + std::to_string(listed.line) + "行 " : std::string();
}

// Says why an address cannot be listed, naming its line of the input file when it has one; true
// when it can.
bool CheckAddress(const ListedAddress& listed) {
    const WStringView problem = AddressProblem(listed.address);
    if (problem.empty()) {
        return true;
    }
    if (listed.line > 0) {
        std::fprintf(stderr, "第%d行（%s）：%s\n", listed.line, Printable(listed.address).c_str(),
                     Printable(ShownText(problem)).c_str());
    } else {
        std::fprintf(stderr, "%s\n", Printable(ShownText(problem)).c_str());
    }
    return false;
}

// The addresses a command works through: the one given, or those of its input file. Nullopt, with
// the reason told, when the file cannot be read or the one address given cannot be listed.
std::optional<std::vector<ListedAddress>> AddressesOf(const AlbumArgs& parsed) {
    if (parsed.inputFile) {
        return ReadAddressFile(*parsed.inputFile);
    }
    const ListedAddress given{0, parsed.address};
    if (!CheckAddress(given)) {
        return std::nullopt;
    }
    return std::vector<ListedAddress>{given};
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

// A number as a whole, blanks around it allowed ("2, 5-7" as typed); refused when it does not fit
// rather than cut to fit.
std::optional<int> WholeNumber(std::string_view digits) {
    while (!digits.empty() && digits.front() == ' ') {
        digits.remove_prefix(1);
    }
    while (!digits.empty() && digits.back() == ' ') {
        digits.remove_suffix(1);
    }
    int value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) {
        return std::nullopt;
    }
    return value;
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
        const std::string_view item = std::string_view(text).substr(start, comma - start);
        const size_t dash = item.find('-', 1);
        const auto first = WholeNumber(item.substr(0, dash));
        const auto last = dash == std::string_view::npos ? first : WholeNumber(item.substr(dash + 1));
        if (!first || !last) {
            return std::nullopt;
        }
        // A run takes at most 65535 albums.
        if (*first < 1 || *last < *first || *last > 65535) {
            return std::nullopt;
        }
        for (int n = *first; n <= *last; ++n) {
            positions.insert(n - 1);
        }
        start = comma + 1;
    }
    return positions;
}

namespace {

// What one address of a download came to.
struct AddressOutcome {
    ExitCode code = ExitCode::Ok;
    std::size_t albums = 0;
    DownloadRunResult result;
    bool downloaded = false;  // a download ran (its result is in `result`)
};

struct DownloadOptions {
    WString saveFolder;
    std::set<int> albums;
    bool newOnly = false;
    bool rememberSaveFolder = false;  // a folder given on the command line joins the history
};

// Lists one address and downloads its chosen albums, as `download ADDRESS` does.
AddressOutcome DownloadAddress(CliContext& context, const WString& address, DownloadOptions& options,
                               StopOnSignal& stop, std::size_t index, std::size_t count) {
    // Read again for every address: the one before may have added to the histories.
    const LoadedSettings loaded = LoadCliSettings(context);
    TerminalView view(address, options.saveFolder, false);
    view.SetBatchPosition(index, count);
    Workflow workflow(view, context.settingsFolder, context.cookies);
    workflow.ShareSiteInterfaces(context.siteInterfaces);
    workflow.ResetSettings(loaded.settings);
    if (options.newOnly) {
        workflow.ForceRunOptions(OPT_SKIP_DOWNLOADED);
    }
    view.Attach(&workflow);
    if (!options.albums.empty()) {
        view.ChooseAlbums(options.albums);
    }
    if (options.rememberSaveFolder) {
        workflow.RememberHistory(HistoryKind::SavePath, options.saveFolder);
        options.rememberSaveFolder = false;
    }
    workflow.MarkReady();
    AddressOutcome outcome;
    {
        const Watched watched(stop, workflow);
        workflow.OnListButton();
        workflow.WaitForWorkers();
        outcome.albums = workflow.albums.size();
        if (outcome.albums == 0) {
            outcome.code = ListExitCode(workflow.lastListResult());
            return outcome;
        }
        // A single board or album asks for its download when listed, anything else is downloaded
        // as chosen: either way this thread presses the button, as the window's does. After
        // Ctrl-C the workflow starts nothing.
        workflow.OnDownloadButton();
        workflow.WaitForWorkers();
    }
    outcome.result = workflow.lastRunResult();
    if (outcome.result.error) {
        outcome.code = ExitCode::Usage;
        return outcome;
    }
    outcome.downloaded = true;
    PrintRunSummary(outcome.result);
    // Albums the listing never reached were not downloaded either.
    const ListRunResult listing = workflow.lastListResult();
    if (!listing.complete && !listing.stopped) {
        std::fprintf(stderr, "相册列表不完整，只下载了已列出的 %zu 个相册：%s\n", listing.albums,
                     Printable(listing.problem).c_str());
    }
    if (stop.signalled() || outcome.result.stopped) {
        std::fprintf(stderr, "下载已终止\n");
        outcome.code = ExitCode::Failed;
        return outcome;
    }
    outcome.code = outcome.result.Complete() && listing.complete ? ExitCode::Ok : ExitCode::Failed;
    return outcome;
}

// Pictures of a run that are in their folders now, fetched by it.
std::uint32_t PicturesSaved(const DownloadRunResult& result) {
    const std::uint32_t notSaved =
        result.picturesFailed + result.picturesFiltered + result.picturesNotFetched + result.picturesSkipped;
    return result.picturesCollected > notSaved ? result.picturesCollected - notSaved : 0;
}

}  // namespace

CLI::App* ListCommand::Define(CLI::App& app) {
    return DefineAlbumCommand(
        app, "list",
        "list the albums behind an address (number, name, count, note); with --input-file, those of\n"
        "each address of the file under a line \"# ADDRESS\"",
        m_args, false);
}

ExitCode ListCommand::Run(CliContext& context) {
    const AlbumArgs parsed = CheckAlbumArgs(m_args);
    if (!parsed.valid) {
        return ExitCode::Usage;
    }
    const auto addresses = AddressesOf(parsed);
    if (!addresses) {
        return ExitCode::Usage;
    }
    const bool batch = parsed.inputFile.has_value();
    bool failed = false;
    bool anyAlbum = false;
    StopOnSignal stop;
    for (const ListedAddress& listed : *addresses) {
        if (stop.signalled()) {
            failed = true;
            break;
        }
        if (batch && !CheckAddress(listed)) {
            failed = true;
            continue;
        }
        if (batch) {
            // The albums of each address under a line naming it.
            std::fprintf(stdout, "# %s\n", Printable(listed.address).c_str());
            std::fflush(stdout);
        }
        const LoadedSettings loaded = LoadCliSettings(context);
        TerminalView view(listed.address, {}, true);
        Workflow workflow(view, context.settingsFolder, context.cookies);
        workflow.ShareSiteInterfaces(context.siteInterfaces);
        workflow.ResetSettings(loaded.settings);
        view.Attach(&workflow);
        workflow.MarkReady();
        {
            const Watched watched(stop, workflow);
            workflow.OnListButton();
            workflow.WaitForWorkers();
        }
        const ExitCode code = ListExitCode(workflow.lastListResult());
        if (!batch) {
            return code;
        }
        failed = failed || (code != ExitCode::Ok && code != ExitCode::NoAlbums);
        anyAlbum = anyAlbum || code == ExitCode::Ok;
    }
    if (failed) {
        return ExitCode::Failed;
    }
    return anyAlbum || addresses->empty() ? ExitCode::Ok : ExitCode::NoAlbums;
}

CLI::App* DownloadCommand::Define(CLI::App& app) {
    return DefineAlbumCommand(
        app, "download",
        "download the albums behind an address, or those of each address of an input file in turn,\n"
        "ending with one summary. Exit 0 when every address was downloaded completely, 1 when any\n"
        "failed or was incomplete, 2 for a usage error",
        m_args, true);
}

ExitCode DownloadCommand::Run(CliContext& context) {
    const LoadedSettings loaded = LoadCliSettings(context);
    const AlbumArgs parsed = CheckAlbumArgs(m_args);
    if (!parsed.valid) {
        return ExitCode::Usage;
    }
    DownloadOptions options;
    options.albums = parsed.albums;
    options.newOnly = m_args.newOnly;
    if (!m_args.saveFolder.empty()) {
        options.saveFolder = FromUtf8(AbsoluteFolder(m_args.saveFolder));
    } else if (const auto history = HistoryTexts(loaded.settings, HistoryKind::SavePath); !history.empty()) {
        options.saveFolder = history.front();
    }
    if (options.saveFolder.empty()) {
        std::fprintf(stderr, "%s\n", ToUtf8(kMsgSetSaveFolder).c_str());
        return ExitCode::Usage;
    }
    const auto addresses = AddressesOf(parsed);
    if (!addresses) {
        return ExitCode::Usage;
    }
    const bool batch = parsed.inputFile.has_value();
    // Row numbers name the albums of one listing; another address lists other albums.
    if (!parsed.albums.empty() && addresses->size() > 1) {
        std::fprintf(stderr,
                     "albumora-cli: --albums with numbers takes one address; the input file has %zu\n",
                     addresses->size());
        return ExitCode::Usage;
    }
    options.rememberSaveFolder = !m_args.saveFolder.empty();

    StopOnSignal stop;
    std::size_t done = 0;
    std::size_t albums = 0;
    DownloadRunResult total;
    std::vector<std::string> unfinished;
    for (std::size_t k = 0; k < addresses->size(); ++k) {
        const ListedAddress& listed = (*addresses)[k];
        if (stop.signalled()) {
            unfinished.push_back(Printable(listed.address) + "：未开始（已终止）");
            continue;
        }
        if (batch && !CheckAddress(listed)) {
            unfinished.push_back(LineLabel(listed) + Printable(listed.address) + "：地址无效");
            continue;
        }
        if (batch) {
            std::fprintf(stderr, "[%zu/%zu] %s\n", k + 1, addresses->size(),
                         Printable(listed.address).c_str());
        }
        const AddressOutcome outcome =
            DownloadAddress(context, listed.address, options, stop, k, addresses->size());
        if (!batch) {
            return outcome.code;
        }
        albums += outcome.albums;
        if (outcome.downloaded) {
            total.picturesCollected += outcome.result.picturesCollected;
            total.picturesFailed += outcome.result.picturesFailed;
            total.picturesFiltered += outcome.result.picturesFiltered;
            total.picturesNotFetched += outcome.result.picturesNotFetched;
            total.picturesSkipped += outcome.result.picturesSkipped;
        }
        if (outcome.code == ExitCode::Ok) {
            ++done;
        } else {
            unfinished.push_back(LineLabel(listed) + Printable(listed.address) + "：未完成");
        }
    }
    std::fprintf(stderr,
                 "共 %zu 个地址：完成 %zu 个，未完成 %zu 个；相册 %zu 个，保存图片 %u 张，失败 %u "
                 "张，以前已下载 %u 张\n",
                 addresses->size(), done, addresses->size() - done, albums, PicturesSaved(total),
                 total.picturesFailed + total.picturesNotFetched, total.picturesSkipped);
    for (const std::string& line : unfinished) {
        std::fprintf(stderr, "  %s\n", line.c_str());
    }
    return done == addresses->size() ? ExitCode::Ok : ExitCode::Failed;
}

}  // namespace albumora::cli
