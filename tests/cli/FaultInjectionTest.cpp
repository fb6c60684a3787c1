#include <gtest/gtest.h>

#include <filesystem>

#include "support/Compression.h"
#include "support/FakeSites.h"
#include "support/ProcessRunner.h"
#include "support/TempFolder.h"

namespace albumora::test {
namespace {

// Whatever the sites do, albumora-cli ends within its time-outs, keeps every picture it could get,
// leaves no partial file, writes nowhere but the save folder, and says what failed.
class FaultInjectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        SharedTestServer().ClearRoutes();
        SharedTestServer().ClearRequests();
    }

    ProcessResult Cli(std::vector<std::string> args, const std::string& shellPrefix = {}) {
        args.insert(args.begin(), {"--settings-dir", m_settings.path()});
        const std::vector<std::pair<std::string, std::string>> env{
            {"http_proxy", SharedTestServer().proxyUrl()}};
        if (shellPrefix.empty()) {
            return RunProcess(ALBUMORA_CLI_PATH, args, env, std::chrono::seconds(90));
        }
        std::string command = shellPrefix + " exec \"$0\"";
        for (size_t i = 0; i < args.size(); ++i) {
            command += " \"$" + std::to_string(i + 1) + "\"";
        }
        std::vector<std::string> shellArgs{"-c", command, ALBUMORA_CLI_PATH};
        shellArgs.insert(shellArgs.end(), args.begin(), args.end());
        return RunProcess("/bin/sh", shellArgs, env, std::chrono::seconds(90));
    }

    // Every file under the save folder, relative to it.
    std::vector<std::string> SavedFiles() const {
        std::vector<std::string> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(m_save.path())) {
            if (entry.is_regular_file() && !IsAlbumJournal(entry.path().filename().string())) {
                files.push_back(std::filesystem::relative(entry.path(), m_save.path()).string());
            }
        }
        std::sort(files.begin(), files.end());
        return files;
    }

    void ServeAlbum(int pictures) {
        FakeDuitangUser user;
        user.albums.push_back({"321", "故障", MakeDuitangPictures("321", pictures)});
        ServeDuitangUser(SharedTestServer(), user);
    }
    void RoutePicture(int number, Response response) {
        SharedTestServer().Route(kFakeDuitangPictureHost,
                                 "/uploads/item/p321_" + std::to_string(number) + ".jpg",
                                 std::move(response));
    }

    TempFolder m_settings;
    TempFolder m_save;
};

TEST_F(FaultInjectionTest, MisbehavingPicturesFailAloneAndLeaveNoPartialFile) {
    ASSERT_EQ(Cli({"settings", "set", "timeout", "10"}).exitCode, 0);
    ASSERT_EQ(Cli({"settings", "set", "max-size", "100"}).exitCode, 0);
    ServeAlbum(7);
    const std::string big(150 * 1024, 'b');
    RoutePicture(1, Response{.body = PictureBytes(PictureKind::Jpeg, 60000),
                             .contentType = "image/jpeg",
                             .stallAfter = 30000,
                             .stallFor = std::chrono::seconds(60)});
    RoutePicture(2, Response{.body = PictureBytes(PictureKind::Jpeg, 60000),
                             .contentType = "image/jpeg",
                             .resetAfter = 20000});
    RoutePicture(3, Response{.status = 500, .body = "<html>server error</html>"});
    RoutePicture(4, Response{.body = ""});
    RoutePicture(5, Response{.body = big, .contentType = "image/jpeg"});  // over the size limit, declared
    // Over the size limit, found while reading.
    RoutePicture(6, Response{.body = big, .contentType = "image/jpeg", .noContentLength = true});
    const auto started = std::chrono::steady_clock::now();
    const ProcessResult result =
        Cli({"download", "http://www.duitang.com/album/321/", "--save", m_save.path()});
    const auto took = std::chrono::steady_clock::now() - started;

    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_NE(result.err.find("4 张图片下载失败"), std::string::npos) << result.err;
    EXPECT_EQ(SavedFiles(), (std::vector<std::string>{"堆糖_7788/故障/说明7.jpg"}));
    // Two attempts of the stalled picture, each ending one read time-out after its last byte.
    EXPECT_LT(took, std::chrono::seconds(2 * 10 + 2 + 15));
}

TEST_F(FaultInjectionTest, APictureThatKeepsComingSlowlyEndsAtItsTimeBound) {
    WriteFile(m_settings.path() + "下载器扩展设置.ini", "[下载]\n单张图片最长秒数=2\n");
    ServeAlbum(2);
    // Never a gap as long as the read time-out, and never done within the bound.
    RoutePicture(1, Response{.body = PictureBytes(PictureKind::Jpeg, 60000),
                             .contentType = "image/jpeg",
                             .stallAfter = 1000,
                             .stallFor = std::chrono::seconds(6)});
    const ProcessResult result =
        Cli({"download", "http://www.duitang.com/album/321/", "--save", m_save.path()});
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_NE(result.err.find("超过单张图片的下载时间上限2秒"), std::string::npos) << result.err;
    EXPECT_EQ(SavedFiles(), (std::vector<std::string>{"堆糖_7788/故障/说明2.jpg"}));
}

