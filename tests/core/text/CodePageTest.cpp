#include "core/text/CodePage.h"

#include <gtest/gtest.h>

namespace albumora {
namespace {

struct CodePageRow {
    CodePage codePage;
    std::string bytes;
    WString text;
    const char* label;
};

void PrintTo(const CodePageRow& row, std::ostream* os) {
    *os << "code page " << static_cast<int>(row.codePage) << " " << ToUtf8(row.text);
}

class CodePageRoundTrip : public ::testing::TestWithParam<CodePageRow> {};

TEST_P(CodePageRoundTrip, DecodesAndEncodes) {
    const CodePageRow& row = GetParam();
    EXPECT_EQ(DecodeBytes(row.bytes, row.codePage), row.text);
    EXPECT_EQ(EncodeText(row.text, row.codePage), row.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, CodePageRoundTrip,
    ::testing::Values(CodePageRow{CodePage::Utf8, "a\xE4\xB8\xAD", u"a中", "Utf8Text"},
                      CodePageRow{CodePage::Gbk, "a\xD6\xD0\xCE\xC4", u"a中文", "GbkText"},
                      CodePageRow{CodePage::Big5, "\xA4\xA4\xA4\xE5", u"中文", "Big5Text"},
                      CodePageRow{CodePage::EucKr, "\xC7\xD1\xB1\xDB", u"한글", "EucKrText"},
                      CodePageRow{CodePage::Gbk, "", u"", "EmptyGbkText"}),
    [](const ::testing::TestParamInfo<CodePageRow>& row) { return std::string(row.param.label); });

TEST(CodePage, InvalidInputBecomesReplacementCharacters) {
    // 0xFF is no GBK lead byte; the valid text around it survives.
    EXPECT_EQ(DecodeBytes("a\xFF"
                          "b",
                          CodePage::Gbk),
              u"a\uFFFDb");
    // A lead byte cut off at the end.
    EXPECT_EQ(DecodeBytes("ab\xD6", CodePage::Gbk), u"ab\uFFFD");
    EXPECT_EQ(DecodeBytes("a\xFF"
                          "b\xE4\xB8",
                          CodePage::Utf8),
              u"a\uFFFDb\uFFFD");
}

TEST(CodePage, UnmappableCharactersBecomeQuestionMarks) {
    EXPECT_EQ(EncodeText(u"a한b", CodePage::Gbk), "a?b");
    // A character outside the basic plane counts once, not once per surrogate.
    EXPECT_EQ(EncodeText(u"x\U0001F600y", CodePage::Big5), "x?y");
    EXPECT_EQ(EncodeText(u"x\xD800y", CodePage::Gbk), "x?y");
}

TEST(CodePage, LongTextCrossesConversionChunks) {
    WString text(5000, u'中');
    const std::string bytes = EncodeText(text, CodePage::Gbk);
    EXPECT_EQ(bytes.size(), 10000u);
    EXPECT_EQ(DecodeBytes(bytes, CodePage::Gbk), text);
}

}  // namespace
}  // namespace albumora
