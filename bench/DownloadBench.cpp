// Measures the picture download path against a local site with a realistic latency, and the same
// pictures fetched by aria2c, in one run against one server.
//
//   albumora-bench [--pictures N] [--latency MS] [--threads T] [--runs R] [--cli PATH] [--skip-lists]
//
// Prints, per run and as medians: albumora's picture phase (wall, CPU, pictures/s, MB/s), aria2c's
// (wall, CPU), their ratios, the peak resident memory of `albumora-cli download` for the album,
// and how much the list stages add over their fixed pauses.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "core/net/CookieStore.h"
#include "core/settings/SettingsStore.h"
#include "core/workflow/Workflow.h"
#include "support/FakeSites.h"
#include "support/NoPauseClock.h"
#include "support/RecordingView.h"
#include "support/TempFolder.h"

using namespace albumora;
using namespace std::chrono;

namespace {

struct Options {
    int pictures = 200;
    int latencyMs = 80;
    int threads = 15;
    int runs = 5;
    std::string cli;
    bool lists = true;
};

double CpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Sizes spread evenly over 20..300 KB, in a fixed shuffled order.
test::FakeDuitangUser MakeAlbum(int pictures, std::uint64_t& totalBytes) {
    test::FakeDuitangUser user;
    user.albums.push_back({"4242", "bench", test::MakeDuitangPictures("4242", pictures)});
    totalBytes = 0;
    for (int i = 0; i < pictures; ++i) {
        const std::size_t kb =
            20 + static_cast<std::size_t>((i * 7919) % pictures) * 280 / std::max(1, pictures - 1);
        user.albums[0].pictures[static_cast<size_t>(i)].size = kb * 1024;
        totalBytes += kb * 1024;
    }
    return user;
}

struct ChildResult {
    int status = -1;
    double wallSeconds = 0;
    double cpuSeconds = 0;
    long maxRssKb = 0;
};

ChildResult RunChild(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
    std::fflush(stdout);  // or the child would print our buffered lines again
    const auto started = steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        for (const std::string& pair : env) {
            putenv(const_cast<char*>(pair.c_str()));
        }
        std::vector<char*> args;
        for (const std::string& arg : argv) {
            args.push_back(const_cast<char*>(arg.c_str()));
        }
        args.push_back(nullptr);
        if (std::freopen("/dev/null", "w", stdout) == nullptr ||
            std::freopen("/dev/null", "w", stderr) == nullptr) {
            _exit(126);
        }
        execvp(args[0], args.data());
        _exit(127);
    }
    ChildResult result;
    rusage usage{};
    int status = 0;
    // The child's own peak is read from /proc while it runs: the rusage figure would also count
    // this process's pages, which the child held between fork and exec.
    const std::string statusPath = "/proc/" + std::to_string(pid) + "/status";
    while (wait4(pid, &status, WNOHANG, &usage) == 0) {
        std::ifstream file(statusPath);
        bool execed = false;  // before exec the child is still a copy of this program
        for (std::string line; std::getline(file, line);) {
            if (line.starts_with("Name:")) {
                execed = line.find("albumora-bench") == std::string::npos;
            } else if (execed && line.starts_with("VmHWM:")) {
                result.maxRssKb = std::max(result.maxRssKb, std::atol(line.c_str() + 6));
            }
        }
        std::this_thread::sleep_for(milliseconds(10));
    }
    result.wallSeconds = duration<double>(steady_clock::now() - started).count();
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                        static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return result;
}

struct PhaseResult {
    double wall = 0;
    double cpu = 0;
    unsigned failed = 0;
};

