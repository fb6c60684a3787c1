#include "core/settings/SettingsFolder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "support/ScopedEnv.h"
#include "support/TempFolder.h"

namespace albumora {
namespace {

namespace fs = std::filesystem;
using test::ScopedEnv;
using test::TempFolder;

// Runs with a home folder and a temporary folder of its own, and puts the working directory back.
class SettingsFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(m_root / "home");
        fs::create_directories(m_root / "temp/unpacked");
        fs::create_directories(m_root / "work");
    }
    void TearDown() override { fs::current_path(m_saved); }

    std::string StartIn(const std::string& folder) {
        fs::current_path(m_root / folder);
        return ResolveSettingsFolder({});
    }

    TempFolder m_scratch;
    const fs::path m_root = fs::canonical(m_scratch.path());
    const fs::path m_saved = fs::current_path();
    ScopedEnv m_home{"HOME", (m_root / "home").string()};
    ScopedEnv m_temp{"TMPDIR", (m_root / "temp").string()};
};

TEST_F(SettingsFolderTest, WorkingDirectoryHoldsTheSettingsUnlessItIsTemporaryOrALauncherStart) {
    EXPECT_EQ(StartIn("work"), (m_root / "work").string() + "/");

    const std::string fallback = (m_root / "home/Documents/Fotavo").string() + "/";
    EXPECT_EQ(StartIn("temp/unpacked"), fallback);
    EXPECT_EQ(StartIn("home"), fallback);
    EXPECT_TRUE(fs::is_directory(fallback));
    // Below the home folder is a folder the user chose to start in.
    fs::create_directories(m_root / "home/albums");
    EXPECT_EQ(StartIn("home/albums"), (m_root / "home/albums").string() + "/");
}

TEST_F(SettingsFolderTest, ExplicitFolderWinsAndIsCreated) {
    fs::current_path(m_root / "home");
    EXPECT_EQ(ResolveSettingsFolder((m_root / "a/b").string()), (m_root / "a/b").string() + "/");
    EXPECT_TRUE(fs::is_directory(m_root / "a/b"));

    // A file where the folder should be cannot hold settings.
    test::WriteFile((m_root / "plain").string(), "x");
    EXPECT_EQ(ResolveSettingsFolder((m_root / "plain").string()), "");
}

}  // namespace
}  // namespace albumora
