// The sample site of the offline demo: a Huaban board and a Duitang user with real pictures, served on
// 127.0.0.1 to a program that uses it as its http_proxy, so that the sites' own addresses work
// without a network; and a user of each site as they answer today, over https through the
// site's CONNECT proxy, with certificates of a throw-away authority. scripts/demo.sh starts it.
//
//   albumora-demo-site [--port N] [--ca-folder DIR]
//
// Prints one line once it listens,
//   http_proxy=http://127.0.0.1:PORT huaban=BOARD-ADDRESS duitang=USER-ADDRESS
//   https_proxy=http://127.0.0.1:PORT ca=CA-PATH huaban_today=USER-ADDRESS duitang_today=USER-ADDRESS
// (one line, the fields separated by single spaces) and serves until SIGINT or SIGTERM. It answers
// from its own pages only and never forwards a request: an address it does not know gets 404.
#include <pthread.h>
#include <signal.h>

#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>

#include "demo/DemoSample.h"
#include "support/FakeSitesToday.h"
#include "support/TestCertificates.h"
#include "support/TestWebServer.h"

namespace {

// Each request waits this long, so that the lists fill and the progress moves visibly.
constexpr std::chrono::milliseconds kLatency{40};

constexpr const char* kUsage =
    "Usage: albumora-demo-site [--port N] [--ca-folder DIR]\n"
    "Serves the demo's sample Huaban board and Duitang user on 127.0.0.1 (any free port unless N is\n"
    "given) for use as http_proxy, and a user of each site as they answer today over https, for use\n"
    "as https_proxy with the certificate authority it writes into DIR (else into a folder of its own\n"
    "under build/demo/, removed when it stops) trusted through CURL_CA_BUNDLE; until SIGINT or SIGTERM.\n";

int ParsePort(const std::string& text) {
    int port = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (error != std::errc() || end != text.data() + text.size() || port < 1 || port > 65535) {
        return -1;
    }
    return port;
}

// The folder the site made for its certificates when none was given; removed with everything in it
// once the site stops, so that runs leave nothing behind.
class OwnFolder {
public:
    OwnFolder() = default;
    OwnFolder(const OwnFolder&) = delete;
    OwnFolder& operator=(const OwnFolder&) = delete;
    ~OwnFolder() {
        if (m_path) {
            std::error_code ignored;
            std::filesystem::remove_all(*m_path, ignored);
        }
    }

    // A fresh folder under `parent`, which is made when missing.
    std::string Make(const std::filesystem::path& parent) {
        std::filesystem::create_directories(parent);
        std::string pattern = (parent / "ca-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot make a folder under " + parent.string());
        }
        m_path = pattern;
        return pattern;
    }

private:
    std::optional<std::string> m_path;
};

// The old user's page and album handler answer whatever query they are asked with, on the same paths
// as today's pages; a route with the query is asked first, so the today user's own addresses are
// routed by theirs, and both users keep their pages.
void RouteTodayDuitangPages(albumora::test::TestWebServer& server,
                            const albumora::test::TodayDuitangUser& user) {
    using albumora::test::kFakeDuitangHost;
    // What Duitang answers today in place of a user's or an album's old page.
    const albumora::test::Response page{
        .body = "<!DOCTYPE html><html><body><div id=\"root\"></div></body></html>", .charset = "utf-8"};
    server.Route(kFakeDuitangHost, "/people/?id=" + user.userId, page);
    server.Route(kFakeDuitangHost, "/people/?user_id=" + user.userId, page);
    for (const auto& album : user.albums) {
        server.Route(kFakeDuitangHost, "/album/?id=" + album.albumId, page);
    }
}

}  // namespace

int main(int argc, char** argv) {
    int port = 0;
    std::string caFolder;
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
        if (arg == "--ca-folder" && i + 1 < argc) {
            caFolder = argv[++i];
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

    OwnFolder ownFolder;
    try {
        // Listening first makes a taken port fail at once, not after the pictures are drawn. Until
        // the line below names the port, nobody asks for the pages.
        albumora::test::TestWebServer server(port);
        if (caFolder.empty()) {
            caFolder = ownFolder.Make(ALBUMORA_DEMO_FOLDER);
        } else {
            std::filesystem::create_directories(caFolder);
        }
        const albumora::test::TestCertificates certificates = albumora::test::MakeTestCertificates(
            caFolder, {"huaban.com", "*.huaban.com", "duitang.com", "*.duitang.com"});
        server.EnableTls(certificates);

        const albumora::demo::DemoSample sample = albumora::demo::MakeDemoSample();
        albumora::test::ServeHuabanBoard(server, sample.board);
        albumora::test::ServeHuabanToday(server, sample.todayHuabanUser);
        // Today's Duitang first: the old user's pages then take the paths both route, as before.
        albumora::test::ServeDuitangToday(server, sample.todayDuitangUser);
        albumora::test::ServeDuitangUser(server, sample.user);
        RouteTodayDuitangPages(server, sample.todayDuitangUser);
        server.SetLatency(kLatency);
        // The fields of old come first, so that a reader of the old line still finds them.
        std::printf(
            "http_proxy=%s huaban=%s duitang=%s https_proxy=%s ca=%s huaban_today=%s duitang_today=%s\n",
            server.proxyUrl().c_str(), albumora::demo::DemoBoardAddress(sample).c_str(),
            albumora::demo::DemoUserAddress(sample).c_str(), server.httpsProxyUrl().c_str(),
            certificates.caPath.c_str(), albumora::demo::DemoTodayHuabanUserAddress(sample).c_str(),
            albumora::demo::DemoTodayDuitangUserAddress(sample).c_str());
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
