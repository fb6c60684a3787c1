// Measures the picture download path against a local site with a realistic latency, and the same
// pictures fetched by aria2c, in one run against one server.
//
//   albumora-bench [--pictures N] [--latency MS] [--threads T] [--runs R] [--cli PATH] [--skip-lists]
//                  [--https]
//
// Prints, per run and as medians: albumora's picture phase (wall, CPU, pictures/s, MB/s), aria2c's
// (wall, CPU), their ratios, the peak resident memory of `albumora-cli download` for the album,
// and how much the list stages add over their fixed pauses.
//
// --https serves the album as Duitang does today (JSON under /napi, pictures on https://c-ssl),
// through the test server's CONNECT proxy with certificates of a throw-away authority that both
// programs are told to trust, and prints the CONNECTs (one per new TLS connection) of each
// program's picture phase. The list stages stay on the old pages over http.
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
#include "support/FakeSitesToday.h"
#include "support/NoPauseClock.h"
#include "support/RecordingView.h"
#include "support/TempFolder.h"
#include "support/TestCertificates.h"

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
    bool https = false;
};

// Where the album is and how it is reached: plain http through the proxy, or today's site over
// https through the CONNECT proxy.
struct Site {
    test::TestWebServer* server = nullptr;
    std::string address{};     // the album as the user gives it
    std::string pictureUrl{};  // the picture host's address up to the file path
    std::string httpProxy{};
    std::string httpsProxy{};  // empty for plain http
    std::string caPath{};      // empty for plain http

    std::vector<std::string> Environment() const {
        std::vector<std::string> env{"http_proxy=" + httpProxy};
        if (!httpsProxy.empty()) {
            env.push_back("https_proxy=" + httpsProxy);
            env.push_back("CURL_CA_BUNDLE=" + caPath);
        }
        return env;
    }
};

// New TLS connections to the picture host among the CONNECTs from `from` on.
std::size_t PictureHandshakes(const test::TestWebServer& server, std::size_t from) {
    const std::vector<std::string> targets = server.connectTargets();
    const std::string host = std::string(test::kFakeDuitangPictureHost) + ":";
    return static_cast<std::size_t>(
        std::count_if(targets.begin() + static_cast<std::ptrdiff_t>(from), targets.end(),
                      [&](const std::string& target) { return target.starts_with(host); }));
}

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
    std::size_t handshakes = 0;  // to the picture host, over https only
};

// The whole workflow in this process; the picture phase is timed from the coordinator's start
// ("已开始下载图片") to its end.
PhaseResult AlbumoraPictures(const Options& options, const Site& site) {
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
    view.address = FromUtf8(site.address);

    steady_clock::time_point started;
    double cpuAtStart = 0;
    std::size_t connectsAtStart = 0;
    view.onProgress = [&](const WString& text) {
        if (text == u"已开始下载图片") {
            started = steady_clock::now();
            cpuAtStart = CpuSeconds(RUSAGE_SELF);
            connectsAtStart = site.server->connectTargets().size();
        }
    };
    // libcurl reads the proxy variables per request, so setting them here reaches every thread.
    for (const std::string& pair : site.Environment()) {
        const std::size_t equals = pair.find('=');
        setenv(pair.substr(0, equals).c_str(), pair.c_str() + equals + 1, 1);
    }
    workflow.MarkReady();
    workflow.OnListButton();
    workflow.WaitForWorkers();
    PhaseResult result;
    result.wall = duration<double>(steady_clock::now() - started).count();
    result.cpu = CpuSeconds(RUSAGE_SELF) - cpuAtStart;
    result.failed = workflow.lastRunResult().picturesFailed;
    result.handshakes = PictureHandshakes(*site.server, connectsAtStart);
    for (const std::string& pair : site.Environment()) {
        unsetenv(pair.substr(0, pair.find('=')).c_str());
    }
    return result;
}

