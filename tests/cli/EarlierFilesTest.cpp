#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "CliTest.h"

namespace albumora::test {
namespace {

namespace fs = std::filesystem;

// What a user had before a run is still there after it: pictures of earlier runs, and whatever
// lies outside the save folder, however the album folder or its journal was tampered with.
class EarlierFilesTest : public CliTest {
protected:
    static FakePin Pin(int id, std::size_t size) {
        return {std::to_string(id), "key" + std::to_string(id), "", PictureKind::Jpeg, size};
    }

    // The bytes and time of a file, to tell whether a run touched it.
    struct Snapshot {
        std::string bytes;
        std::int64_t mtime = 0;
        bool operator==(const Snapshot&) const = default;
    };
    static Snapshot Snap(const std::string& path) {
        struct stat info {};
        ::stat(path.c_str(), &info);
        return {ReadFile(path).bytes, static_cast<std::int64_t>(info.st_mtim.tv_sec)};
    }

    std::string Board() const { return m_save.path() + "alice/猫咪 & 狗/"; }
};

TEST_F(EarlierFilesTest, NewPinsWithoutDescriptionsNeverReplaceEarlierPictures) {
    FakeHuabanBoard board;
    board.pins = {Pin(300, 1000), Pin(299, 1001), Pin(298, 1002)};
    ServeHuabanBoard(SharedTestServer(), board);
    ASSERT_EQ(Cli({"download", "http://huaban.com/boards/1001/", "--save", m_save.path()}).exitCode, 0);
    std::map<std::string, std::string> before;
    for (const std::string& name : ListFolder(Board())) {
        before[name] = ReadFile(Board() + name).bytes;
    }

    // Two new pins at the head, named after the album as the first ones were.
    board.pins.insert(board.pins.begin(), {Pin(302, 2000), Pin(301, 2001)});
    SharedTestServer().ClearRoutes();
    ServeHuabanBoard(SharedTestServer(), board);
    const ProcessResult result =
        Cli({"download", "http://huaban.com/boards/1001/", "--save", m_save.path(), "--new-only"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    for (const auto& [name, bytes] : before) {
        if (name != "pic.kvx") {
            EXPECT_EQ(ReadFile(Board() + name).bytes, bytes) << name;
        }
    }
    EXPECT_EQ(ListFolder(Board()).size(), before.size() + 2);
    EXPECT_EQ(PictureRequests(kFakeHuabanPictureHost), 3u + 2u);
}

TEST_F(EarlierFilesTest, AlbumsSharingOneFolderKeepEachOthersPictures) {
    FakeDuitangUser user;
    user.albums.push_back({"501", "一", MakeDuitangPictures("501", 2)});
    user.albums.push_back({"502", "二", MakeDuitangPictures("502", 2)});
    user.albums[1].pictures[0].size = 3000;
    user.albums[1].pictures[1].size = 3001;
    ServeDuitangUser(SharedTestServer(), user);
    ASSERT_EQ(Cli({"settings", "set", "folder-mode", "无"}).exitCode, 0);
    ASSERT_EQ(Cli({"settings", "set", "picture-mode", "序号"}).exitCode, 0);
    const std::string address = "http://www.duitang.com/people/?user_id=7788";
    ASSERT_EQ(Cli({"download", address, "--albums", "1", "--save", m_save.path()}).exitCode, 0);
    const std::string owner = m_save.path() + "堆糖_7788/";
    const Snapshot first = Snap(owner + "1.jpg");
    ASSERT_EQ(Cli({"download", address, "--albums", "2", "--save", m_save.path()}).exitCode, 0);
    EXPECT_EQ(Snap(owner + "1.jpg"), first);
    EXPECT_EQ(ReadFile(owner + "1(1).jpg").bytes.size(), 3000u);
    EXPECT_EQ(ReadFile(owner + "2(1).jpg").bytes.size(), 3001u);
}

TEST_F(EarlierFilesTest, APicturePinnedTwiceIsFetchedOnceOverTwoRuns) {
    FakeHuabanBoard board;
    board.pins = {Pin(300, 1000), Pin(299, 1001)};
    board.pins[1].key = board.pins[0].key;  // the same picture, pinned again
    ServeHuabanBoard(SharedTestServer(), board);
    ASSERT_EQ(Cli({"download", "http://huaban.com/boards/1001/", "--save", m_save.path()}).exitCode, 0);
    SharedTestServer().ClearRequests();
    ASSERT_EQ(Cli({"download", "http://huaban.com/boards/1001/", "--save", m_save.path()}).exitCode, 0);
    EXPECT_EQ(PictureRequests(kFakeHuabanPictureHost), 0u);
}

// The journal knows a picture by its address and its name: a second pin of the same picture, whose
// file the format pass renamed, must not stand in for the first one's missing file.
TEST_F(EarlierFilesTest, APicturePinnedTwiceIsFetchedAgainWhenOnlyOneOfItsFilesIsGone) {
    FakeHuabanBoard board;
    board.pins = {Pin(300, 1000), Pin(299, 1000)};
    board.pins[0].description = "甲";
    board.pins[1].description = "乙";
    board.pins[1].key = board.pins[0].key;
    for (FakePin& pin : board.pins) {
        pin.kind = PictureKind::Png;  // served under a .jpg name, so the format pass renames it
    }
    ServeHuabanBoard(SharedTestServer(), board);
    ASSERT_EQ(Cli({"settings", "set", "fix-format", "on"}).exitCode, 0);
    const std::vector<std::string> args{"download", "http://huaban.com/boards/1001/", "--save",
                                        m_save.path()};
    ASSERT_EQ(Cli(args).exitCode, 0);
    ASSERT_TRUE(fs::exists(Board() + "乙.png"));
    fs::remove(Board() + "甲.png");

    SharedTestServer().ClearRequests();
    EXPECT_EQ(Cli(args).exitCode, 0);
    EXPECT_EQ(PictureRequests(kFakeHuabanPictureHost), 1u);
    EXPECT_TRUE(fs::exists(Board() + "甲.png"));
}

TEST_F(EarlierFilesTest, APictureCutShortOnDiskIsFetchedAgain) {
    FakeDuitangUser user;
    user.albums.push_back({"620", "短", MakeDuitangPictures("620", 2)});
    ServeDuitangUser(SharedTestServer(), user);
    const std::vector<std::string> args{"download", "http://www.duitang.com/album/620/", "--save",
                                        m_save.path()};
    ASSERT_EQ(Cli(args).exitCode, 0);
    const std::string picture = m_save.path() + "堆糖_7788/短/说明1.jpg";
    fs::resize_file(picture, 100);
    SharedTestServer().ClearRequests();
    EXPECT_EQ(Cli(args).exitCode, 0);
    EXPECT_EQ(PictureRequests(kFakeDuitangPictureHost), 1u);
    EXPECT_EQ(fs::file_size(picture), 2048u);
}

TEST_F(EarlierFilesTest, AJournalThatCannotBeWrittenIsReported) {
    FakeDuitangUser user;
    user.albums.push_back({"610", "记", MakeDuitangPictures("610", 2)});
    ServeDuitangUser(SharedTestServer(), user);
    fs::create_directories(m_save.path() + "堆糖_7788/记/.albumora-journal");
    const ProcessResult result =
        Cli({"download", "http://www.duitang.com/album/610/", "--save", m_save.path()});
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_NE(result.err.find("附属文件无法写入"), std::string::npos) << result.err;
}

TEST_F(EarlierFilesTest, JournalLinesAndLinksCannotReachOutsideTheAlbum) {
    FakeDuitangUser user;
    user.albums.push_back({"600", "册", MakeDuitangPictures("600", 2)});
    ServeDuitangUser(SharedTestServer(), user);
    ASSERT_EQ(Cli({"settings", "set", "fix-format", "on"}).exitCode, 0);
    ASSERT_EQ(Cli({"settings", "set", "fix-order", "on"}).exitCode, 0);
    TempFolder outside;
    const std::string victim = outside.path() + "victim.jpg";
    const std::string other = outside.path() + "other.jpg";
    WriteFile(victim, std::string(2048, 'v'));
    WriteFile(other, std::string(2048, 'o'));
    const Snapshot victimBefore = Snap(victim);
    const Snapshot otherBefore = Snap(other);

    // The journal claims the first picture as a file outside; the second is a link to another.
    const std::string album = m_save.path() + "堆糖_7788/册/";
    fs::create_directories(album);
    const std::string escape = fs::relative(victim, album).string();
    WriteFile(album + ".albumora-journal",
              "http://c-ssl.duitang.com/uploads/item/p600_1.jpg\t" + escape +
                  "\t2048\n"
                  "http://c-ssl.duitang.com/uploads/item/p600_2.jpg\t说明2.jpg\t2048\n");
    fs::create_symlink(other, album + "说明2.jpg");

    const ProcessResult result =
        Cli({"download", "http://www.duitang.com/album/600/", "--save", m_save.path()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(PictureRequests(kFakeDuitangPictureHost), 2u);
    EXPECT_EQ(Snap(victim), victimBefore);
    EXPECT_EQ(Snap(other), otherBefore);
    EXPECT_FALSE(fs::is_symlink(album + "说明2.jpg"));
}

TEST_F(EarlierFilesTest, AnAlbumFolderThatIsALinkFailsNamedAndItsTargetIsUntouched) {
    FakeDuitangUser user;
    user.albums.push_back({"700", "链", MakeDuitangPictures("700", 2)});
    ServeDuitangUser(SharedTestServer(), user);
    TempFolder target;
    WriteFile(target.path() + "说明1.jpg", "mine");
    fs::create_directories(m_save.path() + "堆糖_7788");
    fs::create_directory_symlink(target.path(), m_save.path() + "堆糖_7788/链");

    const ProcessResult result =
        Cli({"download", "http://www.duitang.com/album/700/", "--save", m_save.path()});
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_NE(result.err.find("无法创建文件夹：" + m_save.path() + "堆糖_7788/链"), std::string::npos)
        << result.err;
    EXPECT_EQ(ListFolder(target.path()), (std::vector<std::string>{"说明1.jpg"}));
    EXPECT_EQ(ReadFile(target.path() + "说明1.jpg").bytes, "mine");
}

}  // namespace
}  // namespace albumora::test
