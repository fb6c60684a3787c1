#include <gtest/gtest.h>
#include <signal.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <future>
#include <map>
#include <random>
#include <set>

#include "demo/DemoSample.h"
#include "support/DemoPictures.h"
#include "support/ProcessRunner.h"
#include "support/TempFolder.h"
#include "support/TestWebServer.h"

namespace albumora::test {
namespace {

std::uint32_t U32At(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value = (value << 8) | static_cast<std::uint8_t>(bytes[at + i]);
    }
    return value;
}

struct DecodedPng {
    RgbImage image;
    std::set<int> filters;  // the row filters met
};

// Reads an 8-bit RGB PNG as strictly as the format asks: signature, every chunk's CRC, IHDR first
// and IEND last, the joined IDAT data inflating to exactly the filtered rows, and the rows
// unfiltered. An empty `problem` means the file passed.
DecodedPng DecodePng(const std::string& bytes, std::string& problem) {
    DecodedPng decoded;
    if (bytes.compare(0, 8, std::string("\x89PNG\r\n\x1A\n", 8)) != 0) {
        problem = "no PNG signature";
        return decoded;
    }
    std::string header;
    std::string data;
    bool ended = false;
    for (std::size_t at = 8; at < bytes.size() && problem.empty();) {
        if (ended) {
            problem = "bytes after IEND";
            break;
        }
        if (bytes.size() - at < 12 || bytes.size() - at - 12 < U32At(bytes, at)) {
            problem = "a chunk runs past the end";
            break;
        }
        const std::uint32_t length = U32At(bytes, at);
        const std::string type = bytes.substr(at + 4, 4);
        const std::string body = bytes.substr(at + 8, length);
        const uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(bytes.data() + at + 4), length + 4);
        if (crc != U32At(bytes, at + 8 + length)) {
            problem = "wrong CRC in " + type;
        } else if ((at == 8) != (type == "IHDR")) {
            problem = "IHDR is not the first chunk";
        } else if (type == "IHDR") {
            header = body;
        } else if (type == "IDAT") {
            data += body;
        } else if (type == "IEND") {
            ended = true;
        }
        at += 12 + length;
    }
    if (!problem.empty()) {
        return decoded;
    }
    if (!ended || header.size() != 13 || header.substr(8) != std::string("\x08\x02\x00\x00\x00", 5)) {
        problem = "not an 8-bit RGB picture that ends in IEND";
        return decoded;
    }
    RgbImage& image = decoded.image;
    image.width = static_cast<int>(U32At(header, 0));
    image.height = static_cast<int>(U32At(header, 4));
    const std::size_t stride = static_cast<std::size_t>(image.width) * 3;
    std::string rows((stride + 1) * static_cast<std::size_t>(image.height) + 1, '\0');
    uLongf size = rows.size();
    if (uncompress(reinterpret_cast<Bytef*>(rows.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
                   data.size()) != Z_OK ||
        size != rows.size() - 1) {
        problem = "IDAT does not inflate to the rows of the picture";
        return decoded;
    }
    image.rgb.resize(stride * static_cast<std::size_t>(image.height));
    for (std::size_t y = 0; y < static_cast<std::size_t>(image.height); ++y) {
        const int filter = static_cast<std::uint8_t>(rows[y * (stride + 1)]);
        decoded.filters.insert(filter);
        if (filter > 4) {
            problem = "unknown row filter " + std::to_string(filter);
            return decoded;
        }
        for (std::size_t i = 0; i < stride; ++i) {
            const int left = i >= 3 ? image.rgb[y * stride + i - 3] : 0;
            const int up = y > 0 ? image.rgb[(y - 1) * stride + i] : 0;
            const int upLeft = i >= 3 && y > 0 ? image.rgb[(y - 1) * stride + i - 3] : 0;
            const int p = left + up - upLeft;
            const int paeth =
                std::abs(p - left) <= std::abs(p - up) && std::abs(p - left) <= std::abs(p - upLeft) ? left
                : std::abs(p - up) <= std::abs(p - upLeft)                                           ? up
                                                                                                     : upLeft;
            const int predictions[] = {0, left, up, (left + up) / 2, paeth};
            image.rgb[y * stride + i] = static_cast<std::uint8_t>(
                static_cast<std::uint8_t>(rows[y * (stride + 1) + 1 + i]) + predictions[filter]);
        }
    }
    return decoded;
}

// --- the PNG writer ---

TEST(DemoPictures, DecodingGivesBackEveryPixelWhicheverFiltersTheRowsTook) {
    // Bands of rows that suit each filter in turn: flat, left-to-right ramps, copies of the row
    // above, noise, and a tilted plane that wraps round (Paeth, ties included).
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
    const DecodedPng decoded = DecodePng(EncodePng(image), problem);
    ASSERT_EQ(problem, "");
    EXPECT_EQ(decoded.image.width, 37);
    EXPECT_EQ(decoded.image.height, 50);
    EXPECT_TRUE(decoded.image.rgb == image.rgb);
    EXPECT_EQ(decoded.filters.size(), 5u);

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
};

// "http_proxy=... huaban=... duitang=...", the values free of spaces.
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
    return {values["http_proxy"], values["huaban"], values["duitang"]};
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
        return RunProcess(ALBUMORA_CLI_PATH, args, {{"http_proxy", m_line.proxy}}, std::chrono::seconds(90));
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
            const DecodedPng decoded = DecodePng(ReadFile(folder + name).bytes, problem);
            EXPECT_EQ(problem, "") << folder << name;
            EXPECT_EQ(decoded.image.width, demo::kDemoPictureWidth) << name;
            EXPECT_EQ(decoded.image.height, demo::kDemoPictureHeight) << name;
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

    TempFolder listSettings;
    TempFolder userSettings;
    TempFolder boardSettings;
    TempFolder save;
    // As scripts/demo.sh does: the file names follow what the pictures are.
    for (const TempFolder* settings : {&userSettings, &boardSettings}) {
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
