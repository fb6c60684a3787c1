#include "core/sites/DuitangPages.h"

#include "core/sites/SiteHosts.h"
#include "core/text/StringCtrl.h"

namespace albumora {

namespace {

constexpr WStringView kHeaderMarker = u"dt-header-btm";
constexpr WStringView kUserIdMarker = u"user_id=";

constexpr WStringView kAlbumTitleMarker = u"album-title\">";
constexpr WStringView kAlbumCountMarker = u"count\">";

constexpr WStringView kAlbumSeparator = u"\"like_count\"";
constexpr WStringView kAlbumPictureCountMarker = u"count\":";
constexpr WStringView kAlbumCoverMarker = u"pics\":[\"";
constexpr WStringView kAlbumIdMarker = u"\"id\":";
constexpr WStringView kAlbumNameMarker = u"name\":\"";

constexpr WStringView kLastPageMarker = u"has_next\":false";
constexpr WStringView kPagingTailMarker = u"has_next\":";
constexpr WStringView kPictureSeparator = u"\"photo_id";
constexpr WStringView kPictureAddressMarker = u"isrc\":\"";
constexpr WStringView kPictureMessageMarker = u"msg\":\"";

WString HostAddress(WStringView pathAndQuery) {
    return u"http://" + WString(kDuitangHost) + WString(pathAndQuery);
}

}  // namespace

bool IsDuitangAddress(WStringView address) {
    const size_t p = address.find(kDuitangDomain);
    return p != WStringView::npos && p > 0;
}

bool IsDuitangAlbumAddress(WStringView address) {
    const size_t p = address.find(u"/album/");
    return p != WStringView::npos && p > 0;
}

WString DuitangAlbumIdFromAddress(WStringView address) {
    WString id(address);
    ReplaceAll(id, u"/album/?id=", u"/album/");
    SkipPast(id, u"album/", true);
    CutBefore(id, u"?");
    CutBefore(id, u"#");
    CutBefore(id, u"/");
    // "?id=N&from=..." leaves the other parameters behind the number.
    CutBefore(id, u"&");
    return id;
}

WString DuitangUserIdFromPage(WString pageText) {
    SkipPast(pageText, kHeaderMarker, true);
    WString userId = ExtractBetween(pageText, kUserIdMarker, u"\"", SCAN_ADVANCE);
    SkipPast(userId, kUserIdMarker, true);
    CutBefore(userId, u"?");
    CutBefore(userId, u"#");
    return userId;
}

DuitangSingleAlbum ParseDuitangSingleAlbumPage(WString pageText) {
    DuitangSingleAlbum album;
    album.name = ExtractBetween(pageText, kAlbumTitleMarker, u"</", SCAN_ADVANCE);
    album.pictureCount = StrToUInt(ExtractBetween(pageText, kAlbumCountMarker, u"个", SCAN_ADVANCE));
    return album;
}

DuitangAlbumListPage ParseDuitangAlbumListPage(WStringView text) {
    DuitangAlbumListPage page;
    std::vector<WString> pieces;
    page.more = SplitBy(pieces, text, kAlbumSeparator) > 0;
    for (size_t i = 1; i < pieces.size(); ++i) {
        WString& piece = pieces[i];
        DuitangAlbumEntry entry;
        entry.pictureCount = StrToUInt(ExtractBetween(piece, kAlbumPictureCountMarker, u",", SCAN_ADVANCE));
        entry.coverUrl = ExtractBetween(piece, kAlbumCoverMarker, u"\"", SCAN_ADVANCE);
        entry.albumId = ExtractBetween(piece, kAlbumIdMarker, u",", SCAN_ADVANCE);
        entry.name = ExtractBetween(piece, kAlbumNameMarker, u"\"", SCAN_ADVANCE);
        if (!entry.name.empty()) {
            page.albums.push_back(std::move(entry));
        }
    }
    return page;
}

DuitangPicturePage ParseDuitangPicturePage(WString text) {
    DuitangPicturePage page;
    const size_t last = text.find(kLastPageMarker);
    if (last != WString::npos && last > 0) {
        page.more = false;
    }
    CutBefore(text, kPagingTailMarker);
    std::vector<WString> pieces;
    if (SplitBy(pieces, text, kPictureSeparator) == 0) {
        page.more = false;
    }
    for (size_t i = 1; i < pieces.size(); ++i) {
        WString& piece = pieces[i];
        WString url = ExtractBetween(piece, kPictureAddressMarker, u"\"", SCAN_ADVANCE);
        // The pages list thumbnails; dropping the size part gives the full picture.
        ReplaceAll(url, u".thumb.224_0.", u".");
        ReplaceAll(url, u".thumb.700_0.", u".");
        if (url.size() < 8) {
            continue;
        }
        WString description = ExtractBetween(piece, kPictureMessageMarker, u"\"", SCAN_ADVANCE);
        page.pictures.push_back({std::move(url), std::move(description)});
    }
    return page;
}

WString DuitangUserPageAddress(WStringView userId) {
    return HostAddress(u"/people/?user_id=" + WString(userId));
}

WString DuitangAlbumPageAddress(WStringView albumId) {
    return HostAddress(u"/album/" + WString(albumId) + u"/");
}

WString DuitangCacheBuster(std::int64_t secondsSinceEpoch) {
    return FormatNumber("%lld%04lld", static_cast<long long>(secondsSinceEpoch),
                        static_cast<long long>(secondsSinceEpoch % 10000));
}

WString DuitangAlbumListAddress(int page, WStringView userId, std::int64_t secondsSinceEpoch) {
    return HostAddress(u"/album/list/" + IntToText(page) + u"/24/?user_id=" + WString(userId) + u"&_=" +
                       DuitangCacheBuster(secondsSinceEpoch));
}

WString DuitangPicturePageAddress(WStringView albumId, int page, std::int64_t secondsSinceEpoch) {
    return HostAddress(u"/album/" + WString(albumId) + u"/masn/p/" + IntToText(page) + u"/24/?_=" +
                       DuitangCacheBuster(secondsSinceEpoch));
}

}  // namespace albumora