TEST_F(FaultInjectionTest, HostilePagesEndTheListingAsAFailure) {
    // A redirect loop and a gzip bomb are failures, a truncated gzip body a page without a user: no
    // albums, no crash, bounded time.
    SharedTestServer().Route(
        kFakeDuitangHost, "/people/",
        Response{.status = 302, .headers = {{"Location", "http://www.duitang.com/people/"}}});
    ProcessResult result = Cli({"list", "http://www.duitang.com/people/?user_id=1"});
    EXPECT_EQ(result.exitCode, 1) << result.err;

    SharedTestServer().ClearRoutes();
    SharedTestServer().Route(kFakeDuitangHost, "/people/",
                             Response{.body = std::string(100u << 20, '\0'), .encoding = BodyEncoding::Gzip});
    result = Cli({"list", "http://www.duitang.com/people/?user_id=1"});
    EXPECT_EQ(result.exitCode, 1) << result.err;

    // Half a gzip stream holds no whole block: nothing decodes, so no user is found.
    SharedTestServer().ClearRoutes();
    const std::string header = "<div class=\"dt-header-btm\"><a href=\"/people/?user_id=55\">";
    SharedTestServer().Route(kFakeDuitangHost, "/people/",
                             Response{.body = header + std::string(5000, 'x'),
                                      .encoding = BodyEncoding::Gzip,
                                      .truncateEncoded = true});
    result = Cli({"list", "http://www.duitang.com/people/?user_id=55"});
    EXPECT_EQ(result.exitCode, 3) << result.err;

    // Numbers beyond 32 bits, fields out of order, and a site that answers every page alike: the
    // list is incomplete.
    SharedTestServer().Route(kFakeDuitangHost, "/people/", Response{.body = header});
    for (int page = 1; page <= 3; ++page) {
        SharedTestServer().Route(
            kFakeDuitangHost, "/album/list/" + std::to_string(page) + "/24/",
            Response{.body = "{\"like_count\":1,\"count\":99999999999999,\"pics\":[\"x\"],"
                             "\"id\":7,\"name\":\"巨大\"}{\"name\":\"乱序\",\"id\":8}"});
    }
    result = Cli({"list", "http://www.duitang.com/people/?user_id=55"});
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_EQ(result.out, "0001\t巨大\t未知\t\n");  // a count beyond 32 bits means nothing
    EXPECT_EQ(SharedTestServer().requestsFor("/album/list/2/24/").size(), 1u);
    EXPECT_TRUE(SharedTestServer().requestsFor("/album/list/3/24/").empty());
}

TEST_F(FaultInjectionTest, HugeAndRepeatedMarkersInABoardPage) {
    FakeHuabanBoard board;
    board.title = "../../标题/..";
    board.owner = "../..";
    board.pins = MakePins(100, 3);
    board.pins.push_back(board.pins[2]);
    board.pins[0].description = "../../../etc/passwd";
    board.pins[1].description = std::string(400, 'n');
    board.statedPinCount = 2000000000;
    ServeHuabanBoard(SharedTestServer(), board);
    const ProcessResult result = Cli({"download", "http://huaban.com/boards/1001/", "--save", m_save.path()});
    // The site's stated count is never reached and its last page only repeats a pin.
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_NE(result.err.find("只获取到3/2000000000张"), std::string::npos) << result.err;
    const auto files = SavedFiles();
    ASSERT_EQ(files.size(), 3u);  // three pictures and no marker, all inside the save folder
    for (const std::string& file : files) {
        EXPECT_EQ(file.find(".."), std::string::npos) << file;
        const auto name = std::filesystem::path(file).filename().string();
        EXPECT_LE(name.size(), 255u) << file;
    }
}

TEST_F(FaultInjectionTest, UnusableSaveFolderIsToldBeforeAnythingIsWritten) {
    WriteFile(m_save.file("plain-file"), "x");
    ServeAlbum(2);
    const ProcessResult result =
        Cli({"download", "http://www.duitang.com/album/321/", "--save", m_save.file("plain-file/sub")});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find("请检测设置的保存路径是否有误"), std::string::npos) << result.err;
    EXPECT_EQ(SavedFiles(), (std::vector<std::string>{"plain-file"}));
}

TEST_F(FaultInjectionTest, FullDiskKeepsWhatFitsAndLeavesNoPartialFile) {
    FakeDuitangUser user;
    user.albums.push_back({"321", "满盘", MakeDuitangPictures("321", 4)});
    user.albums[0].pictures[1].size = 400 * 1024;  // beyond the file size limit below
    ServeDuitangUser(SharedTestServer(), user);
    // A file-size limit stands in for a full disk: writes beyond it fail with EFBIG.
    const ProcessResult result =
        Cli({"download", "http://www.duitang.com/album/321/", "--save", m_save.path()},
            "trap '' XFSZ; ulimit -f 200;");
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_NE(result.err.find("1 张图片下载失败"), std::string::npos) << result.err;
    EXPECT_EQ(SavedFiles(), (std::vector<std::string>{"堆糖_7788/满盘/说明1.jpg", "堆糖_7788/满盘/说明3.jpg",
                                                      "堆糖_7788/满盘/说明4.jpg"}));
}

TEST_F(FaultInjectionTest, RandomSettingsFileIsRepairedNotFatal) {
    std::string noise(19808, '\0');
    unsigned seed = 12345;
    for (char& c : noise) {
        seed = seed * 1103515245 + 12345;
        c = static_cast<char>(seed >> 16);
    }
    for (const size_t length :
         {size_t{0}, size_t{1}, size_t{8}, size_t{19807}, size_t{19808}, size_t{30000}}) {
        WriteFile(m_settings.file("soft.dat"),
                  length <= noise.size() ? noise.substr(0, length) : noise + noise);
        const ProcessResult result = Cli({"settings"});
        EXPECT_EQ(result.exitCode, 0) << length << result.err;
        EXPECT_EQ(ReadFile(m_settings.file("soft.dat")).bytes.size(), 19808u) << length;
    }
}

}  // namespace
}  // namespace albumora::test
