// Measures what cookies cost a run. The start: from opening cookies.txt to the answer of the first
// request through the jar, with an empty file, with one of N lines over 400 sites that grew beyond
// the jar's limits (its first load, which trims it) and with that file once trimmed. Then what a
// picture host that sets cookies on every answer costs a download: the same album of pictures,
// once from a host that sets none and once from one that sets 20 new cookies per answer, with the
// jar kept in a cookies.txt as the programs keep it.
//
//   albumora-cookie-bench [--pictures N] [--lines N] [--runs N]
//
// Prints the median start of each file with the size of cookies.txt afterwards, then the wall time
// of each download and the size of cookies.txt afterwards.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/net/CookieStore.h"
#include "core/net/URLSource2.h"
#include "core/settings/SettingsStore.h"
#include "core/workflow/Workflow.h"
#include "support/FakeSites.h"
#include "support/NoPauseClock.h"
#include "support/RecordingView.h"
#include "support/TempFolder.h"

using namespace albumora;
using namespace std::chrono;

namespace {

std::uintmax_t FileBytes(const std::string& path) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    return error ? 0 : size;
}

// As a cookies.txt that grew for years: oldest first, host-only and subdomain cookies, a fifth of
// them session cookies, a few expired.
std::string OversizedCookieFile(int lines) {
    std::string text = "# Netscape HTTP Cookie File\n\n";
    for (int i = 0; i < lines; ++i) {
        const std::string site = "site" + std::to_string(i % 400) + ".example";
        const std::string domain = i % 4 == 0 ? "." + site : site;
        const char* expires = i % 1000 == 999 ? "1600000000" : i % 5 == 0 ? "0" : "4102444800";
        text += (i % 3 == 0 ? "#HttpOnly_" : "") + domain + (i % 4 == 0 ? "\tTRUE\t/\t" : "\tFALSE\t/\t") +
                (i % 2 == 0 ? "TRUE\t" : "FALSE\t") + expires + "\t_ga" + std::to_string(i) + '\t' +
                "GA1.2." + std::to_string(1000000000 + i) + ".1690000000\n";
    }
    return text;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Opening the jar and the answer of the first request through it.
double StartSeconds(test::TestWebServer& server, const std::string& cookieFile) {
    const auto started = steady_clock::now();
    CookieStore cookies(cookieFile);
    ST_URLREQUEST request(FromUtf8(server.url("/start")), {}, 5000);
    request.cookieStore = &cookies;
    CURLSource response;
    if (!FetchUrl(request, response, 0)) {
        std::fprintf(stderr, "the first request failed\n");
        std::exit(1);
    }
    return duration<double>(steady_clock::now() - started).count();
}

void MeasureStart(test::TestWebServer& server, int lines, int runs) {
    server.ClearRoutes();
    server.Route("/start", test::Response{.body = "ok"});
    const std::string oversized = OversizedCookieFile(lines);
    test::TempFolder folder;
    const std::string cookieFile = folder.file("cookies.txt");
    std::vector<double> empty;
    std::vector<double> firstLoad;
    std::vector<double> trimmed;
    for (int run = 0; run < runs; ++run) {
        test::WriteFile(cookieFile, "");
        empty.push_back(StartSeconds(server, cookieFile));
        test::WriteFile(cookieFile, oversized);
        firstLoad.push_back(StartSeconds(server, cookieFile));
        trimmed.push_back(StartSeconds(server, cookieFile));
    }
    const std::uintmax_t trimmedBytes = FileBytes(cookieFile);
    std::printf("start, empty cookies.txt: %.2f ms\n", Median(empty) * 1000);
    std::printf("start, %d-line cookies.txt (%ju bytes), first load: %.2f ms, written back %ju bytes\n",
                lines, static_cast<std::uintmax_t>(oversized.size()), Median(firstLoad) * 1000, trimmedBytes);
    std::printf("start, the same once trimmed: %.2f ms\n", Median(trimmed) * 1000);
}

struct RunResult {
    double seconds = 0;
    std::uintmax_t cookieFileBytes = 0;
};

RunResult Download(test::TestWebServer& server, int pictures, int cookiesPerAnswer) {
    test::FakeDuitangUser user;
    user.albums.push_back({"4343", "cookies", test::MakeDuitangPictures("4343", pictures)});
    server.ClearRoutes();
    test::ServeDuitangUser(server, user);
    for (int i = 1; i <= pictures && cookiesPerAnswer > 0; ++i) {
        test::Response answer{.body = test::PictureBytes(test::PictureKind::Jpeg, 20000),
                              .contentType = "image/jpeg"};
        for (int c = 0; c < cookiesPerAnswer; ++c) {
            answer.setCookies.push_back("t" + std::to_string(i) + "_" + std::to_string(c) + "=" +
                                        std::string(40, 'x') + "; Max-Age=86400; Path=/");
        }
        server.Route(test::kFakeDuitangPictureHost, "/uploads/item/p4343_" + std::to_string(i) + ".jpg",
                     answer);
    }
    test::TempFolder settingsFolder;
    test::TempFolder save;
    test::RecordingView view;
    test::NoPauseClock clock;
    const std::string cookieFile = settingsFolder.file("cookies.txt");
    RunResult result;
    const auto started = steady_clock::now();
    {
        CookieStore cookies(cookieFile);
        Workflow workflow(view, settingsFolder.path(), &cookies, clock);
        workflow.ResetSettings(LoadSettings(settingsFolder.path()).settings);
        view.workflow = &workflow;
        view.saveFolder = FromUtf8(save.path());
        view.address = u"http://www.duitang.com/album/4343/";
        workflow.MarkReady();
        workflow.OnListButton();
        workflow.WaitForWorkers();
    }
    result.seconds = duration<double>(steady_clock::now() - started).count();
    result.cookieFileBytes = FileBytes(cookieFile);
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    int pictures = 200;
    int lines = 60000;
    int runs = 15;
    for (int i = 1; i + 1 < argc; i += 2) {
        const int value = std::max(1, std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--pictures") == 0) {
            pictures = value;
        } else if (std::strcmp(argv[i], "--lines") == 0) {
            lines = value;
        } else if (std::strcmp(argv[i], "--runs") == 0) {
            runs = value;
        }
    }
    test::TestWebServer server;
    MeasureStart(server, lines, runs);
    setenv("http_proxy", server.proxyUrl().c_str(), 1);
    for (const int perAnswer : {0, 20}) {
        const RunResult run = Download(server, pictures, perAnswer);
        std::printf("%d pictures, %2d cookies per answer: %.2f s, cookies.txt %ju bytes\n", pictures,
                    perAnswer, run.seconds, run.cookieFileBytes);
    }
    return 0;
}
