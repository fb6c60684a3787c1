#include <gtest/gtest.h>

#include "NetFixture.h"
#include "core/net/URLSource2.h"
#include "core/text/CodePage.h"
#include "support/Compression.h"

namespace albumora::test {
namespace {

const std::string kGbkChinese = "\xD6\xD0\xCE\xC4";  // 中文
const std::string kUtf8Chinese = "\xE4\xB8\xAD\xE6\x96\x87";

// Text that compresses, but not to nothing: a truncated stream of it still inflates in part.
std::string CountingText(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += std::to_string(i) + ",";
    }
    return text;
}

TEST(GzipInflate, InflatesGzipAndZlibStreams) {
    const std::string text = "<html>" + std::string(20000, 'a') + "</html>";
    for (const std::string& packed : {GzipCompress(text), ZlibCompress(text)}) {
        std::string out;
        EXPECT_TRUE(GzipInflate(packed.data(), packed.size(), out));
        EXPECT_EQ(out, text);
    }
}

TEST(GzipInflate, TruncatedStreamKeepsWhatInflated) {
    const std::string text = CountingText(5000);
    const std::string packed = GzipCompress(text);
    std::string out;
    EXPECT_FALSE(GzipInflate(packed.data(), packed.size() / 2, out));
    EXPECT_FALSE(out.empty());
    EXPECT_EQ(text.compare(0, out.size(), out), 0);
}

TEST(GzipInflate, GarbageFails) {
    const std::string junk = "plainly not compressed";
    std::string out;
    EXPECT_FALSE(GzipInflate(junk.data(), junk.size(), out));
    EXPECT_TRUE(out.empty());
}

TEST(GzipInflate, BombStopsAtTheMemoryCap) {
    const std::string packed = GzipCompress(std::string(kMaxBodyBytesInMemory + 1024 * 1024, '\0'));
    std::string out;
    EXPECT_FALSE(GzipInflate(packed.data(), packed.size(), out));
    EXPECT_EQ(out.size(), kMaxBodyBytesInMemory);
}

// ---- GetText on real responses -------------------------------------------------------------

struct DecodeRow {
    const char* name;
    Response response;
    std::uint32_t textOptions;
    WString expected;
    std::string cutStart = {};
    std::string cutEnd = {};
};

void PrintTo(const DecodeRow& row, std::ostream* os) {
    *os << row.name;
}

class GetTextOfResponse : public NetTest, public ::testing::WithParamInterface<DecodeRow> {};

TEST_P(GetTextOfResponse, DecodesAsTheHeaderAndOptionsSay) {
    const DecodeRow& row = GetParam();
    server().Route("/page", row.response);
    ST_URLREQUEST request = Request("/page");
    request.extraHeaders = u"Accept-Encoding: gzip, deflate";
    request.cutStart = row.cutStart;
    request.cutEnd = row.cutEnd;
    CURLSource response;
    ASSERT_TRUE(FetchUrl(request, response, 0));
    EXPECT_EQ(GetText(response, row.textOptions), row.expected);
}

WString EndAt0(WString text) {
    return text.substr(0, text.find(u'\0'));
}

using GetTextOfResponseTruncated = NetTest;

const DecodeRow kDecodeRows[] = {
    {"gzip_gbk", Response{.body = "a" + kGbkChinese, .charset = "GBK", .encoding = BodyEncoding::Gzip}, 0x03,
     u"a中文"},
    {"plain_gbk", Response{.body = kGbkChinese, .charset = "GBK"}, 0x03, u"中文"},
    {"gb2312_is_read_as_utf8", Response{.body = kUtf8Chinese, .charset = "gb2312"}, 0x03, u"中文"},
    {"lower_case_gbk_is_read_as_utf8", Response{.body = kUtf8Chinese, .charset = "gbk"}, 0x03, u"中文"},
    {"utf8", Response{.body = kUtf8Chinese, .charset = "utf-8"}, 0x03, u"中文"},
    {"gbk_without_option_bits", Response{.body = kGbkChinese}, 0x00, u"中文"},
    {"big5_bit", Response{.body = "\xA4\xA4\xA4\xE5"}, TEXT_BIG5, u"中文"},
    {"euckr_bit", Response{.body = "\xC7\xD1\xB1\xDB"}, TEXT_EUCKR, u"한글"},
    {"auto_utf8", Response{.body = kUtf8Chinese}, TEXT_AUTO_UTF8, u"中文"},
    {"auto_falls_back_to_gbk", Response{.body = kGbkChinese}, TEXT_AUTO_UTF8, u"中文"},
    {"zero_byte_ends_utf8", Response{.body = std::string("before\0after", 12), .charset = "utf-8"}, 0x03,
     u"before"},
    {"zero_byte_ends_gbk", Response{.body = std::string("\xD6\xD0\0after", 8), .charset = "GBK"}, 0x03,
     u"中"},
    {"keep_nul_in_gbk", Response{.body = std::string("\xD6\xD0\0after", 8), .charset = "GBK"},
     0x03 | TEXT_KEEP_NUL, u"中after"},
    {"entities", Response{.body = "a &amp;lt; b &amp; c"}, 0x03, u"a < b & c"},
    {"zlib_with_gzip_in_a_cookie",
     Response{.body = "deflated page", .encoding = BodyEncoding::Zlib, .setCookies = {"pref=gzip; Path=/"}},
     0x03, u"deflated page"},
    {"gzip_word_in_any_header",
     Response{.body = "odd server", .encoding = BodyEncoding::Zlib, .headers = {{"X-Note", "we gzip"}}}, 0x03,
     u"odd server"},
    {"zlib_without_gzip_word_stays_compressed", Response{.body = "page", .encoding = BodyEncoding::Zlib},
     0x03, EndAt0(DecodeBytes(ZlibCompress("page"), CodePage::Utf8))},
    {"markers_after_inflating", Response{.body = "x<b>y<b>wanted<e>rest", .encoding = BodyEncoding::Gzip},
     0x03, u"wanted", "<b>", "<e>"},
    {"markers_while_reading", Response{.body = "x<b>y<b>wanted<e>rest"}, 0x03, u"wanted", "<b>", "<e>"},
};

INSTANTIATE_TEST_SUITE_P(Rows, GetTextOfResponse, ::testing::ValuesIn(kDecodeRows),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(GetTextOfResponseTruncated, GivesTheTextThatInflated) {
    const std::string page = CountingText(5000);
    server().Route("/cut", Response{.body = page, .encoding = BodyEncoding::Gzip, .truncateEncoded = true});
    CURLSource response;
    ASSERT_TRUE(FetchUrl(Request("/cut"), response, 0));
    const WString text = GetText(response, 0x03);
    EXPECT_FALSE(text.empty());
    EXPECT_LT(text.size(), page.size());
    EXPECT_EQ(FromUtf8(page).compare(0, text.size(), text), 0);
}

}  // namespace
}  // namespace albumora::test
