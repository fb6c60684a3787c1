#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <thread>

#include "support/FakeSites.h"
#include "support/ProcessRunner.h"
#include "support/TempFolder.h"

namespace albumora::test {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

// What albumora-cli reports of a run is what happened: pages that failed make it fail, a killed run
// is finished by the next, and a stop does not wait out the site's pauses.
class RunOutcomeTest : public ::testing::Test {
protected:
    void SetUp() override {
        SharedTestServer().ClearRoutes();
        SharedTestServer().ClearRequests();
    }

    std::vector<std::string> Args(std::vector<std::string> args) const {
        args.insert(args.begin(), {"--settings-dir", m_settings.path()});
        return args;
    }
    ProcessResult Cli(std::vector<std::string> args,
                      const std::string& proxy = SharedTestServer().proxyUrl()) {
        return RunProcess(ALBUMORA_CLI_PATH, Args(std::move(args)), {{"http_proxy", proxy}}, seconds(90));
    }

    size_t Count(const std::string& folder, const std::string& ending) const {
        size_t count = 0;
        if (std::filesystem::is_directory(folder)) {
            for (const auto& entry : std::filesystem::directory_iterator(folder)) {
                count += entry.path().filename().string().ends_with(ending);
            }
        }
        return count;
    }

    template <typename Condition>
    static bool WaitFor(Condition condition, milliseconds limit = seconds(30)) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!condition()) {
            if (std::chrono::steady_clock::now() > end) {
                return false;
            }
            std::this_thread::sleep_for(milliseconds(20));
        }
        return true;
    }

    TempFolder m_settings;
    TempFolder m_save;
};

TEST_F(RunOutcomeTest, FailedPagesEndInExitOneWithoutAMarker) {
    FakeDuitangUser user;
    user.albums.push_back({"321", "三十", MakeDuitangPictures("321", 30)});
    for (int i = 1; i < 30; ++i) {
        user.albums.push_back(
            {std::to_string(400 + i), "册" + std::to_string(i), MakeDuitangPictures("x", 1)});
    }
    ServeDuitangUser(SharedTestServer(), user);
    SharedTestServer().Route(kFakeDuitangHost, "/album/321/masn/p/2/24/",
                             Response{.status = 500, .body = "oops"});
    const ProcessResult album =
        Cli({"download", "http://www.duitang.com/album/321/", "--save", m_save.path()});
    EXPECT_EQ(album.exitCode, 1) << album.err;
    EXPECT_NE(album.err.find(
                  "相册“三十”不完整：只获取到24/30张图片信息（第2页图片列表读取失败：服务器回答 HTTP 500）"),
              std::string::npos)
        << album.err;
    EXPECT_EQ(ListFolder(m_save.path() + "堆糖_7788/三十/").size(), 24u);  // and no pic.kvx

    SharedTestServer().Route(kFakeDuitangHost, "/album/list/2/24/",
                             Response{.status = 502, .body = "bad gateway"});
    const ProcessResult list = Cli({"list", "http://www.duitang.com/people/?user_id=7788"});
    EXPECT_EQ(list.exitCode, 1) << list.err;
    EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), 24);
    EXPECT_NE(list.err.find("获取相册列表未完成，已获取24个：第2页专辑列表读取失败：服务器回答 HTTP 502"),
              std::string::npos)
        << list.err;

    SharedTestServer().Route(kFakeDuitangHost, "/album/321/", Response{.status = 503, .body = "busy"});
    const ProcessResult page =
        Cli({"download", "http://www.duitang.com/album/321/", "--save", m_save.path()});
    EXPECT_EQ(page.exitCode, 1) << page.err;
    EXPECT_NE(page.err.find("获取相册列表失败：堆糖页面读取失败：服务器回答 HTTP 503"), std::string::npos)
        << page.err;

    // A proxy that is not there is a failure, not a user without albums.
    TestWebServer closed;
    const std::string unreachable = closed.proxyUrl();
    closed.Stop();
    const ProcessResult offline = Cli({"list", "http://www.duitang.com/people/?user_id=7788"}, unreachable);
    EXPECT_EQ(offline.exitCode, 1) << offline.err;
    EXPECT_NE(offline.err.find("获取相册列表失败：堆糖页面读取失败：无法连接"), std::string::npos)
        << offline.err;
}

