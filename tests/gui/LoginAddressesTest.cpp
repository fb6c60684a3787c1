#include "gui/login/LoginAddresses.h"

#include <gtest/gtest.h>

namespace albumora::test {
namespace {

struct QqZoneCase {
    const char* label;
    const char16_t* addressText;
    int albumKind;
    const char16_t* expected;
};

class QqZoneStartAddressTest : public ::testing::TestWithParam<QqZoneCase> {};

TEST_P(QqZoneStartAddressTest, AppendsOnlyADigitsOnlyNumberForQqZoneAlbums) {
    const QqZoneCase& row = GetParam();
    EXPECT_EQ(gui::QqZoneStartAddress(QString::fromUtf16(row.addressText), row.albumKind),
              QString::fromUtf16(row.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, QqZoneStartAddressTest,
    ::testing::Values(QqZoneCase{"Number", u"12345", 0, u"https://user.qzone.qq.com/12345"},
                      QqZoneCase{"NumberInBlanks", u" \t12345 ", 0, u"https://user.qzone.qq.com/12345"},
                      QqZoneCase{"LetterInside", u"12a45", 0, u"https://user.qzone.qq.com/"},
                      QqZoneCase{"BlankInside", u"123 45", 0, u"https://user.qzone.qq.com/"},
                      QqZoneCase{"FullWidthDigits", u"１２３４５", 0, u"https://user.qzone.qq.com/"},
                      QqZoneCase{"Address", u"http://user.qzone.qq.com/12345", 0,
                                 u"https://user.qzone.qq.com/"},
                      QqZoneCase{"Empty", u"", 0, u"https://user.qzone.qq.com/"},
                      QqZoneCase{"QqGroupAlbums", u"12345", 1, u"https://user.qzone.qq.com/"},
                      QqZoneCase{"WeiboAlbums", u"12345", 2, u"https://user.qzone.qq.com/"},
                      QqZoneCase{"NoKind", u"12345", -1, u"https://user.qzone.qq.com/"}),
    [](const ::testing::TestParamInfo<QqZoneCase>& row) { return std::string(row.param.label); });

}  // namespace
}  // namespace albumora::test
