// Measures what a picture host that sets cookies on every answer costs a download: the same album
// of pictures, once from a host that sets none and once from one that sets 20 new cookies per
// answer, with the jar kept in a cookies.txt as the programs keep it.
//
//   albumora-cookie-bench [--pictures N]
//
// Prints the wall time of each run and the size of cookies.txt afterwards.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

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
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(cookieFile, error);
    result.cookieFileBytes = error ? 0 : size;
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    int pictures = 200;
    if (argc == 3 && std::strcmp(argv[1], "--pictures") == 0) {
        pictures = std::max(1, std::atoi(argv[2]));
    }
    test::TestWebServer server;
    setenv("http_proxy", server.proxyUrl().c_str(), 1);
    for (const int perAnswer : {0, 20}) {
        const RunResult run = Download(server, pictures, perAnswer);
        std::printf("%d pictures, %2d cookies per answer: %.2f s, cookies.txt %ju bytes\n", pictures,
                    perAnswer, run.seconds, run.cookieFileBytes);
    }
    return 0;
}