TEST_F(RunOutcomeTest, KilledDownloadIsFinishedByTheNextRunFetchingOnlyWhatIsMissing) {
    ASSERT_EQ(Cli({"settings", "set", "threads", "3"}).exitCode, 0);
    FakeDuitangUser user;
    user.albums.push_back({"321", "断电", MakeDuitangPictures("321", 12)});
    ServeDuitangUser(SharedTestServer(), user);
    // Pictures 7 to 9 stall half way, holding all three threads, with their files half written.
    for (int number = 7; number <= 9; ++number) {
        SharedTestServer().Route(kFakeDuitangPictureHost,
                                 "/uploads/item/p321_" + std::to_string(number) + ".jpg",
                                 Response{.body = PictureBytes(PictureKind::Jpeg, 60000),
                                          .contentType = "image/jpeg",
                                          .stallAfter = 20000,
                                          .stallFor = seconds(60)});
    }
    const std::string album = m_save.path() + "堆糖_7788/断电/";
    {
        BackgroundProcess run(
            ALBUMORA_CLI_PATH,
            Args({"download", "http://www.duitang.com/album/321/", "--save", m_save.path()}),
            {{"http_proxy", SharedTestServer().proxyUrl()}});
        ASSERT_TRUE(WaitFor([&] { return Count(album, ".jpg") == 6 && Count(album, ".part") == 3; }));
        run.Stop(SIGKILL, seconds(10));
    }
    EXPECT_EQ(Count(album, ".part"), 3u);

    ServeDuitangUser(SharedTestServer(), user);
    SharedTestServer().ClearRequests();
    const ProcessResult next = Cli({"download", "http://www.duitang.com/album/321/"});
    EXPECT_EQ(next.exitCode, 0) << next.err;
    EXPECT_EQ(SharedTestServer().requestsToHost(kFakeDuitangPictureHost).size(), 6u);
    EXPECT_NE(next.err.find("6 张图片以前已下载"), std::string::npos) << next.err;
    EXPECT_EQ(Count(album, ".jpg"), 12u);
    EXPECT_EQ(Count(album, ".part"), 0u);
    EXPECT_TRUE(ReadFile(album + "pic.kvx").exists);
}

TEST_F(RunOutcomeTest, DownloadAfterAnAlbumListThatEndedPartWayIsNoSuccess) {
    FakeDuitangUser user;
    for (int i = 0; i < 30; ++i) {
        user.albums.push_back(
            {std::to_string(800 + i), "册" + std::to_string(i + 1), MakeDuitangPictures("8", 1)});
    }
    ServeDuitangUser(SharedTestServer(), user);
    SharedTestServer().Route(kFakeDuitangHost, "/album/list/2/24/", Response{.status = 503, .body = "busy"});
    const ProcessResult result = Cli({"download", "http://www.duitang.com/people/?user_id=7788", "--albums",
                                      "1", "--save", m_save.path()});
    EXPECT_EQ(result.exitCode, 1) << result.err;
}

TEST_F(RunOutcomeTest, StopInTheMiddleOfAPauseEndsTheRunPromptly) {
    FakeHuabanBoard board;
    board.pins = MakePins(1000, 45);
    ServeHuabanBoard(SharedTestServer(), board);
    // The page after the board page fails: the site's rate limit is waited out for 6 s.
    SharedTestServer().Route("huaban.com", "/boards/1001/?hxzmqq1s&max=981&limit=20&wfl=1",
                             Response{.status = 503, .body = "busy"});
    BackgroundProcess run(ALBUMORA_CLI_PATH,
                          Args({"download", "http://huaban.com/boards/1001/", "--save", m_save.path()}),
                          {{"http_proxy", SharedTestServer().proxyUrl()}});
    ASSERT_TRUE(WaitFor([] { return SharedTestServer().requestsFor("/boards/1001/").size() >= 2; }));
    std::this_thread::sleep_for(milliseconds(300));
    const auto stopped = std::chrono::steady_clock::now();
    EXPECT_EQ(run.Stop(SIGINT, seconds(20)), 1);
    // Well inside the pause that is left; the exact latency is the benchmark's business.
    EXPECT_LT(std::chrono::steady_clock::now() - stopped, seconds(3));
    EXPECT_EQ(SharedTestServer().requestsFor("/boards/1001/").size(), 2u);
}

}  // namespace
}  // namespace albumora::test
