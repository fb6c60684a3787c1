// The sample site of the offline demo: a Huaban board and a Duitang user with real pictures, served on
// 127.0.0.1 to a program that uses it as its http_proxy, so that the sites' own addresses work
// without a network. scripts/demo.sh starts it.
//
//   albumora-demo-site [--port N]
//
// Prints one line once it listens,
//   http_proxy=http://127.0.0.1:PORT huaban=BOARD-ADDRESS duitang=USER-ADDRESS
// and serves until SIGINT or SIGTERM. It answers from its own pages only and never forwards a
// request: an address it does not know gets 404.
#include <pthread.h>
#include <signal.h>

#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <exception>
#include <string>

#include "demo/DemoSample.h"
#include "support/TestWebServer.h"

namespace {

// Each request waits this long, so that the lists fill and the progress moves visibly.
constexpr std::chrono::milliseconds kLatency{40};

constexpr const char* kUsage =
    "Usage: albumora-demo-site [--port N]\n"
    "Serves the demo's sample Huaban board and Duitang user on 127.0.0.1 (any free port unless N is\n"
    "given) for use as http_proxy, until SIGINT or SIGTERM.\n";

int ParsePort(const std::string& text) {
    int port = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (error != std::errc() || end != text.data() + text.size() || port < 1 || port > 65535) {
        return -1;
    }
    return port;
}

}  // namespace

int main(int argc, char** argv) {
    int port = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--port" && i + 1 < argc) {
            port = ParsePort(argv[++i]);
            if (port < 0) {
                std::fprintf(stderr, "albumora-demo-site: --port takes a number from 1 to 65535, not '%s'\n",
                             argv[i]);
                return 2;
            }
            continue;
        }
        std::fprintf(stderr, "albumora-demo-site: unexpected argument '%s'\n%s", arg.c_str(), kUsage);
        return 2;
    }

    // Blocked before the server's threads start, so that they inherit the mask and the signals wait
    // for sigwait below instead of ending the process half-way through a response.
    // A shell script's background job starts with SIGINT ignored; the signal is promised to stop
    // the site all the same.
    std::signal(SIGINT, SIG_DFL);
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    try {
        // Listening first makes a taken port fail at once, not after the pictures are drawn. Until
        // the line below names the port, nobody asks for the pages.
        albumora::test::TestWebServer server(port);
        const albumora::demo::DemoSample sample = albumora::demo::MakeDemoSample();
        albumora::test::ServeHuabanBoard(server, sample.board);
        albumora::test::ServeDuitangUser(server, sample.user);
        server.SetLatency(kLatency);
        std::printf("http_proxy=%s huaban=%s duitang=%s\n", server.proxyUrl().c_str(),
                    albumora::demo::DemoBoardAddress(sample).c_str(),
                    albumora::demo::DemoUserAddress(sample).c_str());
        std::fflush(stdout);

        int received = 0;
        sigwait(&stopSignals, &received);
        server.Stop();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "albumora-demo-site: %s\n", error.what());
        return 1;
    }
    return 0;
}