// The whole workflow in this process; the picture phase is timed from the coordinator's start
// ("已开始下载图片") to its end.
PhaseResult AlbumoraPictures(const Options& options, const std::string& proxy) {
    test::TempFolder settingsFolder;
    test::TempFolder save;
    test::RecordingView view;
    test::NoPauseClock clock;
    CookieStore cookies;
    PersistentSettings settings = LoadSettings(settingsFolder.path()).settings;
    settings.downloadParams[18].threadCount = static_cast<std::uint16_t>(options.threads);
    Workflow workflow(view, settingsFolder.path(), &cookies, clock);
    workflow.ResetSettings(settings);
    view.workflow = &workflow;
    view.saveFolder = FromUtf8(save.path());
    view.address = u"http://www.duitang.com/album/4242/";

    steady_clock::time_point started;
    double cpuAtStart = 0;
    view.onProgress = [&](const WString& text) {
        if (text == u"已开始下载图片") {
            started = steady_clock::now();
            cpuAtStart = CpuSeconds(RUSAGE_SELF);
        }
    };
    setenv("http_proxy", proxy.c_str(), 1);
    workflow.MarkReady();
    workflow.OnListButton();
    workflow.WaitForWorkers();
    PhaseResult result;
    result.wall = duration<double>(steady_clock::now() - started).count();
    result.cpu = CpuSeconds(RUSAGE_SELF) - cpuAtStart;
    result.failed = workflow.lastRunResult().picturesFailed;
    unsetenv("http_proxy");
    return result;
}

PhaseResult Aria2Pictures(const Options& options, const std::string& proxy,
                          const test::FakeDuitangUser& user) {
    test::TempFolder folder;
    const std::string list = folder.file("urls.txt");
    std::ofstream out(list);
    for (const auto& picture : user.albums[0].pictures) {
        out << "http://" << test::kFakeDuitangPictureHost << "/uploads/item/" << picture.file << "\n";
    }
    out.close();
    const ChildResult child =
        RunChild({"aria2c", "-q", "-j", std::to_string(options.threads), "-x", "1", "--all-proxy=" + proxy,
                  "--file-allocation=none", "--auto-file-renaming=false", "--allow-overwrite=true", "-d",
                  folder.path() + "out", "-i", list},
                 {});
    return {child.wallSeconds, child.cpuSeconds, child.status == 0 ? 0u : 1u};
}

// Wall time of a list stage with the real pauses, less the pauses themselves.
double ListOverhead(const std::string& address, double pausesSeconds, const std::string& proxy,
                    bool listOnly) {
    test::TempFolder settingsFolder;
    test::TempFolder save;
    test::RecordingView view;
    CookieStore cookies;
    PersistentSettings settings = LoadSettings(settingsFolder.path()).settings;
    if (listOnly) {
        settings.namingRecords[18].optionFlags |= OPT_THUNDER_LIST_ONLY;
    }
    Workflow workflow(view, settingsFolder.path(), &cookies);
    workflow.ResetSettings(settings);
    view.workflow = &workflow;
    view.saveFolder = FromUtf8(save.path());
    view.address = FromUtf8(address);
    setenv("http_proxy", proxy.c_str(), 1);
    const auto started = steady_clock::now();
    workflow.MarkReady();
    workflow.OnListButton();
    workflow.WaitForWorkers();
    unsetenv("http_proxy");
    const double wall = duration<double>(steady_clock::now() - started).count();
    return (wall - pausesSeconds) / pausesSeconds * 100.0;
}

