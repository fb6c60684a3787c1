#include <gtest/gtest.h>
#include <png.h>
#include <signal.h>

#include <cstdio>
#include <filesystem>
#include <future>
#include <map>
#include <random>
#include <utility>

#include "demo/DemoSample.h"
#include "support/DemoPictures.h"
#include "support/ProcessRunner.h"
#include "support/TempFolder.h"
#include "support/TestWebServer.h"

namespace albumora::test {
namespace {

// Reads a PNG with libpng, which checks the signature, every chunk's CRC and the compressed data,
// and insists on an 8-bit RGB picture. An empty `problem` means the file passed.
RgbImage DecodePng(const std::string& bytes, std::string& problem) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size())) {
        problem = png.message;
        return {};
    }
    if (png.format != PNG_FORMAT_RGB) {
        png_image_free(&png);
        problem = "not an 8-bit RGB picture";
        return {};
    }
    RgbImage image{static_cast<int>(png.width), static_cast<int>(png.height), {}};
    image.rgb.resize(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, image.rgb.data(), 0, nullptr)) {
        problem = png.message;
        return {};
    }
    return image;
}

// --- the PNG writer ---

TEST(DemoPictures, DecodingGivesBackEveryPixelOfEveryKindOfRow) {
    // Bands of rows that compress each their own way: flat, left-to-right ramps, copies of the row
    // above, noise, and a tilted plane that wraps round.
    RgbImage image{37, 50, {}};
    const std::size_t stride = static_cast<std::size_t>(image.width) * 3;
    std::mt19937 random(7);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width * 3; ++x) {
            int value = 0;
            switch (y / 10) {
                case 0:
                    value = 200;
                    break;
                case 1:
                    value = x * 7 + y;
                    break;
                case 2:
                    value = y % 10 == 0 ? x * 3 : image.rgb[image.rgb.size() - stride];
                    break;
                case 3:
                    value = static_cast<int>(random() % 256);
                    break;
                default:
                    value = (x * 9 + y * 14) & 0xFF;
            }
            image.rgb.push_back(static_cast<std::uint8_t>(value));
        }
    }
    std::string problem;
    const RgbImage decoded = DecodePng(EncodePng(image), problem);
    ASSERT_EQ(problem, "");
    EXPECT_EQ(decoded.width, 37);
    EXPECT_EQ(decoded.height, 50);
    EXPECT_TRUE(decoded.rgb == image.rgb);

    EXPECT_THROW(EncodePng(RgbImage{2, 2, std::vector<std::uint8_t>(11)}), std::invalid_argument);
    EXPECT_THROW(EncodePng(RgbImage{0, 5, {}}), std::invalid_argument);
}

TEST(DemoPictures, ANumberTooLargeForThePictureIsCutAtItsEdges) {
    const RgbImage tiny = DrawDemoPicture(7, 3, DemoLook{.hue = 200, .number = 123456});
    EXPECT_EQ(tiny.rgb.size(), 7u * 3 * 3);
    // Two pictures differing only in their number are told apart.
    EXPECT_NE(DemoPng(64, 48, {.number = 1}), DemoPng(64, 48, {.number = 7}));
}

// --- the demo site with the real programs ---

struct SiteLine {
    std::string proxy;
    std::string board;
    std::string user;
    std::string httpsProxy;
    std::string caPath;
    std::string todayHuabanUser;
    std::string todayDuitangUser;
};

// "http_proxy=... huaban=... duitang=... https_proxy=... ca=... huaban_today=... duitang_today=...",
// the values free of spaces.
SiteLine ParseSiteLine(const std::string& line) {
    std::map<std::string, std::string> values;
    std::size_t start = 0;
    while (start < line.size()) {
        const std::size_t end = std::min(line.find(' ', start), line.size());
        const std::string pair = line.substr(start, end - start);
        const std::size_t equals = pair.find('=');
        if (equals != std::string::npos) {
            values[pair.substr(0, equals)] = pair.substr(equals + 1);
        }
        start = end + 1;
    }
    return {.proxy = values["http_proxy"],
            .board = values["huaban"],
            .user = values["duitang"],
            .httpsProxy = values["https_proxy"],
            .caPath = values["ca"],
            .todayHuabanUser = values["huaban_today"],
            .todayDuitangUser = values["duitang_today"]};
}

