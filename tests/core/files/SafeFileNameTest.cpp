#include "core/files/SafeFileName.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/TempFolder.h"

namespace albumora {
namespace {

struct CleanRow {
    const char* label;
    WString input;
    std::uint32_t index;
    bool useFallback;
    WString expected;
    const char* name;  // the test's name
};

void PrintTo(const CleanRow& row, std::ostream* os) {
    *os << row.label;
}

class MakeSafeFileNameRows : public ::testing::TestWithParam<CleanRow> {};

TEST_P(MakeSafeFileNameRows, Cleans) {
    WString name = GetParam().input;
    const WString& result = MakeSafeFileName(name, GetParam().index, GetParam().useFallback);
    EXPECT_EQ(result, GetParam().expected);
    EXPECT_EQ(&result, &name);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, MakeSafeFileNameRows,
    ::testing::Values(
        CleanRow{"forbidden characters and blanks", u"  a<b>:c  ", 0, false, u"abc",
                 "ForbiddenCharsAndBlanks"},
        CleanRow{"only dots", u"...", 0, false, u"\u3002\u3002\u3002", "OnlyDots"},
        CleanRow{"entities", u"&quot;x&quot;", 0, false, u"x", "Entities"},
        CleanRow{"inner tab", u"a\tb", 0, false, u"a_b", "InnerTab"},
        CleanRow{"outer tabs are blanks", u"\ta b\t", 0, false, u"a b", "OuterTabs"},
        CleanRow{"blank runs fold", u"a    b", 0, false, u"a b", "BlankRuns"},
        CleanRow{"outer dots", u".hidden.", 0, false, u"hidden", "OuterDots"},
        CleanRow{"numbered fallback", u"?", 3, true, u"pic3", "NumberedFallback"},
        CleanRow{"no fallback keeps empty", u"?*", kTimeStampFallback, false, u"", "NoFallbackKeepsEmpty"},
        CleanRow{"every separator kind", u"a/b\\c|d\"e", 0, false, u"abcde", "EverySeparatorKind"},
        CleanRow{"bell and line ends", u"a\a\r\nb", 0, false, u"ab", "BellAndLineEnds"},
        CleanRow{"chinese kept", u"相册 一", 0, false, u"相册 一", "ChineseKept"},
        CleanRow{"C1 controls, the terminal's CSI among them", u"a\u0080b\u009B2Jc\u009F", 0, false, u"ab2Jc",
                 "C1Controls"},
        CleanRow{"direction marks and separators", u"gpj\u200E\u200F\u061C.exe\u2028\u2029", 0, false,
                 u"gpj.exe", "DirectionMarksAndSeparators"}),
    [](const ::testing::TestParamInfo<CleanRow>& row) { return std::string(row.param.name); });

TEST(MakeSafeFileName, CutToTheNameLimitEndsInNeitherDotNorBlank) {
    for (const WString& tail : {WString(u". x"), WString(u" .x"), WString(u"..xx")}) {
        // 252 bytes of "好", then the tail: the cut falls inside the tail.
        WString name = WString(84, u'好') + tail + WString(30, u'y');
        MakeSafeFileName(name);
        ASSERT_FALSE(name.empty());
        EXPECT_NE(name.back(), u'.');
        EXPECT_NE(name.back(), u' ');
        EXPECT_LE(Utf8Length(name), 255u);
    }
}

TEST(MakeSafeFileName, TimeStampFallbackForEmptyAndOverlongNames) {
    for (WString name : {WString(u"?*"), WString(1000, u'x')}) {
        MakeSafeFileName(name, kTimeStampFallback, true);
        ASSERT_EQ(name.size(), 14u);
        EXPECT_EQ(name.find_first_not_of(u"0123456789"), WString::npos);
    }
    WString justBelow(999, u'x');
    MakeSafeFileName(justBelow, kTimeStampFallback, true);
    EXPECT_EQ(justBelow, WString(255, u'x'));  // kept, then cut to the name limit
}

// Whatever a site sends, the name must stay one entry of its folder.
struct HostileNameRow {
    WString input;
    const char* label;
};

void PrintTo(const HostileNameRow& row, std::ostream* os) {
    *os << ::testing::PrintToString(row.input);
}

class HostileNames : public ::testing::TestWithParam<HostileNameRow> {};

TEST_P(HostileNames, StayInsideTheirFolder) {
    for (const bool useFallback : {false, true}) {
        WString name = GetParam().input;
        MakeSafeFileName(name, 7, useFallback);
        const std::string bytes = ToUtf8(name);
        EXPECT_LE(bytes.size(), kMaxNameBytes);
        EXPECT_NE(name, u".");
        EXPECT_NE(name, u"..");
        EXPECT_FALSE(name.starts_with(u'.'));
        EXPECT_EQ(name.find_first_of(u"/\\"), WString::npos);
        for (char16_t c : name) {
            EXPECT_FALSE(c < 0x20 || (c >= 0x7F && c <= 0x9F)) << "control character in " << bytes;
            EXPECT_FALSE(c >= 0x202A && c <= 0x202E) << "bidi override in " << bytes;
        }
        if (useFallback) {
            EXPECT_FALSE(name.empty());
        }
        if (name.empty()) {
            continue;
        }
        // The file system takes the name, and the file lands in the folder itself.
        test::TempFolder folder;
        test::WriteFile(folder / bytes, "x");
        const auto entries = std::distance(std::filesystem::directory_iterator(folder.path()),
                                           std::filesystem::directory_iterator());
        EXPECT_EQ(entries, 1);
        EXPECT_TRUE(std::filesystem::is_regular_file(folder / bytes));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, HostileNames,
    ::testing::Values(HostileNameRow{WString(u"../"), "ParentFolder"},
                      HostileNameRow{WString(u"../../etc/passwd"), "PathClimbingOut"},
                      HostileNameRow{WString(u"/"), "Slash"}, HostileNameRow{WString(u"\\"), "Backslash"},
                      HostileNameRow{WString(u".."), "DotDot"},
                      HostileNameRow{WString(u"? .. ?"), "DotDotAmidForbidden"},
                      HostileNameRow{WString(u"* . *"), "DotAmidForbidden"},
                      HostileNameRow{WString(u". ."), "DotsAroundBlank"},
                      HostileNameRow{WString(u"a\0b", 3), "EmbeddedNul"},
                      HostileNameRow{WString(u"\x01\x02\x1F\x7F"), "ControlCharacters"},
                      HostileNameRow{WString(u"photo\u202Egpj.exe"), "RightToLeftOverride"},
                      HostileNameRow{WString(u"\u200F\u202B\u2067x"), "BidiMarks"},
                      HostileNameRow{WString(300, u'a'), "LongAscii"},
                      HostileNameRow{WString(300, u'中'), "LongChinese"},
                      HostileNameRow{WString(120, u'.'), "ManyDots"},
                      HostileNameRow{WString(200, u'中') + u".jpeg", "LongChineseWithExtension"},
                      HostileNameRow{WString(u"&lt;..&gt;"), "EntitiesAroundDotDot"},
                      HostileNameRow{WString(u"\U0001F600") + WString(200, u'x') + u"\U0001F600\U0001F600",
                                     "SurrogatePairsNearTheLimit"}),
    [](const ::testing::TestParamInfo<HostileNameRow>& row) { return std::string(row.param.label); });

TEST(LimitNameBytes, CutsBeforeTheExtension) {
    WString name = WString(300, u'中') + u".jpg";
    LimitNameBytes(name);
    EXPECT_EQ(name, WString(83, u'中') + u".jpg");  // 249 + 4 bytes; one more would be 256
    WString noExtension(300, u'b');
    LimitNameBytes(noExtension);
    EXPECT_EQ(noExtension.size(), 255u);
    WString fits = u"short.png";
    LimitNameBytes(fits);
    EXPECT_EQ(fits, u"short.png");
}

TEST(LimitNameBytes, NeverSplitsASurrogatePair) {
    WString name;
    for (int i = 0; i < 100; ++i) {
        name += u"\U0001F600";  // four bytes each
    }
    LimitNameBytes(name, 10);
    EXPECT_EQ(name, u"\U0001F600\U0001F600");
}

TEST(FormatTimeStamp, FourteenDigitsOfLocalTime) {
    const WString stamp = FormatTimeStamp(86400 * 365);
    ASSERT_EQ(stamp.size(), 14u);
    EXPECT_TRUE(stamp.starts_with(u"1970") || stamp.starts_with(u"1971"));
}

}  // namespace
}  // namespace albumora
