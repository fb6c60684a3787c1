#include "core/settings/ExtensionSettings.h"

#include <gtest/gtest.h>

#include "core/settings/CIni.h"
#include "core/text/CodePage.h"
#include "core/text/Utf16Bytes.h"
#include "support/TempFolder.h"

namespace albumora {
namespace {

const WString kIniText =
    u"; comment\r\n"
    u"[QQ空间]\r\n"
    u"V2编码 = UTF8\r\n"
    u"取原始名方式=\r\n"
    u"[淘宝]\r\n"
    u"图片名中是否有价格=有\r\n"
    u"价格增减=-5\r\n"
    u"[instagram]\r\n"
    u"图片获取方式=\"2\"\r\n"
    u"[京东]\r\n"
    u"图片获取方式=3\r\n"
    u"图片获取方式=4\r\n";

struct EncodingRow {
    const char* label;
    std::string bytes;
    const char* name;  // the test's name
};

void PrintTo(const EncodingRow& row, std::ostream* os) {
    *os << row.label;
}

class IniEncodings : public ::testing::TestWithParam<EncodingRow> {};

TEST_P(IniEncodings, ReadTheSameSettings) {
    test::TempFolder temp;
    test::WriteFile(temp / kExtensionSettingsFileName, GetParam().bytes);
    const ExtensionSettings s = ReadExtensionSettings(temp.path());
    EXPECT_EQ(s.qzoneV2Encoding, kIniCharsetUtf8);
    EXPECT_EQ(s.qzoneV3Encoding, kIniCharsetAnsi);
    EXPECT_EQ(s.qzoneOriginalNameMethod, 1);  // empty value: the default
    EXPECT_EQ(s.shuoshuoDownloadMethod, 0);
    EXPECT_EQ(s.taobaoPriceInName, 1);
    EXPECT_EQ(s.taobaoPriceAdjust, -5);
    EXPECT_EQ(s.instagramPictureMethod, 2);  // section names ignore letter case; quotes go
    EXPECT_EQ(s.jdPictureMethod, 3);         // the first occurrence wins
}

INSTANTIATE_TEST_SUITE_P(
    Files, IniEncodings,
    ::testing::Values(EncodingRow{"UTF-16LE with BOM", "\xFF\xFE" + EncodeUtf16Le(kIniText),
                                  "Utf16LeWithBom"},
                      EncodingRow{"UTF-8 with BOM", "\xEF\xBB\xBF" + ToUtf8(kIniText), "Utf8WithBom"},
                      EncodingRow{"UTF-8", ToUtf8(kIniText), "Utf8WithoutBom"},
                      EncodingRow{"GBK", EncodeText(kIniText, CodePage::Gbk), "GbkFile"}),
    [](const ::testing::TestParamInfo<EncodingRow>& row) { return std::string(row.param.name); });

TEST(ReadExtensionSettings, MissingFileGivesTheDefaults) {
    test::TempFolder temp;
    const ExtensionSettings s = ReadExtensionSettings(temp.path());
    EXPECT_EQ(s.qzoneV2Encoding, 0);
    EXPECT_EQ(s.qzoneOriginalNameMethod, 1);
    EXPECT_EQ(s.taobaoPriceInName, 0);
    EXPECT_EQ(s.taobaoPriceAdjust, 0);
    EXPECT_EQ(s.instagramPictureMethod, 1);
    EXPECT_EQ(s.jdPictureMethod, 1);
}

TEST(ReadExtensionSettings, GarbageIsQuietlyIgnored) {
    test::TempFolder temp;
    std::string garbage;
    for (int i = 0; i < 4096; ++i) {
        garbage.push_back(static_cast<char>((i * 37) & 0xFF));
    }
    test::WriteFile(temp / kExtensionSettingsFileName, "[\n=\n[x\n" + garbage);
    const ExtensionSettings s = ReadExtensionSettings(temp.path());
    EXPECT_EQ(s.jdPictureMethod, 1);
}

struct CharsetRow {
    WString value;
    std::uint8_t code;
    const char* label;
};

class CharsetCodes : public ::testing::TestWithParam<CharsetRow> {};

TEST_P(CharsetCodes, MatchAtTheStartWithCase) {
    EXPECT_EQ(CharsetCodeFromText(GetParam().value), GetParam().code) << ToUtf8(GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CharsetCodes,
    ::testing::Values(CharsetRow{u"UTF8", 2, "Utf8"}, CharsetRow{u"utf8", 0, "LowerCaseUtf8"},
                      CharsetRow{u"UTF8x", 2, "Utf8WithTrailingText"}, CharsetRow{u"ANSI", 0, "Ansi"},
                      CharsetRow{u"AUTO", 16, "Auto"}, CharsetRow{u"BIG5 ", 8, "Big5WithTrailingBlank"},
                      CharsetRow{u" BIG5", 0, "Big5WithLeadingBlank"}, CharsetRow{u"GBK", 0, "Gbk"},
                      CharsetRow{u"", 0, "Empty"}),
    [](const ::testing::TestParamInfo<CharsetRow>& row) { return std::string(row.param.label); });

struct NumberRow {
    WString value;
    std::uint32_t defaultValue;
    std::uint32_t expected;
    const char* label;
};

class IniNumbers : public ::testing::TestWithParam<NumberRow> {};

TEST_P(IniNumbers, Convert) {
    EXPECT_EQ(IniNumber(GetParam().value, GetParam().defaultValue), GetParam().expected)
        << ToUtf8(GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, IniNumbers,
    ::testing::Values(NumberRow{u"", 1, 1, "EmptyGivesDefault"}, NumberRow{u"abc", 1, 0, "LettersGiveZero"},
                      NumberRow{u"  42x", 1, 42, "LeadingBlanksAndTrailingLetters"},
                      NumberRow{u"+7", 0, 7, "PlusSign"}, NumberRow{u"-5", 0, 0xFFFFFFFBu, "NegativeWraps"},
                      NumberRow{u"-", 1, 0, "SignOnly"},
                      NumberRow{u"99999999999", 0, 0xFFFFFFFFu, "OverflowSaturates"},
                      // Only the first 64 units count: the digit after them is lost.
                      NumberRow{WString(64, u'0') + u"9", 3, 0, "DigitBeyondSixtyFourUnits"},
                      NumberRow{WString(63, u'0') + u"9", 3, 9, "DigitWithinSixtyFourUnits"}),
    [](const ::testing::TestParamInfo<NumberRow>& row) { return std::string(row.param.label); });

TEST(ExtensionSettingsFromIni, ByteFieldsKeepTheLowEightBits) {
    CIni ini;
    ini.LoadBytes("[QQ说说]\n下载方式=257\n");
    EXPECT_EQ(ExtensionSettingsFromIni(ini).shuoshuoDownloadMethod, 1);
}

TEST(CIni, TheFirstOccurrenceWinsAcrossRepeatedSections) {
    CIni ini;
    ini.LoadBytes("[Main]\nKey=first\n[other]\nkey=other\n[MAIN]\nKEY=second\nkey2=later\n");
    EXPECT_EQ(ini.GetString(u"main", u"KEY", u"d"), u"first");
    EXPECT_EQ(ini.GetString(u"Main", u"key2", u"d"), u"later");
    EXPECT_EQ(ini.GetString(u"main", u"missing", u"d"), u"d");
}

}  // namespace
}  // namespace albumora
