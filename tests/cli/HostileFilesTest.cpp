#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "support/FakeSites.h"
#include "support/ProcessRunner.h"
#include "support/TempFolder.h"

namespace albumora::test {
namespace {

namespace fs = std::filesystem;

// Files planted in the save or settings folder, links the user keeps on purpose, and outputs that
// are devices: albumora-cli neither hangs on them nor writes through them where it must not.
class HostileFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        SharedTestServer().ClearRoutes();
        SharedTestServer().ClearRequests();
        FakeDuitangUser user;
        user.albums.push_back({"321", "陷阱", MakeDuitangPictures("321", 2)});
        ServeDuitangUser(SharedTestServer(), user);
    }

    // Runs albumora-cli in `workingFolder` (this process's own when empty).
    ProcessResult Cli(std::vector<std::string> args, const std::string& workingFolder = {}) {
        args.insert(args.begin(), {"--settings-dir", m_settings.path()});
        const std::vector<std::pair<std::string, std::string>> env{
            {"http_proxy", SharedTestServer().proxyUrl()}};
        if (workingFolder.empty()) {
            return RunProcess(ALBUMORA_CLI_PATH, args, env, std::chrono::seconds(60));
        }
        std::vector<std::string> shellArgs{"-c", "cd \"$0\" && exec \"$@\"", workingFolder,
                                           ALBUMORA_CLI_PATH};
        shellArgs.insert(shellArgs.end(), args.begin(), args.end());
        return RunProcess("/bin/sh", shellArgs, env, std::chrono::seconds(60));
    }

    TempFolder m_settings;
    TempFolder m_save;
};

TEST_F(HostileFilesTest, FifosInPlaceOfTheProgramsFilesAreNeverWaitedOn) {
    const std::string album = m_save.path() + "堆糖_7788/陷阱/";
    fs::create_directories(album);
    for (const std::string& path : {m_settings / "soft.dat", m_settings / "cookies.txt",
                                    m_settings / "下载器扩展设置.ini", album + "pic.kvx"}) {
        ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0) << path;
    }
    const ProcessResult result =
        Cli({"download", "http://www.duitang.com/album/321/", "--save", m_save.path()});
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(ListFolder(album), (std::vector<std::string>{"pic.kvx", "说明1.jpg", "说明2.jpg"}));
    EXPECT_TRUE(fs::is_regular_file(album + "pic.kvx"));
}

TEST_F(HostileFilesTest, LinkedSettingsFilesAreSavedThroughToTheirTargets) {
    TempFolder dotfiles;
    WriteFile(dotfiles / "soft.dat", "");
    fs::create_symlink(dotfiles / "soft.dat", m_settings / "soft.dat");
    fs::create_symlink("../" + fs::path(dotfiles.path()).parent_path().filename().string() + "/" +
                           fs::path(dotfiles.path()).filename().string() + "/cookies.txt",
                       m_settings / "cookies.txt");
    SharedTestServer().Route(kFakeDuitangHost, "/cookie",
                             Response{.body = "x", .setCookies = {"sid=42; Path=/"}});

    ASSERT_EQ(Cli({"settings", "set", "threads", "7"}).exitCode, 0);
    ASSERT_EQ(Cli({"fetch", "http://www.duitang.com/cookie"}).exitCode, 0);
    EXPECT_TRUE(fs::is_symlink(m_settings / "soft.dat"));
    EXPECT_TRUE(fs::is_symlink(m_settings / "cookies.txt"));
    EXPECT_EQ(ReadFile(dotfiles / "soft.dat").bytes.size(), 19808u);
    EXPECT_NE(Cli({"settings"}).out.find("threads: 7\n"), std::string::npos);
    EXPECT_NE(ReadFile(dotfiles / "cookies.txt").bytes.find("\tsid\t42"), std::string::npos);
}

TEST_F(HostileFilesTest, CookieFileIsReadableByItsOwnerOnly) {
    SharedTestServer().Route(kFakeDuitangHost, "/cookie",
                             Response{.body = "x", .setCookies = {"sid=42; Path=/"}});
    ASSERT_EQ(Cli({"fetch", "http://www.duitang.com/cookie"}).exitCode, 0);
    struct stat info {};
    ASSERT_EQ(::stat((m_settings / "cookies.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(HostileFilesTest, FetchWritesIntoADeviceAndRefusesAFolder) {
    SharedTestServer().Route(kFakeDuitangHost, "/page", Response{.body = "page"});
    const ProcessResult folder = Cli({"fetch", "http://www.duitang.com/page", "--output", m_save.path()});
    EXPECT_EQ(folder.exitCode, 2) << folder.err;
    if (::geteuid() != 0) {
        GTEST_SKIP() << "replacing /dev/null takes root, so only root can see that it is not replaced";
    }
    const ProcessResult device = Cli({"fetch", "http://www.duitang.com/page", "--output", "/dev/null"});
    EXPECT_EQ(device.exitCode, 0) << device.err;
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

TEST_F(HostileFilesTest, RelativeSaveFolderIsRememberedAsTheFolderItNamed) {
    TempFolder first;
    TempFolder second;
    ASSERT_EQ(
        Cli({"download", "http://www.duitang.com/album/321/", "--save", "pics/"}, first.path()).exitCode, 0);
    ASSERT_EQ(Cli({"download", "http://www.duitang.com/album/321/"}, second.path()).exitCode, 0);
    EXPECT_EQ(ListFolder(first / "pics/堆糖_7788/陷阱/"),
              (std::vector<std::string>{"pic.kvx", "说明1.jpg", "说明2.jpg"}));
    EXPECT_FALSE(fs::exists(second / "pics"));
}

}  // namespace
}  // namespace albumora::test