PhaseResult Aria2Pictures(const Options& options, const Site& site, const test::FakeDuitangUser& user) {
    test::TempFolder folder;
    const std::string list = folder.file("urls.txt");
    std::ofstream out(list);
    for (const auto& picture : user.albums[0].pictures) {
        out << site.pictureUrl << picture.file << "\n";
    }
    out.close();
    std::vector<std::string> argv{"aria2c", "-q", "-j", std::to_string(options.threads), "-x", "1"};
    if (site.httpsProxy.empty()) {
        argv.push_back("--all-proxy=" + site.httpProxy);
    } else {
        argv.push_back("--https-proxy=" + site.httpsProxy);
        argv.push_back("--ca-certificate=" + site.caPath);
    }
    for (const char* arg :
         {"--file-allocation=none", "--auto-file-renaming=false", "--allow-overwrite=true", "-d"}) {
        argv.emplace_back(arg);
    }
    argv.push_back(folder.path() + "out");
    argv.emplace_back("-i");
    argv.push_back(list);
    const std::size_t connectsAtStart = site.server->connectTargets().size();
    const ChildResult child = RunChild(argv, {});
    return {child.wallSeconds, child.cpuSeconds, child.status == 0 ? 0u : 1u,
            PictureHandshakes(*site.server, connectsAtStart)};
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
        } else if (arg == "--https") {
            options.https = true;
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
    Site site{.server = &server, .httpProxy = server.proxyUrl()};
    test::TempFolder certificateFolder;
    if (options.https) {
        const test::TestCertificates certificates = test::MakeTestCertificates(
            certificateFolder.path(), {"*.duitang.com", "duitang.com", "huaban.com", "*.huaban.com"});
        server.EnableTls(certificates);
        test::TodayDuitangUser today;
        today.albums.push_back({user.albums[0].albumId, user.albums[0].name, user.albums[0].pictures});
        test::ServeDuitangToday(server, today);
        site.address = "https://www.duitang.com/album/?id=" + user.albums[0].albumId;
        site.pictureUrl = std::string("https://") + test::kFakeDuitangPictureHost + "/uploads/item/";
        site.httpsProxy = server.httpsProxyUrl();
        site.caPath = certificates.caPath;
    } else {
        test::ServeDuitangUser(server, user);
        site.address = "http://www.duitang.com/album/" + user.albums[0].albumId + "/";
        site.pictureUrl = std::string("http://") + test::kFakeDuitangPictureHost + "/uploads/item/";
    }
    server.SetLatency(milliseconds(options.latencyMs));
    const double megabytes = static_cast<double>(totalBytes) / 1e6;

    std::printf("album: %d pictures, %.1f MB, latency %d ms, %d threads, %s\n", options.pictures, megabytes,
                options.latencyMs, options.threads, options.https ? "https (today's interface)" : "http");
    std::vector<double> ourWall, ourCpu, ariaWall, ariaCpu, rss, ourHandshakes, ariaHandshakes;
    for (int run = 1; run <= options.runs; ++run) {
        const PhaseResult ours = AlbumoraPictures(options, site);
        const PhaseResult aria = Aria2Pictures(options, site, user);
        ourWall.push_back(ours.wall);
        ourCpu.push_back(ours.cpu);
        ariaWall.push_back(aria.wall);
        ariaCpu.push_back(aria.cpu);
        ourHandshakes.push_back(static_cast<double>(ours.handshakes));
        ariaHandshakes.push_back(static_cast<double>(aria.handshakes));
        std::printf(
            "run %d: albumora %.2f s wall, %.2f s CPU, %.1f pictures/s, %.1f MB/s, %u failed | "
            "aria2c %.2f s wall, %.2f s CPU, %u failed\n",
            run, ours.wall, ours.cpu, options.pictures / ours.wall, megabytes / ours.wall, ours.failed,
            aria.wall, aria.cpu, aria.failed);
        if (options.https) {
            std::printf("       TLS handshakes with the picture host: albumora %zu, aria2c %zu\n",
                        ours.handshakes, aria.handshakes);
        }
        if (!options.cli.empty()) {
            test::TempFolder settingsFolder;
            test::TempFolder save;
            const ChildResult cli = RunChild({options.cli, "--settings-dir", settingsFolder.path(),
                                              "download", site.address, "--save", save.path()},
                                             site.Environment());
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
    if (options.https) {
        std::printf("  TLS handshakes with the picture host: albumora %.0f, aria2c %.0f\n",
                    Median(ourHandshakes), Median(ariaHandshakes));
    }
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