std::string ListRow(int number, const std::string& name, std::size_t pictures) {
    char row[512];
    std::snprintf(row, sizeof row, "%04d\t%s\t%4zu\t\n", number, name.c_str(), pictures);
    return row;
}

class DemoSite : public ::testing::Test {
protected:
    ProcessResult Cli(const TempFolder& settings, std::vector<std::string> args) {
        args.insert(args.begin(), {"--settings-dir", settings.path()});
        return RunProcess(ALBUMORA_CLI_PATH, args,
                          {{"http_proxy", m_line.proxy},
                           {"https_proxy", m_line.httpsProxy},
                           {"CURL_CA_BUNDLE", m_line.caPath}},
                          std::chrono::seconds(90));
    }

    // Every file of the folder is a PNG of the sample's size named *.png; their count.
    void ExpectDemoPictures(const std::string& folder, std::size_t count) {
        ASSERT_TRUE(std::filesystem::is_directory(folder)) << folder;
        std::size_t pictures = 0;
        for (const std::string& name : ListFolder(folder)) {
            if (name == "pic.kvx") {
                continue;
            }
            ++pictures;
            EXPECT_TRUE(name.ends_with(".png")) << name;
            std::string problem;
            const RgbImage decoded = DecodePng(ReadFile(folder + name).bytes, problem);
            EXPECT_EQ(problem, "") << folder << name;
            EXPECT_EQ(decoded.width, demo::kDemoPictureWidth) << name;
            EXPECT_EQ(decoded.height, demo::kDemoPictureHeight) << name;
        }
        EXPECT_EQ(pictures, count) << folder;
    }

    const demo::DemoSample m_sample = demo::MakeDemoSample(false);
    SiteLine m_line;
};

