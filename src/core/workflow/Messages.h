#pragma once

#include "core/text/WideText.h"

namespace albumora {

// The texts the workers show. A "^" stands for a line break (see ShownText).
inline constexpr WStringView kMsgEmptyAddress = u"请先在地址栏中输入相册地址。";
inline constexpr WStringView kMsgNoScheme = u"地址不完整：请粘贴以 http:// 或 https:// 开头的完整地址。";
inline constexpr WStringView kMsgNotHuabanBoard =
    u"这不是花瓣画板的地址。^请打开要下载的画板，复制浏览器地址栏中形如^http://huaban.com/boards/123456/ "
    u"的地址。";
inline constexpr WStringView kMsgNoDuitangUser =
    u"在这个页面上没有找到堆糖用户。^请复制用户主页或专辑页的地址，例如^https://www.duitang.com/album/"
    u"?id=123456";
inline constexpr WStringView kMsgNoAlbumChosen = u"请先在相册列表中选择要下载的相册。";
inline constexpr WStringView kMsgContinueAfterStop = u"已获取到部分图片信息，是否先下载这些图片？";
inline constexpr WStringView kMsgSetSaveFolder = u"请先设置保存路径";
inline constexpr WStringView kMsgBadSaveFolder = u"请检测设置的保存路径是否有误";
inline constexpr WStringView kMsgBadSiteCode = u"Error ListType Code.";
inline constexpr WStringView kMsgDownloadThreadFailed = u"Create thread:DownPicFunc failed.";
inline constexpr WStringView kMsgListThreadFailed = u"Create thread:GetListFunc failed.";

// Status texts.
inline constexpr WStringView kStatusListing = u"正在获取相册列表，请稍等...";
inline constexpr WStringView kGroupTitle = u"相册列表";
inline constexpr WStringView kStatusDownloadDone = u"下载完毕";
inline constexpr WStringView kStatusPictureDownloadStarted = u"已开始下载图片";
inline constexpr WStringView kStatusCollecting = u"......";

// A stored message as the user sees it: every "^" becomes a line break.
WString ShownText(WStringView message);

}  // namespace albumora

namespace albumora {

// Why an address cannot be listed, before anything is fetched; empty when it can be tried.
WStringView AddressProblem(WStringView trimmedAddress);

}  // namespace albumora
