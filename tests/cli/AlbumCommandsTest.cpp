#include <gtest/gtest.h>

#include <cctype>

#include "CliTest.h"

namespace albumora::test {
namespace {

using AlbumCommandsTest = CliTest;

TEST_F(AlbumCommandsTest, ListPrintsTheRowsAndDownloadsNothing) {
    FakeHuabanBoard board;
    board.pins = MakePins(300, 5);
    ServeHuabanBoard(SharedTestServer(), board);
    const ProcessResult result = Cli({"list", "http://huaban.com/boards/1001/?from=x"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "0001\t猫咪 & 狗\t   5\t\n");
    EXPECT_NE(result.err.find("获取相册列表完成，共1个"), std::string::npos);
    EXPECT_EQ(PictureRequests(kFakeHuabanPictureHost), 0u);
}

TEST_F(AlbumCommandsTest, ListExitCodesForBadAddressesAndEmptyLists) {
    const ProcessResult noScheme = Cli({"list", "huaban.com/boards/1/"});
    EXPECT_EQ(noScheme.exitCode, 2);
    EXPECT_NE(noScheme.err.find("http://"), std::string::npos);
    EXPECT_TRUE(noScheme.out.empty());

    EXPECT_EQ(Cli({"list"}).exitCode, 2);

    SharedTestServer().Route(
        kFakeDuitangHost, "/people/",
        Response{.body = "<div class=\"dt-header-btm\"><a href=\"/people/?user_id=5\">"});
    SharedTestServer().Route(kFakeDuitangHost, "/album/list/1/24/",
                             Response{.body = "{\"data\":{\"object_list\":[]}}"});
    const ProcessResult empty = Cli({"list", "http://www.duitang.com/people/?user_id=5"});
    EXPECT_EQ(empty.exitCode, 3) << empty.err;
}

TEST_F(AlbumCommandsTest, DownloadsABoardIntoOwnerAndAlbumFolders) {
    FakeHuabanBoard board;
    board.pins = MakePins(300, 23);
    board.pins[0].kind = PictureKind::Png;
    ServeHuabanBoard(SharedTestServer(), board);
    const ProcessResult result =
        Cli({"download", "http://huaban.com/boards/1001/?from=x", "--save", m_save.path()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const auto files = ListFolder(m_save.path() + "alice/猫咪 & 狗/");
    EXPECT_EQ(files.size(), 24u);
    EXPECT_EQ(ReadFile(m_save.path() + "alice/猫咪 & 狗/图300.jpg").bytes,
              PictureBytes(PictureKind::Png, 2048));
    EXPECT_EQ(PictureRequests(kFakeHuabanPictureHost), 23u);
    EXPECT_EQ(SharedTestServer().requestsFor("/boards/1001/").size(), 2u);  // the board, then one page
    EXPECT_NE(result.err.find("下载完毕"), std::string::npos);

    // The save folder was remembered: the next run needs no --save, and finds every picture there.
    SharedTestServer().ClearRequests();
    EXPECT_EQ(Cli({"download", "http://huaban.com/boards/1001/"}).exitCode, 0);
    EXPECT_EQ(PictureRequests(kFakeHuabanPictureHost), 0u);
}

TEST_F(AlbumCommandsTest, DownloadsOnlyTheChosenDuitangAlbums) {
    FakeDuitangUser user;
    for (int i = 0; i < 3; ++i) {
        const std::string id = std::to_string(800 + i);
        user.albums.push_back({id, "册" + std::to_string(i + 1), MakeDuitangPictures(id, 2)});
    }
    ServeDuitangUser(SharedTestServer(), user);
    const ProcessResult result = Cli({"download", "http://www.duitang.com/people/?user_id=7788", "--save",
                                      m_save.path(), "--albums", "2"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(ListFolder(m_save.path() + "堆糖_7788/"), (std::vector<std::string>{"册2"}));
    EXPECT_EQ(ListFolder(m_save.path() + "堆糖_7788/册2/"),
              (std::vector<std::string>{"pic.kvx", "说明1.jpg", "说明2.jpg"}));
}

TEST_F(AlbumCommandsTest, SingleAlbumDownloadsOnceAndFailuresShowInTheExitCode) {
    FakeDuitangUser user;
    user.albums.push_back({"900", "单册", MakeDuitangPictures("900", 3)});
    ServeDuitangUser(SharedTestServer(), user);
    SharedTestServer().Route(kFakeDuitangPictureHost, "/uploads/item/p900_2.jpg",
                             Response{.status = 404, .body = "not found"});
    const ProcessResult result =
        Cli({"download", "http://www.duitang.com/album/?id=900", "--save", m_save.path()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("1 张图片下载失败"), std::string::npos) << result.err;
    // Two attempts for the missing picture, one for each of the others: not a second run.
    EXPECT_EQ(PictureRequests(kFakeDuitangPictureHost), 4u);
    EXPECT_EQ(ListFolder(m_save.path() + "堆糖_7788/单册/"),
              (std::vector<std::string>{"说明1.jpg", "说明3.jpg"}));
}

TEST_F(AlbumCommandsTest, TerminalShowsOneLiveLineOfPicturesRateAndFailures) {
    FakeDuitangUser user;
    user.albums.push_back({"910", "慢册", MakeDuitangPictures("910", 10)});
    ServeDuitangUser(SharedTestServer(), user);
    SharedTestServer().Route(kFakeDuitangPictureHost, "/uploads/item/p910_7.jpg", Response{.status = 404});
    ASSERT_EQ(Cli({"settings", "set", "threads", "2"}).exitCode, 0);
    // Slow enough that the pictures take longer than the rate needs to mean something.
    SharedTestServer().SetLatency(std::chrono::milliseconds(150));
    const ProcessResult result =
        RunProcessOnTerminal(ALBUMORA_CLI_PATH,
                             {"--settings-dir", m_settings.path(), "download",
                              "http://www.duitang.com/album/?id=910", "--save", m_save.path()},
                             {{"http_proxy", SharedTestServer().proxyUrl()}}, std::chrono::seconds(60));
    SharedTestServer().SetLatency(std::chrono::milliseconds(0));
    EXPECT_EQ(result.exitCode, 1) << result.err;

    // Each redraw returns to the start of the line and clears it; the line ends once, before the
    // album's summary.
    const std::string& err = result.err;
    EXPECT_NE(err.find("\r\033[K已下载 0/10 张，失败 0 张"), std::string::npos) << err;
    const size_t last = err.rfind("\r\033[K");
    ASSERT_NE(last, std::string::npos);
    const std::string lastLine = err.substr(last + 4, err.find('\n', last) - last - 4);
    EXPECT_EQ(lastLine.rfind("已下载 10/10 张，", 0), 0u) << lastLine;
    EXPECT_NE(lastLine.find(" 张/秒，失败 1 张"), std::string::npos) << lastLine;
    EXPECT_NE(err.find("已下载9/10，失败 1 张"), std::string::npos) << err;
    // The coarse progress texts do not break into the counts line.
    EXPECT_EQ(err.find("已下载10/10......"), std::string::npos) << err;

    // Off a terminal, nothing is redrawn.
    const ProcessResult piped =
        Cli({"download", "http://www.duitang.com/album/?id=910", "--save", m_save.path()});
    EXPECT_EQ(piped.err.find('\r'), std::string::npos) << piped.err;
    EXPECT_NE(piped.err.find("已下载"), std::string::npos) << piped.err;
}

TEST_F(AlbumCommandsTest, HelpNamesTheOptionsAndVersionTheNumber) {
    const ProcessResult help = Cli({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* option : {"--input-file", "--new-only", "--albums", "--save", "--version"}) {
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    }
    const ProcessResult version = Cli({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.rfind("albumora-cli ", 0), 0u) << version.out;
    EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(version.out.at(13)))) << version.out;
}

TEST_F(AlbumCommandsTest, DownloadWithoutSaveFolderIsAUsageError) {
    const ProcessResult result = Cli({"download", "http://huaban.com/boards/1001/"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find("请先设置保存路径"), std::string::npos);
    EXPECT_EQ(
        Cli({"download", "http://huaban.com/boards/1/", "--save", m_save.path(), "--albums", "0"}).exitCode,
        2);
    // An empty list, as an unset shell variable gives, is no "all".
    EXPECT_EQ(
        Cli({"download", "http://huaban.com/boards/1/", "--save", m_save.path(), "--albums", ""}).exitCode,
        2);
    // 2^32 + 2 is no album 2, however a narrowing conversion would read it.
    EXPECT_EQ(
        Cli({"download", "http://huaban.com/boards/1/", "--save", m_save.path(), "--albums", "4294967298"})
            .exitCode,
        2);
}

}  // namespace
}  // namespace albumora::test
