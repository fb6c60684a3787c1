#include <gtest/gtest.h>

#include <filesystem>

#include <algorithm>

#include "core/settings/SettingsStore.h"
#include "support/ProcessRunner.h"
#include "support/TempFolder.h"

namespace albumora {
namespace {

class SettingsCommand : public ::testing::Test {
protected:
    test::ProcessResult Settings(std::vector<std::string> args = {}) {
        args.insert(args.begin(), {"--settings-dir", m_settings.path(), "settings"});
        return test::RunProcess(ALBUMORA_CLI_PATH, args);
    }
    std::string SoftDat() const { return test::ReadFile(m_settings / "soft.dat").bytes; }
    const SiteDownloadParams& Params() {
        m_loaded = DecodeSettings(SoftDat());
        return m_loaded.downloadParams[18];
    }
    const SiteNamingRecord& Naming() {
        m_loaded = DecodeSettings(SoftDat());
        return m_loaded.namingRecords[18];
    }

    test::TempFolder m_settings;
    PersistentSettings m_loaded;
};

TEST_F(SettingsCommand, FirstRunShowsAndCreatesTheDefaults) {
    const test::ProcessResult result = Settings();
    EXPECT_EQ(result.exitCode, 0) << result.err;
    for (const char* line : {"threads: 3\n", "timeout: 30\n", "min-size: 0\n", "max-size: 0\n",
                             "picture-prefix: \"\"\n", "picture-mode: 0 (描述)\n",
                             "folder-mode: 0 (相册名)\n", "open-folder: on (下载完成后打开保存路径)\n",
                             "fix-format: off (修正图片格式)\n", "description-pictures-only: off"}) {
        EXPECT_NE(result.out.find(line), std::string::npos) << line << "\n" << result.out;
    }
    EXPECT_EQ(SoftDat().size(), 19808u);
}

TEST_F(SettingsCommand, AnOptionGivenTwiceTakesItsLastValue) {
    test::TempFolder other;
    EXPECT_EQ(Settings({"--settings-dir", other.path()}).exitCode, 0);
    EXPECT_TRUE(std::filesystem::exists(other / "soft.dat"));
    EXPECT_FALSE(std::filesystem::exists(m_settings / "soft.dat"));
}

TEST_F(SettingsCommand, AShortFileGetsNoFirstRunDefaults) {
    test::WriteFile(m_settings / "soft.dat", std::string(100, '\0'));
    const test::ProcessResult result = Settings();
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find("threads: 5\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("open-folder: off"), std::string::npos) << result.out;
    EXPECT_EQ(SoftDat().size(), 19808u);
}

TEST_F(SettingsCommand, ChangingOneValueKeepsEveryOtherByte) {
    std::string image(19808, '\0');
    for (std::size_t i = 192; i < image.size(); ++i) {
        image[i] = static_cast<char>(i % 251);  // naming records and histories, terminators or not
    }
    for (std::size_t site = 0; site < 24; ++site) {
        image.replace(8 * site, 8, std::string("\x01\x00\x02\x00\x07\x00\x3C\x00", 8));
    }
    image[8 * 18 + 4] = 16;  // threads of site 18: out of range, repaired to 5
    test::WriteFile(m_settings / "soft.dat", image);
    const test::ProcessResult result = Settings({"set", "max-size", "9"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    std::string expected = image;
    expected[8 * 18 + 2] = 9;  // max-size
    expected[8 * 18 + 4] = 5;  // the repair
    const std::string saved = SoftDat();
    ASSERT_EQ(saved.size(), expected.size());
    EXPECT_TRUE(saved == expected) << "first difference at byte "
                                   << std::mismatch(saved.begin(), saved.end(), expected.begin()).first -
                                          saved.begin();
}

struct SetRow {
    std::string key;
    std::string value;
    std::string shown;  // the line the command prints afterwards
    const char* label;
};

void PrintTo(const SetRow& row, std::ostream* os) {
    *os << row.key << "=" << row.value;
}

class SettingsSet : public SettingsCommand, public ::testing::WithParamInterface<SetRow> {};

TEST_P(SettingsSet, ChangesOneValueAndSaves) {
    const test::ProcessResult result = Settings({"set", GetParam().key, GetParam().value});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find(GetParam().shown + "\n"), std::string::npos) << result.out;
    // Loading again shows the same: the value was saved.
    EXPECT_NE(Settings().out.find(GetParam().shown + "\n"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, SettingsSet,
    ::testing::Values(SetRow{"threads", "15", "threads: 15", "ThreadsAtFifteen"},
                      SetRow{"timeout", "65535", "timeout: 65535", "TimeoutAtLargest"},
                      SetRow{"max-size", "+2048", "max-size: 2048", "MaxSizeWithPlusSign"},
                      SetRow{"picture-prefix", std::string(40, 'p'),
                             "picture-prefix: \"" + std::string(38, 'p') + "\"", "OverlongPicturePrefixCut"},
                      SetRow{"replace-to", "甲|乙", "replace-to: \"甲|乙\"", "ReplaceToChineseText"},
                      SetRow{"picture-mode", "网址", "picture-mode: 2 (网址)", "PictureModeByName"},
                      SetRow{"picture-suffix", "-hd", "picture-suffix: \"-hd\"", "TextThatLooksLikeAnOption"},
                      SetRow{"folder-mode", "1", "folder-mode: 1 (无)", "FolderModeByNumber"},
                      SetRow{"open-folder", "off", "open-folder: off (下载完成后打开保存路径)",
                             "OpenFolderOff"}),
    [](const ::testing::TestParamInfo<SetRow>& row) { return std::string(row.param.label); });

TEST_F(SettingsCommand, OptionsAreStoredAsTheirBits) {
    ASSERT_EQ(Settings({"set", "description-pictures-only", "on"}).exitCode, 0);
    ASSERT_EQ(Settings({"set", "main-pictures-only", "on"}).exitCode, 0);
    ASSERT_EQ(Settings({"set", "skip-downloaded", "on"}).exitCode, 0);
    EXPECT_EQ(Naming().optionFlags, OPT_OPEN_FOLDER_WHEN_DONE | OPT_MAIN_PICTURES_ONLY | OPT_SKIP_DOWNLOADED);
}

struct RefusedRow {
    std::string key;
    std::string value;
    std::string message;
    const char* label;
};

void PrintTo(const RefusedRow& row, std::ostream* os) {
    *os << row.key << "=" << row.value;
}

class SettingsSetRefused : public SettingsCommand, public ::testing::WithParamInterface<RefusedRow> {};

TEST_P(SettingsSetRefused, LeavesTheFileAsItWas) {
    ASSERT_EQ(Settings({"set", "min-size", "7"}).exitCode, 0);
    const std::string before = SoftDat();
    const test::ProcessResult result = Settings({"set", GetParam().key, GetParam().value});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find(GetParam().message), std::string::npos) << result.err;
    EXPECT_EQ(SoftDat(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Values, SettingsSetRefused,
    ::testing::Values(RefusedRow{"threads", "16", "参数错误", "ThreadsAboveFifteen"},
                      RefusedRow{"threads", "0", "参数错误", "NoThreads"},
                      RefusedRow{"timeout", "9", "参数错误", "TimeoutBelowTen"},
                      RefusedRow{"threads", "five", "参数错误", "ThreadsInWords"},
                      RefusedRow{"max-size", "12k", "参数错误", "MaxSizeWithUnit"},
                      RefusedRow{"max-size", "65536", "参数错误", "MaxSizeAboveSixteenBits"},
                      RefusedRow{"timeout", "-1", "参数错误", "NegativeTimeout"},
                      RefusedRow{"threads", "65537", "参数错误", "ThreadsAboveSixteenBits"},
                      RefusedRow{"picture-mode", "3", "picture-mode", "PictureModeOutOfRange"},
                      RefusedRow{"folder-mode", "描述", "folder-mode", "FolderModeUnknownName"},
                      RefusedRow{"fix-order", "yes", "on", "OptionNeitherOnNorOff"},
                      RefusedRow{"save-folder", "", "save-folder", "EmptySaveFolder"},
                      RefusedRow{"save-folder", "/" + std::string(400, 'd'), "save-folder",
                                 "OverlongSaveFolder"},
                      RefusedRow{"colour", "red", "colour", "UnknownKey"}),
    [](const ::testing::TestParamInfo<RefusedRow>& row) { return std::string(row.param.label); });

TEST_F(SettingsCommand, SaveFolderBecomesTheNewestHistoryEntry) {
    const std::string cwd = std::filesystem::current_path().string();
    EXPECT_NE(Settings().out.find("save-folder: \"\"\n"), std::string::npos);

    const test::ProcessResult relative = Settings({"set", "save-folder", "pictures/./demo"});
    ASSERT_EQ(relative.exitCode, 0) << relative.err;
    EXPECT_NE(relative.out.find("save-folder: \"" + cwd + "/pictures/demo/\"\n"), std::string::npos)
        << relative.out;

    // A folder already in the history moves to the front instead of being refused as a duplicate.
    ASSERT_EQ(Settings({"set", "save-folder", "/srv/b"}).exitCode, 0);
    ASSERT_EQ(Settings({"set", "save-folder", "/srv/c/"}).exitCode, 0);
    ASSERT_EQ(Settings({"set", "save-folder", "/SRV/B"}).exitCode, 0);
    EXPECT_EQ(HistoryTexts(DecodeSettings(SoftDat()), HistoryKind::SavePath),
              (std::vector<WString>{u"/SRV/B/", u"/srv/c/", FromUtf8(cwd) + u"/pictures/demo/"}));
}

TEST_F(SettingsCommand, ASettingsFileThatCannotBeWrittenFails) {
    std::filesystem::create_directory(m_settings / "soft.dat");
    const test::ProcessResult result = Settings({"set", "threads", "4"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("soft.dat"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_directory(m_settings / "soft.dat"));
}

}  // namespace
}  // namespace albumora
