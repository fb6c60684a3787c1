#include <gtest/gtest.h>

#include <algorithm>

#include "CliTest.h"
#include "support/FakeSitesToday.h"
#include "support/TestCertificates.h"

namespace albumora::test {
namespace {

// albumora-cli against the sites as they answer today: the old addresses over http lead to pages
// without the old data, and the JSON interfaces answer over https through a CONNECT proxy, with
// certificates of a throw-away authority that the program is told to trust.
class TodaySitesTest : public CliTest {
protected:
    static const TestCertificates& Certificates() {
        static TempFolder folder;
        static const TestCertificates certificates = MakeTestCertificates(
            folder.path(), {"huaban.com", "*.huaban.com", "duitang.com", "*.duitang.com"});
        return certificates;
    }

    void SetUp() override {
        CliTest::SetUp();
        SharedTestServer().EnableTls(Certificates());
    }

    ProcessResult Today(std::vector<std::string> args, const std::string& caBundle = Certificates().caPath) {
        args.insert(args.begin(), {"--settings-dir", m_settings.path()});
        return RunProcess(ALBUMORA_CLI_PATH, args,
                          {{"http_proxy", SharedTestServer().proxyUrl()},
                           {"https_proxy", SharedTestServer().httpsProxyUrl()},
                           {"CURL_CA_BUNDLE", caBundle}},
                          std::chrono::seconds(120));
    }

    static std::vector<RecordedRequest> Requests(const std::string& host) {
        return SharedTestServer().requestsToHost(host);
    }

    static TodayHuabanUser OneBoard(int pins) {
        TodayHuabanUser user;
        user.boards.push_back({});
        user.boards[0].pins = MakePins(900, pins);
        return user;
    }

