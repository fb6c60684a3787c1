#include "core/settings/SettingsStore.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/TempFolder.h"

namespace albumora {
namespace {

using namespace std::string_literals;

void PutU16(std::string& image, std::size_t offset, std::uint16_t value) {
    image[offset] = static_cast<char>(value & 0xFF);
    image[offset + 1] = static_cast<char>(value >> 8);
}

std::size_t ParamsOffset(int site) {
    return 8 * static_cast<std::size_t>(site);
}

std::size_t NamingOffset(int site) {
    return 192 + 484 * static_cast<std::size_t>(site);
}

TEST(LoadSettings, FirstRunCreatesTheDefaultImage) {
    test::TempFolder temp;
    const LoadedSettings loaded = LoadSettings(temp.path());
    EXPECT_FALSE(loaded.fileFound);
    EXPECT_TRUE(loaded.saved);

    // The expected file, written down field by field at the offsets the format fixes.
    std::string expected(19808, '\0');
    for (int site = 0; site < 24; ++site) {
        PutU16(expected, ParamsOffset(site) + 4, site == 18 ? 3 : 5);
        PutU16(expected, ParamsOffset(site) + 6, 30);
        std::uint16_t flags = 0x0010;
        if (site == 7) {
            flags = 0x0092;
        } else if (site == 11 || site == 16) {
            flags = 0x0012;
        } else if (site == 17) {
            flags = 0x0011;
        }
        PutU16(expected, NamingOffset(site) + 480, flags);
    }
    expected[NamingOffset(8) + 482] = 1;
    const std::u16string prefix = u"?2) ";
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        PutU16(expected, NamingOffset(17) + 2 * i, prefix[i]);
    }
    EXPECT_EQ(test::ReadFile(temp / "soft.dat").bytes, expected);
    EXPECT_EQ(EncodeSettings(loaded.settings), expected);
}

TEST(LoadSettings, AShortFileKeepsItsBytesAndGetsNoFirstRunDefaults) {
    test::TempFolder temp;
    std::string head(100, '\0');
    PutU16(head, ParamsOffset(2) + 0, 123);  // minSizeK of site 2
    PutU16(head, ParamsOffset(2) + 4, 7);    // threads of site 2
    PutU16(head, ParamsOffset(2) + 6, 60);   // time-out of site 2
    test::WriteFile(temp / "soft.dat", head);

    const LoadedSettings loaded = LoadSettings(temp.path());
    EXPECT_TRUE(loaded.fileFound);
    EXPECT_EQ(loaded.settings.downloadParams[2].minSizeK, 123);
    EXPECT_EQ(loaded.settings.downloadParams[2].threadCount, 7);
    EXPECT_EQ(loaded.settings.downloadParams[2].timeoutSec, 60);
    EXPECT_EQ(loaded.settings.downloadParams[18].threadCount, 5);  // repaired, not the first-run 3
    EXPECT_EQ(loaded.settings.namingRecords[7].optionFlags, 0);
    EXPECT_EQ(loaded.settings.namingRecords[17].pictureNamePrefix[0], u'\0');
    EXPECT_EQ(test::ReadFile(temp / "soft.dat").bytes.size(), 19808u);
}

struct ClampRow {
    std::uint16_t threads;
    std::uint16_t timeout;
    std::uint16_t expectedThreads;
    std::uint16_t expectedTimeout;
    const char* label;
};

class RepairClamps : public ::testing::TestWithParam<ClampRow> {};

TEST_P(RepairClamps, ThreadsAndTimeOut) {
    PersistentSettings settings;
    settings.downloadParams[4] = {0, 0, GetParam().threads, GetParam().timeout};
    RepairSettings(settings, true);
    EXPECT_EQ(settings.downloadParams[4].threadCount, GetParam().expectedThreads);
    EXPECT_EQ(settings.downloadParams[4].timeoutSec, GetParam().expectedTimeout);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RepairClamps,
    ::testing::Values(ClampRow{16, 30, 5, 30, "ThreadsAboveFifteen"}, ClampRow{0, 30, 5, 30, "NoThreads"},
                      ClampRow{15, 10, 15, 10, "BothAtTheirLimits"}, ClampRow{1, 9, 1, 30, "TimeoutBelowTen"},
                      ClampRow{65535, 65535, 5, 65535, "LargestStoredValues"}),
    [](const ::testing::TestParamInfo<ClampRow>& row) { return std::string(row.param.label); });

TEST(SettingsImage, RoundTripsEveryByte) {
    std::string bytes(19808, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(i * 7 + 3);
    }
    EXPECT_EQ(EncodeSettings(DecodeSettings(bytes)), bytes);
    // Bytes beyond the image are ignored.
    EXPECT_EQ(EncodeSettings(DecodeSettings(bytes + "tail")), bytes);
}

TEST(SettingsImage, FieldsSitAtTheirOffsets) {
    PersistentSettings settings;
    settings.downloadParams[23] = {1, 2, 3, 4};
    SetNamingText(settings.namingRecords[23].albumFolderSuffix, u"x");
    settings.namingRecords[23].optionFlags = 0x0102;
    settings.namingRecords[23].albumFolderMode = 1;
    SetSlotText(settings.addressHistory[1], u"A", 399);
    SetSlotText(settings.savePathHistory[4], u"B", 399);
    const std::string bytes = EncodeSettings(settings);
    ASSERT_EQ(bytes.size(), 19808u);
    EXPECT_EQ(bytes.substr(184, 8), std::string("\1\0\2\0\3\0\4\0", 8));
    EXPECT_EQ(bytes.substr(NamingOffset(23) + 400, 2), "x\0"s);
    EXPECT_EQ(bytes.substr(NamingOffset(23) + 480, 4), std::string("\x02\x01\x00\x01", 4));
    EXPECT_EQ(bytes[11808 + 800], 'A');
    EXPECT_EQ(bytes[15808 + 4 * 800], 'B');
}

TEST(SlotText, AnUnterminatedSlotEndsAtItsLastUnit) {
    std::string bytes(19808, '\0');
    for (std::size_t i = 0; i < 80; ++i) {
        bytes[NamingOffset(0) + i] = (i % 2 == 0) ? 'p' : '\0';  // 40 units, no terminator
    }
    bytes[NamingOffset(0) + 80] = 'q';  // the next slot
    const PersistentSettings settings = DecodeSettings(bytes);
    EXPECT_EQ(SlotText(settings.namingRecords[0].pictureNamePrefix), WString(40, u'p'));
}

TEST(LoadSettings, ASettingsPathThatIsNoFileIsNotOverwritten) {
    test::TempFolder temp;
    std::filesystem::create_directory(temp / "soft.dat");
    const LoadedSettings loaded = LoadSettings(temp.path());
    EXPECT_FALSE(loaded.saved);
    EXPECT_TRUE(std::filesystem::is_directory(temp / "soft.dat"));
    EXPECT_EQ(loaded.settings.downloadParams[18].threadCount, 3);
}

}  // namespace
}  // namespace albumora
