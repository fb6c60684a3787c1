#include "core/text/StringCtrl.h"

#include <gtest/gtest.h>

namespace albumora {
namespace {

TEST(ExtractBetween, AdvancesOnlyPastTheBeginMarker) {
    WString source = u"a title\":\"X\" b";
    EXPECT_EQ(ExtractBetween(source, u"title\":\"", u"\"", SCAN_ADVANCE), u"X");
    EXPECT_EQ(source, u"X\" b");

    // The next field is searched after the previous begin marker, so fields must come in order.
    WString record = u"\"id\":7,\"name\":\"n\"";
    EXPECT_EQ(ExtractBetween(record, u"\"name\":\"", u"\"", SCAN_ADVANCE), u"n");
    EXPECT_EQ(ExtractBetween(record, u"\"id\":", u",", SCAN_ADVANCE), u"");
}

TEST(ExtractBetween, MissingEndMarker) {
    WString source = u"key=rest of text";
    EXPECT_EQ(ExtractBetween(source, u"key=", u";", SCAN_ADVANCE), u"");
    EXPECT_EQ(source, u"rest of text");

    WString tail = u"key=rest of text";
    EXPECT_EQ(ExtractBetween(tail, u"key=", u";", SCAN_ADVANCE | SCAN_TAIL_IF_NO_END), u"rest of text");
}

TEST(ExtractBetween, MissingBeginMarkerLeavesSourceUntouched) {
    WString source = u"nothing here";
    EXPECT_EQ(ExtractBetween(source, u"key=", u";", SCAN_ADVANCE | SCAN_TAIL_IF_NO_END), u"");
    EXPECT_EQ(source, u"nothing here");
}

TEST(ExtractBetween, WithoutAdvanceTheSourceStays) {
    WString source = u"<b>x</b>";
    EXPECT_EQ(ExtractBetween(source, u"<b>", u"</b>", 0), u"x");
    EXPECT_EQ(source, u"<b>x</b>");
    // An end marker right after the begin marker is an empty value.
    EXPECT_EQ(ExtractBetween(source, u"<b>", u"x", 0), u"");
}

TEST(SkipPastAndCutBefore, ConsumeOrKeepTheSource) {
    WString s = u"head<MARK>tail";
    EXPECT_EQ(SkipPast(s, u"<MARK>", false), 4);
    EXPECT_EQ(s, u"<MARK>tail");
    EXPECT_EQ(SkipPast(s, u"<MARK>", true), 0);
    EXPECT_EQ(s, u"tail");
    EXPECT_EQ(SkipPast(s, u"<MARK>", true), -1);
    EXPECT_EQ(s, u"tail");

    WString c = u"body<END>more<END>";
    EXPECT_EQ(CutBefore(c, u"<END>"), 4);
    EXPECT_EQ(c, u"body");
    EXPECT_EQ(CutBefore(c, u"<END>"), -1);
    EXPECT_EQ(c, u"body");
}

TEST(Splitting, CountsAndPieces) {
    EXPECT_EQ(CountOccurrences(u"aaaa", u"aa"), 2);
    EXPECT_EQ(CountOccurrences(u"aaa", u"aa"), 1);
    EXPECT_EQ(CountOccurrences(u"", u"aa"), 0);

    std::vector<WString> pieces{u"stale"};
    EXPECT_EQ(SplitBy(pieces, u"no separator", u"|"), 0);
    EXPECT_TRUE(pieces.empty());

    EXPECT_EQ(SplitBy(pieces, u"x|y", u"|"), 1);
    EXPECT_EQ(pieces, (std::vector<WString>{u"x", u"y"}));

    EXPECT_EQ(SplitBy(pieces, u"|", u"|"), 1);
    EXPECT_EQ(pieces, (std::vector<WString>{u"", u""}));

    EXPECT_EQ(SplitBy(pieces, u"pre{\"pin_id\":1{\"pin_id\":2", u"{\"pin_id"), 2);
    EXPECT_EQ(pieces, (std::vector<WString>{u"pre", u"\":1", u"\":2"}));

    // Asked for fewer pieces than there are separators, each piece still ends at a separator.
    SplitCount(u"a,b,c", u",", 1, pieces);
    EXPECT_EQ(pieces, (std::vector<WString>{u"a", u"b"}));
}

TEST(ReplacePairs, PairwiseOrWhole) {
    WString text = u"ab a|b";
    ReplacePairs(text, u"a|b", u"1|2");
    EXPECT_EQ(text, u"12 1|2");

    text = u"ab a|b";
    ReplacePairs(text, u"a|b", u"1");
    EXPECT_EQ(text, u"ab 1");

    // Replacements run in list order and an empty "from" entry replaces nothing.
    text = u"abc";
    ReplacePairs(text, u"a||b", u"b|x|c");
    EXPECT_EQ(text, u"ccc");
}

TEST(DecodeHtmlEntities, FixedOrder) {
    WString text = u"&amp;lt; &amp;quot; &quot;q&quot; &lt;&gt; a&nbsp;b &hellip; &#39; &#40; &copy;";
    DecodeHtmlEntities(text);
    EXPECT_EQ(text, u"< &quot; \"q\" <> a b \u2026 ' &#40; &copy;");
}

TEST(LooksLikeUtf8, Sniffing) {
    auto sniff = [](std::string_view bytes) {
        return LooksLikeUtf8(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    };
    EXPECT_EQ(sniff(""), 0);
    EXPECT_EQ(sniff("abc"), 0);
    EXPECT_EQ(sniff("\xC3\xA9"), 1);
    EXPECT_EQ(sniff("abc\xE4\xB8\xAD"), 1);
    EXPECT_EQ(sniff("abc\xE4"), 0);           // lead byte at the very end
    EXPECT_EQ(sniff("\xE4\xB8"), 0);          // cut short
    EXPECT_EQ(sniff("\x80"), 0);              // continuation without a lead
    EXPECT_EQ(sniff("\xD6\xD0\xCE\xC4"), 0);  // GBK "中文"
    EXPECT_EQ(sniff("\xFE\x80\x80\x80\x80"), 1);
}

}  // namespace
}  // namespace albumora
