#include "core/sites/HuabanApi.h"

#include "core/sites/JsonFields.h"
#include "core/sites/SiteHosts.h"

namespace albumora {

namespace {

constexpr WStringView kBoardsPath = u"/boards/";
constexpr WStringView kUserPath = u"/user/";
// The bucket of nearly every picture, for a pin whose file names none.
constexpr WStringView kDefaultBucket = u"gd-hbimg";

// The path segment after `marker` in the address, without query or fragment.
WString SegmentAfter(WStringView address, WStringView marker) {
    const size_t at = address.find(marker);
    if (at == WStringView::npos) {
        return {};
    }
    const WStringView rest = address.substr(at + marker.size());
    return WString(rest.substr(0, rest.find_first_of(u"/?#")));
}

bool AllDigits(WStringView text) {
    return !text.empty() && text.find_first_not_of(u"0123456789") == WStringView::npos;
}

// A signed link when the pin carries one; else the picture's address on its bucket.
WString PictureUrlOf(const json::Value& file) {
    WString url = json::Text(json::Member(file, "url"));
    if (!url.empty()) {
        if (url.starts_with(u"//")) {
            url.insert(0, u"https:");
        }
        return url;
    }
    const WString key = json::Text(json::Member(file, "key"));
    if (key.empty()) {
        return {};
    }
    WString bucket = json::Text(json::Member(file, "bucket"));
    if (bucket.empty()) {
        bucket = kDefaultBucket;
    }
    return u"https://" + bucket + u"." + WString(kHuabanDomain) + u"/" + key;
}

HuabanApiBoard BoardOf(const json::Value& board) {
    HuabanApiBoard result;
    result.boardId = json::Text(json::Member(board, "board_id"));
    result.title = json::Text(json::Member(board, "title"));
    result.pinCount =
        static_cast<std::uint32_t>(std::max<std::int64_t>(0, json::Number(json::Member(board, "pin_count"))));
    const json::Value& user = json::Member(board, "user");
    result.owner = json::Text(json::Member(user, "username"));
    if (result.owner.empty()) {
        result.owner = json::Text(json::Member(user, "urlname"));
    }
    // Where a board names a picture for itself: its cover, else the first of the pins it brings.
    result.coverUrl = PictureUrlOf(json::Member(json::Member(board, "cover"), "file"));
    if (result.coverUrl.empty()) {
        result.coverUrl = PictureUrlOf(json::Member(board, "cover"));
    }
    const json::Value& pins = json::Member(board, "pins");
    if (result.coverUrl.empty() && pins.is_array() && !pins.empty()) {
        result.coverUrl = PictureUrlOf(json::Member(pins.front(), "file"));
    }
    return result;
}

}  // namespace

WString HuabanBoardIdOf(WStringView address) {
    WString id = SegmentAfter(address, kBoardsPath);
    return AllDigits(id) ? id : WString();
}

WString HuabanUserNameOf(WStringView address) {
    const size_t scheme = address.find(u"://");
    if (scheme == WStringView::npos) {
        return {};
    }
    const WStringView rest = address.substr(scheme + 3);
    const size_t path = rest.find(u'/');
    if (path == WStringView::npos || !rest.substr(path).starts_with(kUserPath)) {
        return {};
    }
    WString name = SegmentAfter(rest.substr(path), kUserPath);
    // The name travels in a request path: only what a Huaban address name is made of.
    for (const char16_t c : name) {
        const bool plain = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
                           c == u'_' || c == u'-' || c == u'.';
        if (!plain) {
            return {};
        }
    }
    return name == u"." || name == u".." ? WString() : name;
}

WString HuabanApiBoardAddress(WStringView boardId) {
    return WString(kHuabanApiHost) + u"/v3/boards/" + WString(boardId) + u"?fields=board:BOARD_DETAIL";
}

WString HuabanApiPinsAddress(WStringView boardId, WStringView afterPinId) {
    return WString(kHuabanApiHost) + u"/v3/boards/" + WString(boardId) + u"/pins?limit=" +
           IntToText(kHuabanApiPinsPerPage) + u"&max=" + WString(afterPinId) +
           u"&fields=pins:PIN%7Cboard:BOARD_DETAIL";
}

WString HuabanApiUserBoardsAddress(WStringView userName, WStringView afterBoardId) {
    return WString(kHuabanApiHost) + u"/v3/" + WString(userName) + u"/boards?limit=" +
           IntToText(kHuabanApiBoardsPerPage) + u"&max=" + WString(afterBoardId) + u"&urlname=" +
           WString(userName) + u"&fields=boards:BOARD%7Cuser,total";
}

std::optional<HuabanApiBoard> ParseHuabanApiBoard(std::string_view body) {
    const json::Value answer = json::Parse(body);
    const json::Value& board = json::Member(answer, "board");
    HuabanApiBoard result = BoardOf(board);
    if (result.boardId.empty()) {
        return std::nullopt;
    }
    return result;
}

std::optional<std::vector<HuabanApiPin>> ParseHuabanApiPins(std::string_view body) {
    const json::Value answer = json::Parse(body);
    const json::Value& pins = json::Member(answer, "pins");
    if (!pins.is_array()) {
        return std::nullopt;
    }
    std::vector<HuabanApiPin> result;
    result.reserve(pins.size());
    for (const json::Value& pin : pins) {
        result.push_back({json::Text(json::Member(pin, "pin_id")), PictureUrlOf(json::Member(pin, "file")),
                          json::Text(json::Member(pin, "raw_text"))});
    }
    return result;
}

std::optional<HuabanApiUserBoards> ParseHuabanApiUserBoards(std::string_view body) {
    const json::Value answer = json::Parse(body);
    const json::Value& boards = json::Member(answer, "boards");
    if (!boards.is_array()) {
        return std::nullopt;
    }
    HuabanApiUserBoards result;
    const json::Value& user = json::Member(answer, "user");
    result.userName = json::Text(json::Member(user, "username"));
    if (result.userName.empty()) {
        result.userName = json::Text(json::Member(user, "urlname"));
    }
    for (const json::Value& board : boards) {
        result.boards.push_back(BoardOf(board));
    }
    return result;
}

}  // namespace albumora