TEST_F(DemoSite, ListsAndDownloadsTheSampleThroughTheProxyAndStopsCleanly) {
    BackgroundProcess site(ALBUMORA_DEMO_SITE_PATH, {});
    ASSERT_TRUE(site.running());
    const std::optional<std::string> line = site.ReadLine(std::chrono::seconds(60));
    ASSERT_TRUE(line.has_value());
    m_line = ParseSiteLine(*line);
    ASSERT_TRUE(m_line.proxy.starts_with("http://127.0.0.1:")) << *line;
    EXPECT_EQ(m_line.board, demo::DemoBoardAddress(m_sample));
    EXPECT_EQ(m_line.user, demo::DemoUserAddress(m_sample));
    EXPECT_EQ(m_line.todayHuabanUser, demo::DemoTodayHuabanUserAddress(m_sample));
    EXPECT_EQ(m_line.todayDuitangUser, demo::DemoTodayDuitangUserAddress(m_sample));

    TempFolder listSettings;
    TempFolder userSettings;
    TempFolder boardSettings;
    TempFolder todaySettings;
    TempFolder save;
    // As scripts/demo.sh does: the file names follow what the pictures are.
    for (const TempFolder* settings : {&userSettings, &boardSettings, &todaySettings}) {
        ASSERT_EQ(Cli(*settings, {"settings", "set", "fix-format", "on"}).exitCode, 0);
    }
    // The program pauses between pages as it does for the real sites, 2.5 s a picture page: the runs
    // overlap, and of the user's albums only the two last are downloaded, the larger one paged.
    const std::size_t albums = m_sample.user.albums.size();
    ASSERT_GT(m_sample.user.albums.back().pictures.size(), 24u);
    auto userList = std::async(std::launch::async, [&] { return Cli(listSettings, {"list", m_line.user}); });
    auto userDownload = std::async(std::launch::async, [&] {
        return Cli(userSettings, {"download", m_line.user, "--save", save.path(), "--albums",
                                  std::to_string(albums - 1) + "-" + std::to_string(albums)});
    });
    // The today samples come only over https with the site's own authority. The Duitang user's
    // address is also an old user's page path on the same site, which must not answer for it.
    auto todayDownloads = std::async(std::launch::async, [&] {
        return std::pair{
            Cli(todaySettings, {"download", m_line.todayDuitangUser, "--save", save.path()}),
            Cli(todaySettings, {"download", m_line.todayHuabanUser, "--save", save.path(), "--albums", "1"})};
    });
    const ProcessResult boardList = Cli(listSettings, {"list", m_line.board});
    const ProcessResult boardDownload = Cli(boardSettings, {"download", m_line.board, "--save", save.path()});

    EXPECT_EQ(boardList.exitCode, 0) << boardList.err;
    EXPECT_EQ(boardList.out, ListRow(1, m_sample.board.title, m_sample.board.pins.size()));
    EXPECT_EQ(boardDownload.exitCode, 0) << boardDownload.err;
    ExpectDemoPictures(save.path() + m_sample.board.owner + "/" + m_sample.board.title + "/",
                       m_sample.board.pins.size());

    const ProcessResult listed = userList.get();
    EXPECT_EQ(listed.exitCode, 0) << listed.err;
    std::string rows;
    for (std::size_t i = 0; i < m_sample.user.albums.size(); ++i) {
        const auto& album = m_sample.user.albums[i];
        rows += ListRow(static_cast<int>(i) + 1, album.name, album.pictures.size());
    }
    EXPECT_EQ(listed.out, rows);

    const ProcessResult downloaded = userDownload.get();
    EXPECT_EQ(downloaded.exitCode, 0) << downloaded.err;
    const std::string owner = save.path() + "堆糖_" + m_sample.user.userId + "/";
    EXPECT_EQ(ListFolder(owner).size(), 2u);
    for (std::size_t i = albums - 2; i < albums; ++i) {
        const auto& album = m_sample.user.albums[i];
        ExpectDemoPictures(owner + album.name + "/", album.pictures.size());
    }

    const auto [todayDuitang, todayHuaban] = todayDownloads.get();
    EXPECT_EQ(todayDuitang.exitCode, 0) << todayDuitang.err;
    for (const auto& album : m_sample.todayDuitangUser.albums) {
        ExpectDemoPictures(save.path() + "堆糖_" + m_sample.todayDuitangUser.userId + "/" + album.name + "/",
                           album.pictures.size());
    }
    EXPECT_EQ(todayHuaban.exitCode, 0) << todayHuaban.err;
    const auto& todayBoard = m_sample.todayHuabanUser.boards.front();
    ExpectDemoPictures(save.path() + m_sample.todayHuabanUser.userName + "/" + todayBoard.title + "/",
                       todayBoard.pins.size());

    EXPECT_EQ(site.Stop(SIGTERM, std::chrono::seconds(10)), 0);
}

TEST_F(DemoSite, BadArgumentsAndATakenPortAreRefusedWithAMessage) {
    const ProcessResult badPort = RunProcess(ALBUMORA_DEMO_SITE_PATH, {"--port", "80x"});
    EXPECT_EQ(badPort.exitCode, 2);
    EXPECT_NE(badPort.err.find("--port takes a number from 1 to 65535"), std::string::npos) << badPort.err;

    const ProcessResult unknown = RunProcess(ALBUMORA_DEMO_SITE_PATH, {"--verbose"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_NE(unknown.err.find("'--verbose'"), std::string::npos) << unknown.err;

    const TestWebServer taken;
    const ProcessResult busy = RunProcess(ALBUMORA_DEMO_SITE_PATH, {"--port", std::to_string(taken.port())});
    EXPECT_EQ(busy.exitCode, 1);
    EXPECT_NE(busy.err.find("cannot listen on 127.0.0.1:" + std::to_string(taken.port())), std::string::npos)
        << busy.err;
}

}  // namespace
}  // namespace albumora::test
