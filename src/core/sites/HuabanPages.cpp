#include "core/sites/HuabanPages.h"

#include "core/sites/SiteHosts.h"
#include "core/text/StringCtrl.h"

namespace albumora {

namespace {

// The board page embeds its data after this script assignment.
constexpr WStringView kBoardDataMarker = u"app.page[\"";
constexpr WStringView kBoardIdMarker = u"board_id\":";
constexpr WStringView kTitleMarker = u"title\":\"";
constexpr WStringView kPinCountMarker = u"pin_count\":";
constexpr WStringView kOwnerMarker = u"username\":\"";

constexpr WStringView kPictureHostMarker = u"hbimg\":\"";
constexpr WStringView kPinsMarker = u"\"pins\"";
constexpr WStringView kPinSeparator = u"{\"pin_id";
constexpr WStringView kPinIdMarker = u":";
constexpr WStringView kKeyMarker = u"key\":\"";
constexpr WStringView kDescriptionMarker = u"raw_text\":\"";

}  // namespace

bool HasHuabanBoardData(WStringView pageText) {
    return pageText.find(kBoardDataMarker) != WStringView::npos;
}

HuabanBoard ParseHuabanBoardPage(WString pageText) {
    SkipPast(pageText, kBoardDataMarker, true);
    HuabanBoard board;
    board.boardId = ExtractBetween(pageText, kBoardIdMarker, u",", SCAN_ADVANCE);
    board.title = ExtractBetween(pageText, kTitleMarker, u"\"", SCAN_ADVANCE);
    board.pinCount = StrToUInt(ExtractBetween(pageText, kPinCountMarker, u",", SCAN_ADVANCE));
    board.owner = ExtractBetween(pageText, kOwnerMarker, u"\"", SCAN_ADVANCE);
    return board;
}

WString HuabanBoardAddress(WStringView boardId) {
    return WString(kHuabanBoardPrefix) + WString(boardId) + u"/";
}

bool IsHuabanBoardAddress(WStringView address) {
    return address.find(kHuabanBoardPrefix) != WStringView::npos;
}

WString HuabanPinsPageAddress(WStringView boardAddress, int pageCounter, WStringView lastPinId) {
    return WString(boardAddress) + u"?hxzmqq" + IntToText(pageCounter) + u"s&max=" + WString(lastPinId) +
           u"&limit=20&wfl=1";
}

HuabanPinsPage ParseHuabanPinsPage(WString text) {
    HuabanPinsPage page;
    page.pictureHost = ExtractBetween(text, kPictureHostMarker, u"\"", SCAN_ADVANCE);
    page.hasPinsMarker = text.find(kPinsMarker) != WString::npos;
    SkipPast(text, kPinsMarker, true);
    std::vector<WString> pieces;
    page.hasPinSeparator = SplitBy(pieces, text, kPinSeparator) > 0;
    for (size_t i = 1; i < pieces.size(); ++i) {
        WString& piece = pieces[i];
        HuabanPin pin;
        pin.pinId = ExtractBetween(piece, kPinIdMarker, u",", SCAN_ADVANCE);
        pin.key = ExtractBetween(piece, kKeyMarker, u"\"", SCAN_ADVANCE);
        pin.description = ExtractBetween(piece, kDescriptionMarker, u"\"", SCAN_ADVANCE);
        page.pins.push_back(std::move(pin));
    }
    return page;
}

WString HuabanPictureAddress(WStringView pictureHost, WStringView key) {
    const WStringView host = pictureHost.empty() ? kHuabanPictureHost : pictureHost;
    return u"http://" + WString(host) + u"/" + WString(key);
}

}  // namespace albumora
