#include "core/net/UrlCanonical.h"

#include <gtest/gtest.h>

namespace albumora {
namespace {

struct CanonicalRow {
    const char16_t* input;
    const char* expected;  // nullptr: refused
    int port = 0;
    const char* label = nullptr;
};

void PrintTo(const CanonicalRow& row, std::ostream* os) {
    *os << ToUtf8(row.input);
}

class CanonicalizeUrlTable : public ::testing::TestWithParam<CanonicalRow> {};

TEST_P(CanonicalizeUrlTable, MatchesABrowser) {
    const CanonicalRow& row = GetParam();
    const auto result = CanonicalizeUrl(row.input);
    if (row.expected == nullptr) {
        EXPECT_FALSE(result.has_value()) << result->text;
        return;
    }
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->text, row.expected);
    if (row.port != 0) {
        EXPECT_EQ(result->port, row.port);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, CanonicalizeUrlTable,
    ::testing::Values(
        CanonicalRow{u"http://huaban.com/boards/123/", "http://huaban.com/boards/123/", 80, "PlainHttp"},
        CanonicalRow{u"HTTPS://Img.HB.aicdn.com", "https://img.hb.aicdn.com/", 443, "UpperCaseSchemeAndHost"},
        CanonicalRow{u"http://a.com:8080/x", "http://a.com:8080/x", 8080, "ExplicitPort"},
        CanonicalRow{u"http://a.com/a/./b/../c", "http://a.com/a/c", 0, "DotSegments"},
        CanonicalRow{u"http://a.com/a/b/..", "http://a.com/a/", 0, "TrailingDotDot"},
        CanonicalRow{u"http://a.com/../../x", "http://a.com/x", 0, "DotDotAboveRoot"},
        CanonicalRow{u"http://a.com/a/%2E%2e/b/%2e", "http://a.com/b/", 0, "EncodedDotSegments"},
        CanonicalRow{u"http://a.com\\a\\b", "http://a.com/a/b", 0, "Backslashes"},
        CanonicalRow{u"http://a.com/图 片/\"x\"<y>", "http://a.com/%E5%9B%BE%20%E7%89%87/%22x%22%3Cy%3E", 0,
                     "NonAsciiAndUnsafePath"},
        CanonicalRow{u"http://a.com/p%20q/../r?a=../b&c=%2F", "http://a.com/r?a=../b&c=%2F", 0,
                     "QueryKeptVerbatim"},
        CanonicalRow{u"http://a.com/x?q=中 文", "http://a.com/x?q=%E4%B8%AD%20%E6%96%87", 0, "NonAsciiQuery"},
        CanonicalRow{u"http://a.com/x/../y#part/../z", "http://a.com/y", 0, "FragmentDropped"},
        CanonicalRow{u"  http://a.com/x \r\n", "http://a.com/x", 0, "SurroundingWhitespace"},
        CanonicalRow{u"http://user:pw@a.com/", "http://user:pw@a.com/", 0, "UserInfo"},
        CanonicalRow{u"http://[::1]:8080/x", "http://[::1]:8080/x", 8080, "Ipv6Host"},
        CanonicalRow{u"ftp://a.com/x", nullptr, 0, "OtherSchemeRefused"},
        CanonicalRow{u"a.com/x", nullptr, 0, "NoSchemeRefused"},
        CanonicalRow{u"http:///x", nullptr, 0, "EmptyHostRefused"},
        CanonicalRow{u"http://a b.com/", nullptr, 0, "BlankInHostRefused"},
        CanonicalRow{u"http://a.com:70000/", nullptr, 0, "PortTooLargeRefused"},
        CanonicalRow{u"http://a.com:8x/", nullptr, 0, "NonNumericPortRefused"},
        CanonicalRow{u"http://[::1/", nullptr, 0, "UnclosedIpv6BracketRefused"}),
    [](const ::testing::TestParamInfo<CanonicalRow>& row) { return std::string(row.param.label); });

}  // namespace
}  // namespace albumora
