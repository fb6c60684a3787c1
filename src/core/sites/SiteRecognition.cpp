#include "core/sites/SiteRecognition.h"

#include <array>

#include "core/sites/SiteHosts.h"

namespace albumora {

namespace {

bool ContainsAfterStart(WStringView address, WStringView needle) {
    const size_t p = address.find(needle);
    return p != WStringView::npos && p > 0;
}

struct RecognitionRow {
    WStringView needle;
    int code;
};

// Order decides ties: an address is classified by the earliest row that matches.
constexpr std::array<RecognitionRow, 24> kRows = {{
    {u"baidu.com", 1},   {u"163.com", 2},      {u"renren.com", 3},    {u"sina.com", 4},
    {u"weibo.com/", 4},  {u"56.com", 5},       {u"poco.cn", 6},       {u"yupoo.com", 7},
    {u"51.com", 8},      {u"pchome.net", 10},  {u"taobao.com", 11},   {u"tmall.com/", 11},
    {u"1688.com", 11},   {u"moko.cc", 12},     {u"babytree.com", 13}, {u"pconline.com.cn", 14},
    {u"hupu.com", 15},   {u"jd.com", 16},      {u"zol.com.cn", 16},   {u"instagram.com", 17},
    {kHuabanDomain, 18}, {kDuitangDomain, 18}, {u"lofter.com", 19},   {u".topit.", 20},
}};

constexpr WStringView kQQDomainSlash = u"qq.com/";
constexpr WStringView kNetEaseDomainSlash = u"163.com/";
constexpr WStringView kTencentWeiboHost = u"t.qq.com";
constexpr WStringView kQQGroupHost = u"qun.qzone.qq.com";

}  // namespace

std::optional<SiteRecognition> RecognizeSiteCode(WStringView address, int currentCode) {
    if (address.find(u"http://") == WStringView::npos && address.find(u"https://") == WStringView::npos) {
        return std::nullopt;
    }
    SiteRecognition result{currentCode, QQAlbumKind::Zone};
    // QQ yields to NetEase, whose addresses often carry a QQ address in their text.
    if (ContainsAfterStart(address, kQQDomainSlash) &&
        address.find(kNetEaseDomainSlash) == WStringView::npos) {
        result.siteCode = kSiteCodeQQ;
    } else {
        for (const RecognitionRow& row : kRows) {
            if (ContainsAfterStart(address, row.needle)) {
                result.siteCode = row.code;
                break;
            }
        }
    }
    if (result.siteCode == kSiteCodeQQ) {
        if (ContainsAfterStart(address, kTencentWeiboHost)) {
            result.albumKind = QQAlbumKind::TencentWeibo;
        } else if (ContainsAfterStart(address, kQQGroupHost)) {
            result.albumKind = QQAlbumKind::Group;
        }
    }
    return result;
}

WString SiteDisplayName(int siteCode) {
    static constexpr std::array<WStringView, kSiteCodeCount> kNames = {
        u"QQ 空间 / QQ 群 / 腾讯微博",
        u"百度相册",
        u"网易相册",
        u"人人网",
        u"新浪微博",
        u"56 相册",
        u"POCO 摄影",
        u"又拍 Yupoo",
        u"51 相册",
        u"",
        u"PChome",
        u"淘宝 / 天猫 / 1688",
        u"美空 Moko",
        u"宝宝树",
        u"太平洋电脑网",
        u"虎扑",
        u"京东 / 中关村在线",
        u"Instagram",
        u"花瓣 / 堆糖",
        u"LOFTER",
        u"Topit",
    };
    if (siteCode < 0 || siteCode >= kSiteCodeCount) {
        return {};
    }
    return WString(kNames[static_cast<size_t>(siteCode)]);
}

}  // namespace albumora
