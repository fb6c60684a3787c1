#include "core/text/WideText.h"

#include <gtest/gtest.h>

namespace albumora {
namespace {

TEST(Utf8, RoundTripAndRepair) {
    EXPECT_EQ(FromUtf8("a\xE4\xB8\xAD\xF0\x9F\x98\x80"), u"a中\U0001F600");
    EXPECT_EQ(ToUtf8(u"a中\U0001F600"), "a\xE4\xB8\xAD\xF0\x9F\x98\x80");
    EXPECT_EQ(FromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD");  // overlong form is refused
    EXPECT_EQ(FromUtf8("\xED\xA0\x80z"), u"\uFFFDz");  // encoded surrogate
    EXPECT_EQ(FromUtf8("\xE4\xB8z"), u"\uFFFDz");      // cut short, next byte kept
    EXPECT_EQ(ToUtf8(u"\xDC00"), "\xEF\xBF\xBD");      // lone surrogate
}

TEST(StrToUInt, StopsAtFirstNonDigit) {
    EXPECT_EQ(StrToUInt(u""), 0u);
    EXPECT_EQ(StrToUInt(u"abc"), 0u);
    EXPECT_EQ(StrToUInt(u"123,\"next\""), 123u);
    EXPECT_EQ(StrToUInt(u"  +42"), 42u);
    EXPECT_EQ(StrToUInt(u"-5"), 0u);
    EXPECT_EQ(StrToUInt(u"99999999999999999999"), 4294967295u);
}

TEST(FormatNumber, NumericFormats) {
    EXPECT_EQ(FormatNumber("%04d", 7), u"0007");
    EXPECT_EQ(FormatNumber("%4u", 7u), u"   7");
    EXPECT_EQ(IntToText(-12), u"-12");
}

TEST(ReplaceAll, OnePassLeftToRight) {
    WString text = u"aaa";
    EXPECT_EQ(ReplaceAll(text, u"a", u"aa"), 3);
    EXPECT_EQ(text, u"aaaaaa");
    EXPECT_EQ(ReplaceAll(text, u"", u"x"), 0);
    EXPECT_EQ(text, u"aaaaaa");
}

}  // namespace
}  // namespace albumora