    std::string BoardFolder() const { return m_save.path() + "爱丽丝/今日画板/"; }
};

TEST_F(TodaySitesTest, HuabanBoardThroughV3WithSignedLinksAndTheNextDayFetchesNothing) {
    const auto day = ServeHuabanToday(SharedTestServer(), OneBoard(130));
    const ProcessResult first =
        Today({"download", "https://huaban.com/boards/2001/", "--save", m_save.path()});
    EXPECT_EQ(first.exitCode, 0) << first.err;
    EXPECT_NE(first.err.find("下载完毕"), std::string::npos) << first.err;
    EXPECT_EQ(ListFolder(BoardFolder()).size(), 130u + 1);  // and the marker
    EXPECT_EQ(ReadFile(BoardFolder() + "图900.jpg").bytes, PictureBytes(PictureKind::Jpeg, 2048));

    // The old board page was asked once, with the old user agent, and led to the shell page; the
    // rest went to /v3 over https as a current browser.
    const auto site = Requests("huaban.com");
    ASSERT_GE(site.size(), 4u);
    EXPECT_EQ(site[0].target, "http://huaban.com/boards/2001/");
    EXPECT_TRUE(site[1].tls);
    const auto v3 = std::count_if(site.begin(), site.end(), [](const RecordedRequest& r) {
        return r.tls && r.path.starts_with("/v3/") &&
               r.Header("User-Agent").find("Chrome/1") != std::string::npos;
    });
    EXPECT_EQ(v3, 1 + 2);  // the board, two pages of pins; 130 pins end at the count
    const auto pictures = Requests(kFakeHuabanEdgeHost);
    ASSERT_EQ(pictures.size(), 130u);
    EXPECT_NE(pictures[0].query.find("auth_key=1-"), std::string::npos);

    // The next day every link is signed anew: the same pictures, nothing to fetch.
    ++day->day;
    SharedTestServer().ClearRequests();
    const ProcessResult next =
        Today({"download", "https://huaban.com/boards/2001/", "--save", m_save.path()});
    EXPECT_EQ(next.exitCode, 0) << next.err;
    EXPECT_TRUE(Requests(kFakeHuabanEdgeHost).empty());
    SharedTestServer().ClearRequests();
    const ProcessResult newOnly =
        Today({"download", "https://huaban.com/boards/2001/", "--save", m_save.path(), "--new-only"});
    EXPECT_EQ(newOnly.exitCode, 0) << newOnly.err;
    EXPECT_TRUE(Requests(kFakeHuabanEdgeHost).empty());
    EXPECT_EQ(SharedTestServer().requestsFor("/v3/boards/2001/pins").size(), 1u);
}

TEST_F(TodaySitesTest, OnceASiteHasMovedTheRestOfTheRunAsksItsPresentInterface) {
    TodayHuabanUser user = OneBoard(2);
    user.boards.push_back({.boardId = "2002", .title = "第二", .pins = MakePins(800, 3)});
    ServeHuabanToday(SharedTestServer(), user);
    const std::string file = m_settings.path() + "follow.txt";
    WriteFile(file, "http://huaban.com/boards/2001/\nhttp://huaban.com/boards/2002/\n");
    const ProcessResult result = Today({"list", "-i", file});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(SharedTestServer().requestsFor("/boards/2001/").size(), 2u);  // http, then its redirect
    EXPECT_TRUE(SharedTestServer().requestsFor("/boards/2002/").empty());
    EXPECT_EQ(SharedTestServer().requestsFor("/v3/boards/2002").size(), 1u);
}

TEST_F(TodaySitesTest, AMissingBoardIsSaidToBeMissingAtOnce) {
    ServeHuabanToday(SharedTestServer(), OneBoard(1));
    const ProcessResult result = Today({"list", "https://huaban.com/boards/999/"});
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_NE(result.err.find("画板页面不存在（服务器回答 HTTP 404）"), std::string::npos) << result.err;
    EXPECT_EQ(SharedTestServer().requestsFor("/boards/999/").size(), 1u);
    EXPECT_EQ(SharedTestServer().requestsFor("/v3/boards/999").size(), 1u);
}

TEST_F(TodaySitesTest, HuabanBoardShowingFewerPinsThanItsCountIsIncompleteWithTheLoginHint) {
    TodayHuabanUser user = OneBoard(120);
    user.boards[0].visiblePins = 56;
    ServeHuabanToday(SharedTestServer(), user);
    const ProcessResult result =
        Today({"download", "http://huaban.com/boards/2001/", "--save", m_save.path()});
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_NE(result.err.find("只获取到56/120张"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("登录"), std::string::npos) << result.err;
    EXPECT_EQ(ListFolder(BoardFolder()).size(), 56u);  // no marker
}

TEST_F(TodaySitesTest, SignedLinksThatExpireDuringTheRunAreFetchedWithFreshOnes) {
    const auto day = ServeHuabanToday(SharedTestServer(), OneBoard(12));
    day->turnAfterPinsPages = 1;
    const ProcessResult result =
        Today({"download", "https://huaban.com/boards/2001/", "--save", m_save.path()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(ListFolder(BoardFolder()).size(), 12u + 1);
    // Each picture: the expired link (two attempts), then the fresh one; one page asked again.
    EXPECT_EQ(Requests(kFakeHuabanEdgeHost).size(), 12u * 3);
    EXPECT_EQ(SharedTestServer().requestsFor("/v3/boards/2001/pins").size(), 2u);
}

TEST_F(TodaySitesTest, HuabanUserListsBoardsAndOneIsDownloaded) {
    TodayHuabanUser user;
    for (int i = 0; i < 32; ++i) {
        TodayHuabanBoard board;
        board.boardId = std::to_string(3000 + i);
        board.title = "画板" + std::to_string(i + 1);
        board.pins = MakePins(5000 + 10 * i, i == 1 ? 4 : 0);
        board.coverKey = "cover" + board.boardId;
        user.boards.push_back(board);
    }
    ServeHuabanToday(SharedTestServer(), user);
    const ProcessResult list = Today({"list", "https://huaban.com/user/alice/"});
    EXPECT_EQ(list.exitCode, 0) << list.err;
    EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), 32);  // two pages of boards
    EXPECT_NE(list.out.find("0002\t画板2\t   4\t"), std::string::npos) << list.out;

    const ProcessResult download =
        Today({"download", "https://huaban.com/user/alice/", "--albums", "2", "--save", m_save.path()});
    EXPECT_EQ(download.exitCode, 0) << download.err;
    EXPECT_EQ(ListFolder(m_save.path() + "爱丽丝/画板2/").size(), 4u + 1);
}

TEST_F(TodaySitesTest, DuitangUserOverTwoPagesByEitherAddress) {
    TodayDuitangUser user;
    for (int i = 0; i < 30; ++i) {
        user.albums.push_back({std::to_string(700 + i), "专辑" + std::to_string(i + 1), {}});
    }
    ServeDuitangToday(SharedTestServer(), user);
    for (const char* address :
         {"https://www.duitang.com/people/?id=8899", "http://www.duitang.com/people/?user_id=8899"}) {
        const ProcessResult result = Today({"list", address});
        EXPECT_EQ(result.exitCode, 0) << address << result.err;
        EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 30) << address;
        EXPECT_NE(result.out.find("0030\t专辑30\t"), std::string::npos) << address;
    }
    EXPECT_EQ(SharedTestServer().requestsFor("/napi/album/list/by_user/").size(), 2u * 2);
}

TEST_F(TodaySitesTest, DuitangAlbumByItsAddressOverThreeCursorPages) {
    TodayDuitangUser user;
    user.picturesPerPage = 10;
    user.albums.push_back({"77", "长专辑", MakeDuitangPictures("77", 25)});
    ServeDuitangToday(SharedTestServer(), user);
    const ProcessResult result =
        Today({"download", "https://www.duitang.com/album/?id=77", "--save", m_save.path()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(ListFolder(m_save.path() + "堆糖_8899/长专辑/").size(), 25u + 1);
    EXPECT_EQ(SharedTestServer().requestsFor("/napi/vienna/blog/by_album/").size(), 3u);
    // The pictures in full size, not the thumbnails the pages list.
    for (const RecordedRequest& request : Requests(kFakeDuitangPictureHost)) {
        EXPECT_EQ(request.path.find(".thumb."), std::string::npos) << request.path;
    }
}

TEST_F(TodaySitesTest, CurrentInterfacePageAnswering503LeavesTheAlbumNamedAndIncomplete) {
    TodayDuitangUser user;
    user.picturesPerPage = 10;
    user.albums.push_back({"78", "半册", MakeDuitangPictures("78", 15)});
    ServeDuitangToday(SharedTestServer(), user);
    SharedTestServer().Route(kFakeDuitangHost,
                             "/napi/vienna/blog/by_album/?album_id=78&limit=100&after_id=5009",
                             Response{.status = 503, .body = "busy"});
    const ProcessResult result =
        Today({"download", "https://www.duitang.com/album/?id=78", "--save", m_save.path()});
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_NE(result.err.find(
                  "相册“半册”不完整：只获取到10/15张图片信息（第2页图片列表读取失败：服务器回答 HTTP 503）"),
              std::string::npos)
        << result.err;
    EXPECT_EQ(ListFolder(m_save.path() + "堆糖_8899/半册/").size(), 10u);
}

TEST_F(TodaySitesTest, UntrustedCertificateIsAFailureThatNamesTheCertificate) {
    ServeHuabanToday(SharedTestServer(), OneBoard(3));
    static TempFolder other;
    const TestCertificates stranger = MakeTestCertificates(other.path(), {"huaban.com"});
    const ProcessResult result =
        Today({"download", "https://huaban.com/boards/2001/", "--save", m_save.path()}, stranger.caPath);
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_NE(result.err.find("证书无法验证"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("CURL_CA_BUNDLE"), std::string::npos) << result.err;
    EXPECT_TRUE(Requests(kFakeHuabanEdgeHost).empty());
}

}  // namespace
}  // namespace albumora::test
