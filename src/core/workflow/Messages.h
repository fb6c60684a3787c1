#pragma once

#include <cstddef>
#include <cstdint>

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
inline constexpr WStringView kMsgUnsupportedAddress =
    u"无法识别这个地址：它不是花瓣画板或用户，也不是堆糖用户或专辑。^可以下载的地址形如^"
    u"花瓣画板  https://huaban.com/boards/123456/^花瓣用户  https://huaban.com/user/名字/^堆糖用户  "
    u"https://www.duitang.com/people/?user_id=123456^"
    u"堆糖专辑  https://www.duitang.com/album/?id=123456^（http 或 https，带不带 www. 都可以）";
inline constexpr WStringView kMsgNoAlbumChosen = u"请先在相册列表中选择要下载的相册。";
inline constexpr WStringView kMsgContinueAfterStop = u"已获取到部分图片信息，是否先下载这些图片？";
inline constexpr WStringView kMsgSetSaveFolder = u"请先设置保存路径";
inline constexpr WStringView kMsgBadSaveFolder = u"请检测设置的保存路径是否有误";
inline constexpr WStringView kMsgOutOfMemory = u"内存分配失败";
// Followed by the folder that could not be made.
inline constexpr WStringView kMsgCannotMakeFolder = u"无法创建文件夹：";
inline constexpr WStringView kMsgBadSiteCode = u"Error ListType Code.";
inline constexpr WStringView kMsgDownloadThreadFailed = u"Create thread:DownPicFunc failed.";
inline constexpr WStringView kMsgListThreadFailed = u"Create thread:GetListFunc failed.";

// Why a Huaban board's pins ended short of its count (the counts themselves come before it).
inline constexpr WStringView kHuabanPinsEndedEarly =
    u"花瓣只给出了这些采集；未登录时只能看到画板的前一部分，请在“登录”菜单中登录花瓣后再下载一次，"
    u"可能会看到其余的";

// The site no longer answers the old pages, and the address names nothing its present interface reads.
inline constexpr WStringView kSiteMovedElsewhere =
    u"网站已改版：旧的页面不再提供数据，而这个地址无法用网站现在的接口读取";

// Status texts.
inline constexpr WStringView kStatusListing = u"正在获取相册列表，请稍等...";
inline constexpr WStringView kGroupTitle = u"相册列表";
inline constexpr WStringView kStatusDownloadDone = u"下载完毕";
inline constexpr WStringView kStatusDownloadIncomplete = u"下载未完成";
inline constexpr WStringView kStatusDownloadStopped = u"下载已终止";
inline constexpr WStringView kStatusPictureDownloadStarted = u"已开始下载图片";
inline constexpr WStringView kStatusCollecting = u"......";

struct CURLSource;

// Why a page could not be read, for the user: "服务器回答 HTTP 503", "等待超时", ...
WString FetchFailureText(const CURLSource& response);

// A page of a listing or an album that failed: "第2页图片列表读取失败：服务器回答 HTTP 503".
WString PageFailedText(WStringView page, const CURLSource& response);
// A page the site says is not there (404, 410): the board or album was removed, or never was.
WString MissingPageText(WStringView page, const CURLSource& response);
// A page that answered without the data the adapter needs to go on.
WString PageWithoutDataText(WStringView page);
// A page that repeated what came before: paging would never end.
WString PageNothingNewText(WStringView page);
// The names of the pages, numbered from 1.
WString NumberedPage(int page, WStringView what);
inline constexpr WStringView kPageAlbumList = u"页专辑列表";
inline constexpr WStringView kPagePictures = u"页图片列表";
inline constexpr WStringView kPageBoardList = u"页画板列表";
inline constexpr WStringView kPageHuabanBoard = u"画板页面";
inline constexpr WStringView kPageDuitang = u"堆糖页面";

// The last status line of a list fetch.
WString ListDoneText(long long albums);
WString ListIncompleteText(long long albums, WStringView problem);
WString ListStoppedText(long long albums);
WString ListFailedText(WStringView problem);

// The title of the album list once it is fetched: "相册列表(共5个)".
WString AlbumListTitle(long long albums);
// Progress of a download run: the album at work (from 1), the pictures collected and fetched.
WString DownloadingAlbumText(std::size_t album, std::size_t albums);
WString CollectedPicturesText(std::size_t pictures);
WString DownloadedPicturesText(std::uint32_t done, std::uint32_t total);
// A Huaban page answered by the site's busy gateway.
WString GatewayBusyText(WStringView page);
// A worker ended by an error that nothing expected.
WString InternalErrorText(WStringView worker, WStringView failure);

struct DownloadRunResult;
// The last status line of a download run: done only when everything chosen was saved, then what
// failed, what was incomplete, what the user's filters kept out and what was there already.
WString RunSummaryText(const DownloadRunResult& result);
// Counts of a run as its summary words them, for a front end that shows them one by one.
WString PicturesNotFinishedText(std::uint32_t pictures);
WString SideFilesFailedText(std::uint32_t files);
WString PicturesFilteredText(std::uint32_t pictures);

// An album whose pictures could not all be listed: what it is, how far it got, and why.
WString AlbumIncompleteText(WStringView albumName, std::size_t collected, std::int32_t statedCount,
                            WStringView problem);

// A stored message as the user sees it: every "^" becomes a line break.
WString ShownText(WStringView message);

}  // namespace albumora

namespace albumora {

// Why an address cannot be listed, before anything is fetched; empty when it can be tried.
WStringView AddressProblem(WStringView trimmedAddress);

}  // namespace albumora