Options ParseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
        if (arg == "--pictures") {
            options.pictures = std::max(1, std::atoi(next().c_str()));
        } else if (arg == "--latency") {
            options.latencyMs = std::max(0, std::atoi(next().c_str()));
        } else if (arg == "--threads") {
            options.threads = std::clamp(std::atoi(next().c_str()), 1, 15);
        } else if (arg == "--runs") {
            options.runs = std::max(1, std::atoi(next().c_str()));
        } else if (arg == "--cli") {
            options.cli = next();
        } else if (arg == "--skip-lists") {
            options.lists = false;
        }
    }
    return options;
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = ParseOptions(argc, argv);
    test::TestWebServer server;
    std::uint64_t totalBytes = 0;
    const test::FakeDuitangUser user = MakeAlbum(options.pictures, totalBytes);
    test::ServeDuitangUser(server, user);
    server.SetLatency(milliseconds(options.latencyMs));
    const std::string proxy = server.proxyUrl();
    const double megabytes = static_cast<double>(totalBytes) / 1e6;

    std::printf("album: %d pictures, %.1f MB, latency %d ms, %d threads\n", options.pictures, megabytes,
                options.latencyMs, options.threads);
    std::vector<double> ourWall, ourCpu, ariaWall, ariaCpu, rss;
    for (int run = 1; run <= options.runs; ++run) {
        const PhaseResult ours = AlbumoraPictures(options, proxy);
        const PhaseResult aria = Aria2Pictures(options, proxy, user);
        ourWall.push_back(ours.wall);
        ourCpu.push_back(ours.cpu);
        ariaWall.push_back(aria.wall);
        ariaCpu.push_back(aria.cpu);
        std::printf(
            "run %d: albumora %.2f s wall, %.2f s CPU, %.1f pictures/s, %.1f MB/s, %u failed | "
            "aria2c %.2f s wall, %.2f s CPU\n",
            run, ours.wall, ours.cpu, options.pictures / ours.wall, megabytes / ours.wall, ours.failed,
            aria.wall, aria.cpu);
        if (!options.cli.empty()) {
            test::TempFolder settingsFolder;
            test::TempFolder save;
            const ChildResult cli =
                RunChild({options.cli, "--settings-dir", settingsFolder.path(), "download",
                          "http://www.duitang.com/album/4242/", "--save", save.path()},
                         {"http_proxy=" + proxy});
            rss.push_back(static_cast<double>(cli.maxRssKb) / 1024.0);
            std::printf("       albumora-cli download: exit %d, %.2f s wall, peak RSS %.1f MB\n", cli.status,
                        cli.wallSeconds, static_cast<double>(cli.maxRssKb) / 1024.0);
        }
    }
    std::printf("\nmedians of %d runs:\n", options.runs);
    std::printf("  albumora picture phase: %.2f s wall, %.2f s CPU, %.1f pictures/s, %.1f MB/s\n",
                Median(ourWall), Median(ourCpu), options.pictures / Median(ourWall),
                megabytes / Median(ourWall));
    std::printf("  aria2c -j %d:            %.2f s wall, %.2f s CPU\n", options.threads, Median(ariaWall),
                Median(ariaCpu));
    std::printf("  ratio albumora/aria2c:  wall %.2f, CPU %.2f\n", Median(ourWall) / Median(ariaWall),
                Median(ourCpu) / Median(ariaCpu));
    if (!rss.empty()) {
        std::printf("  albumora-cli download peak RSS: %.1f MB\n", Median(rss));
    }

    if (options.lists) {
        // 100 albums: five pages of albums and the empty page that ends the list, 1.5 s before each.
        test::FakeDuitangUser many;
        for (int i = 0; i < 100; ++i) {
            many.albums.push_back({std::to_string(10000 + i), "album" + std::to_string(i), {}});
        }
        many.userId = "9001";
        test::FakeHuabanBoard board;
        board.pins = test::MakePins(900000, 200);
        // Once on a server that answers at once, which leaves only our own work over the pauses, and
        // once with the latency, which adds the network's time per request.
        for (const int latency : {0, options.latencyMs}) {
            test::TestWebServer listServer;
            test::ServeDuitangUser(listServer, many);
            test::ServeHuabanBoard(listServer, board);
            listServer.SetLatency(milliseconds(latency));
            std::vector<double> duitang;
            std::vector<double> huaban;
            for (int run = 0; run < options.runs; ++run) {
                duitang.push_back(ListOverhead("http://www.duitang.com/people/?user_id=9001", 6 * 1.5,
                                               listServer.proxyUrl(), true));
                // 200 pins: the board page and nine further pages, 2 s after each page but the last.
                huaban.push_back(
                    ListOverhead("http://huaban.com/boards/1001/", 9 * 2.0, listServer.proxyUrl(), true));
            }
            std::printf(
                "  list stage over its pauses at %d ms latency: Duitang 100 albums +%.1f%%, "
                "Huaban 200 pins +%.1f%%\n",
                latency, Median(duitang), Median(huaban));
        }
    }
    return 0;
}
