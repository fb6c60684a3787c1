// Measures how long a stop takes to end a run, pressed at random moments of runs that spend their
// time in the places a stop must cut short: the 6 s pause after a failed Huaban page, the 1.5 s
// pauses between Duitang list pages, and pictures whose bodies stall.
//
//   albumora-stop-bench [--stops N] [--seed S]
//
// Prints each stop's latency (from RequestStop to the last worker's end) and the median and worst.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "core/net/CookieStore.h"
#include "core/settings/SettingsStore.h"
#include "core/workflow/Workflow.h"
#include "support/FakeSites.h"
#include "support/RecordingView.h"
#include "support/TempFolder.h"

using namespace albumora;
using namespace std::chrono;

namespace {

struct Scenario {
    const char* name;
    const char* address;
};

// Each run is one of these; what it is doing when the stop comes depends on the moment drawn.
constexpr Scenario kScenarios[] = {
    {"huaban page failing (6 s pauses)", "http://huaban.com/boards/1001/"},
    {"duitang list pages (1.5 s pauses)", "http://www.duitang.com/people/?user_id=7788"},
    {"stalled picture bodies", "http://www.duitang.com/album/600/"},
};

void ServeScenarios(test::TestWebServer& server) {
    test::FakeHuabanBoard board;
    board.pins = test::MakePins(1000, 45);
    test::ServeHuabanBoard(server, board);
    server.Route("huaban.com", "/boards/1001/?hxzmqq1s&max=981&limit=20&wfl=1",
                 test::Response{.status = 503, .body = "busy"});

    test::FakeDuitangUser user;
    for (int i = 0; i < 24 * 6; ++i) {
        user.albums.push_back(
            {std::to_string(1000 + i), "册" + std::to_string(i), test::MakeDuitangPictures("x", 1)});
    }
    user.albums.push_back({"600", "慢", test::MakeDuitangPictures("600", 24)});
    test::ServeDuitangUser(server, user);
    for (int i = 1; i <= 24; ++i) {
        server.Route(test::kFakeDuitangPictureHost, "/uploads/item/p600_" + std::to_string(i) + ".jpg",
                     test::Response{.body = test::PictureBytes(test::PictureKind::Jpeg, 50000),
                                    .contentType = "image/jpeg",
                                    .stallAfter = 10000,
                                    .stallFor = seconds(8)});
    }
}

// One run with the real pauses, stopped after `delay`; returns the stop's latency.
duration<double> StopAfter(const Scenario& scenario, milliseconds delay) {
    test::TempFolder settingsFolder;
    test::TempFolder save;
    test::RecordingView view;
    CookieStore cookies;
    Workflow workflow(view, settingsFolder.path(), &cookies);
    workflow.ResetSettings(LoadSettings(settingsFolder.path()).settings);
    view.workflow = &workflow;
    view.saveFolder = FromUtf8(save.path());
    view.address = FromUtf8(scenario.address);
    workflow.MarkReady();
    workflow.OnListButton();
    std::this_thread::sleep_for(delay);
    const auto pressed = steady_clock::now();
    workflow.RequestStop();
    workflow.WaitForWorkers();
    return steady_clock::now() - pressed;
}

}  // namespace

int main(int argc, char** argv) {
    int stops = 12;
    unsigned seed = 2026;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--stops") == 0) {
            stops = std::max(1, std::atoi(argv[i + 1]));
        } else if (std::strcmp(argv[i], "--seed") == 0) {
            seed = static_cast<unsigned>(std::strtoul(argv[i + 1], nullptr, 10));
        }
    }
    test::TestWebServer server;
    ServeScenarios(server);
    setenv("http_proxy", server.proxyUrl().c_str(), 1);

    std::mt19937 random(seed);
    std::uniform_int_distribution<int> moment(100, 9000);
    std::vector<double> latencies;
    for (int i = 0; i < stops; ++i) {
        const Scenario& scenario = kScenarios[static_cast<size_t>(i) % std::size(kScenarios)];
        const milliseconds delay(moment(random));
        const double seconds = StopAfter(scenario, delay).count();
        latencies.push_back(seconds);
        std::printf("stop %2d after %5lld ms, %-34s %6.0f ms\n", i + 1, static_cast<long long>(delay.count()),
                    scenario.name, seconds * 1000);
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("stop latency over %d stops: median %.0f ms, worst %.0f ms\n", stops,
                latencies[latencies.size() / 2] * 1000, latencies.back() * 1000);
    return 0;
}
