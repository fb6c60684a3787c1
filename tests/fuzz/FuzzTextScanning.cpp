// Cuts fields out of arbitrary page text the way the site adapters do, and reads it as their JSON.
#include <cstddef>
#include <cstdint>

#include "core/net/UrlCanonical.h"
#include "core/sites/DuitangApi.h"
#include "core/sites/DuitangPages.h"
#include "core/sites/HuabanApi.h"
#include "core/sites/HuabanPages.h"
#include "core/text/CodePage.h"
#include "core/text/StringCtrl.h"

using namespace albumora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    WString text = FromUtf8(bytes);
    LooksLikeUtf8(data, size);

    WString copy = text;
    ExtractBetween(copy, u"\"", u",", SCAN_ADVANCE | SCAN_TAIL_IF_NO_END);
    SkipPast(copy, u"a", true);
    CutBefore(copy, u"}");
    std::vector<WString> pieces;
    SplitBy(pieces, text, u"{\"");
    ReplacePairs(copy, u"a|b|", u"|x|y");
    DecodeHtmlEntities(copy);
    StrToUInt(copy);

    ParseHuabanBoardPage(text);
    ParseHuabanPinsPage(text);
    DuitangUserIdFromPage(text);
    DuitangAlbumIdFromAddress(text);
    ParseDuitangSingleAlbumPage(text);
    ParseDuitangAlbumListPage(text);
    ParseDuitangPicturePage(text);
    // The present interfaces answer JSON: the same bytes as their answers and addresses.
    ParseHuabanApiBoard(bytes);
    ParseHuabanApiPins(bytes);
    ParseHuabanApiUserBoards(bytes);
    ParseDuitangApiAlbumList(bytes);
    ParseDuitangApiAlbumDetail(bytes);
    ParseDuitangApiPictures(bytes);
    HuabanBoardIdOf(text);
    HuabanUserNameOf(text);
    DuitangUserIdOf(text);
    WithoutThumbnailPart(text);
    WithoutSignature(text);
    DecodeBytes(bytes, CodePage::Gbk);
    EncodeText(text, CodePage::Big5);
    return 0;
}
