#include "core/sites/SiteRecognition.h"

#include <gtest/gtest.h>

#include <set>

namespace albumora {
namespace {

struct RecognitionRow {
    const char16_t* address;
    int expectedCode;
    QQAlbumKind expectedKind = QQAlbumKind::Zone;
    const char* label = nullptr;
};

void PrintTo(const RecognitionRow& row, std::ostream* os) {
    *os << ToUtf8(row.address);
}

class RecognizeSiteCodeTable : public ::testing::TestWithParam<RecognitionRow> {};

TEST_P(RecognizeSiteCodeTable, ClassifiesByFirstMatchingRow) {
    const RecognitionRow& row = GetParam();
    // Start from a code no row gives, so a no-match would show.
    const auto result = RecognizeSiteCode(row.address, 9);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->siteCode, row.expectedCode) << ToUtf8(row.address);
    if (row.expectedCode == kSiteCodeQQ) {
        EXPECT_EQ(result->albumKind, row.expectedKind) << ToUtf8(row.address);
    }
}

const RecognitionRow kAddresses[] = {
    {u"http://user.qzone.qq.com/12345/photo", 0, QQAlbumKind::Zone, "QqZone"},
    {u"http://qun.qzone.qq.com/group#!/678/photo", 0, QQAlbumKind::Group, "QqGroup"},
    {u"http://t.qq.com/someone/album", 0, QQAlbumKind::TencentWeibo, "TencentWeibo"},
    {u"http://xiangce.baidu.com/u/1", 1, QQAlbumKind::Zone, "BaiduAlbum"},
    {u"http://photo.163.com/user/", 2, QQAlbumKind::Zone, "NetEase163"},
    {u"http://photo.renren.com/photo/1", 3, QQAlbumKind::Zone, "Renren"},
    {u"http://photo.weibo.com/123/albums", 4, QQAlbumKind::Zone, "SinaWeibo"},
    {u"http://www.56.com/p1/album", 5, QQAlbumKind::Zone, "Site56"},
    {u"http://my.poco.cn/album/1", 6, QQAlbumKind::Zone, "Poco"},
    {u"http://www.yupoo.com/photos/x/", 7, QQAlbumKind::Zone, "Yupoo"},
    {u"http://photo.51.com/u/1", 8, QQAlbumKind::Zone, "Site51"},
    {u"http://photo.pchome.net/1", 10, QQAlbumKind::Zone, "PcHome"},
    {u"https://item.taobao.com/item.htm?id=1", 11, QQAlbumKind::Zone, "Taobao"},
    {u"https://detail.tmall.com/item.htm?id=1", 11, QQAlbumKind::Zone, "Tmall"},
    {u"https://detail.1688.com/offer/1.html", 11, QQAlbumKind::Zone, "Alibaba1688"},
    {u"http://www.moko.cc/post/1.html", 12, QQAlbumKind::Zone, "Moko"},
    {u"http://photo.babytree.com/1", 13, QQAlbumKind::Zone, "BabyTree"},
    {u"http://photo.pconline.com.cn/1", 14, QQAlbumKind::Zone, "PcOnline"},
    {u"https://bbs.hupu.com/1.html", 15, QQAlbumKind::Zone, "Hupu"},
    {u"https://item.jd.com/1.html", 16, QQAlbumKind::Zone, "JingDong"},
    {u"http://detail.zol.com.cn/1.html", 16, QQAlbumKind::Zone, "Zol"},
    {u"https://www.instagram.com/someone/", 17, QQAlbumKind::Zone, "Instagram"},
    {u"http://huaban.com/boards/123/", 18, QQAlbumKind::Zone, "Huaban"},
    {u"https://www.duitang.com/people/?id=1", 18, QQAlbumKind::Zone, "Duitang"},
    {u"http://someone.lofter.com/", 19, QQAlbumKind::Zone, "Lofter"},
    {u"http://www.topit.me/album/1", 20, QQAlbumKind::Zone, "TopitMe"},
    {u"http://www.topit.cn/album/1", 20, QQAlbumKind::Zone, "TopitCn"},
    // Tie-breaks: the earliest row wins anywhere in the text, query string included.
    {u"http://huaban.com/boards/1/?from=baidu.com", 1, QQAlbumKind::Zone, "TieHuabanWithBaiduInQuery"},
    {u"http://photo.163.com/share?u=http://user.qzone.qq.com/1", 2, QQAlbumKind::Zone,
     "Tie163WithQzoneInQuery"},
    {u"http://photo.sina.com.cn/?weibo.com/x", 4, QQAlbumKind::Zone, "TieSinaWithWeiboInQuery"},
};

INSTANTIATE_TEST_SUITE_P(Sites, RecognizeSiteCodeTable, ::testing::ValuesIn(kAddresses),
                         [](const ::testing::TestParamInfo<RecognitionRow>& row) {
                             return std::string(row.param.label);
                         });

TEST(RecognizeSiteCode, EveryCodeButNineIsReachable) {
    std::set<int> codes;
    for (const RecognitionRow& row : kAddresses) {
        codes.insert(RecognizeSiteCode(row.address, 0)->siteCode);
    }
    for (int code = 0; code < kSiteCodeCount; ++code) {
        EXPECT_EQ(codes.count(code), code == 9 ? 0u : 1u) << code;
    }
}

TEST(RecognizeSiteCode, NoSchemeChangesNothing) {
    EXPECT_FALSE(RecognizeSiteCode(u"huaban.com/boards/123/", 5).has_value());
    EXPECT_FALSE(RecognizeSiteCode(u"", 5).has_value());
}

TEST(RecognizeSiteCode, UnlistedSiteKeepsTheCurrentCode) {
    EXPECT_EQ(RecognizeSiteCode(u"https://example.org/pictures", 7)->siteCode, 7);
}

TEST(RecognizeSiteCode, QQWithoutSlashMatchesNoRow) {
    // Without a path the QQ test fails, and no later row names qq.com.
    EXPECT_EQ(RecognizeSiteCode(u"http://t.qq.com", 12)->siteCode, 12);
    EXPECT_EQ(RecognizeSiteCode(u"http://qun.qzone.qq.com", 12)->siteCode, 12);
}

TEST(RecognizeSiteCode, QQKindStartsAtZoneWhenTheCodeWasAlreadyZero) {
    // Kind refinement only looks at hosts after the start, so a QQ address with a Weibo host
    // in front of its path still reads as Tencent Weibo.
    EXPECT_EQ(RecognizeSiteCode(u"http://user.qzone.qq.com/1?x=t.qq.com", 0)->albumKind,
              QQAlbumKind::TencentWeibo);
}

TEST(SiteDisplayName, OnePerCode) {
    EXPECT_EQ(SiteDisplayName(18), u"花瓣 / 堆糖");
    EXPECT_TRUE(SiteDisplayName(9).empty());
    EXPECT_TRUE(SiteDisplayName(21).empty());
    EXPECT_TRUE(SiteDisplayName(-1).empty());
}

}  // namespace
}  // namespace albumora
