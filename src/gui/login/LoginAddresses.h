#pragma once

#include <QString>

namespace albumora::gui {

// Where each entry of the login menu opens the login window: the sites' public login or home pages.
inline constexpr const char* kQqZoneUserPage = "https://user.qzone.qq.com/";
inline constexpr const char* kTencentWeiboHomePage = "https://t.qq.com/";
inline constexpr const char* kBaiduLoginPage = "https://passport.baidu.com/v2/?login";
inline constexpr const char* kNetEaseLoginPage = "https://reg.163.com/";
inline constexpr const char* kRenrenHomePage = "http://www.renren.com/";
inline constexpr const char* kYupooLoginPage = "https://x.yupoo.com/login";
inline constexpr const char* kMokoLoginPage =
    "http://www.moko.cc/login.action?returnUrl=http%3A%2F%2Fwww.moko.cc%2F";
inline constexpr const char* kSinaWeiboLoginPage = "https://weibo.com/login.php";
inline constexpr const char* kTaobaoLoginPage = "https://login.taobao.com/member/login.jhtml";
inline constexpr const char* k56LoginPage = "http://user.56.com/login/";
inline constexpr const char* kHupuLoginPage = "https://passport.hupu.com/pc/login";
// Huaban shows a visitor only the first pins of a board; logged in, all of them.
inline constexpr const char* kHuabanLoginPage = "https://huaban.com/";
inline constexpr const char* kDuitangLoginPage = "https://www.duitang.com/";
// The custom login's start page, from which the user goes to any site's own address.
inline constexpr const char* kCustomLoginStartPage = "https://www.baidu.com/";

// The QQ Zone start address for the main window's address box text and the position of its album
// kind selector: the user's own page when the box holds a QQ number (digits only, blanks around
// it ignored) and the selector shows QQ Zone albums (position 0); otherwise the bare user page.
QString QqZoneStartAddress(const QString& addressText, int albumKindPosition);

}  // namespace albumora::gui
