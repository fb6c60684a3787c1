#pragma once

#include <cstdint>
#include <vector>

#include "core/text/WideText.h"

namespace albumora {

// What a Huaban board page says about its board.
struct HuabanBoard {
    WString boardId;
    WString title;
    std::uint32_t pinCount = 0;
    WString owner;
};

// One pin of a page of pins; fields are empty where the page left them out.
struct HuabanPin {
    WString pinId;
    WString key;
    WString description;
};

struct HuabanPinsPage {
    WString pictureHost;         // empty when the page names none
    bool hasPinsMarker = false;  // the page is a page of pins at all
    bool hasPinSeparator = false;
    std::vector<HuabanPin> pins;  // in page order, repeats and empty identifiers included
};

// True when the page carries the data block of a board; the present site's application shell does
// not.
bool HasHuabanBoardData(WStringView pageText);

// The board's fields, cut in page order after the page's data block marker.
HuabanBoard ParseHuabanBoardPage(WString pageText);

// The address under which the board is kept as the album's identifier.
WString HuabanBoardAddress(WStringView boardId);

// True when the address holds the plain-http board prefix the adapter accepts.
bool IsHuabanBoardAddress(WStringView address);

// The address of one further page of pins: the page counter and the last pin seen page onwards.
WString HuabanPinsPageAddress(WStringView boardAddress, int pageCounter, WStringView lastPinId);

// Cuts the picture host and the pins out of one page. `text` is consumed as the site's markers
// come in: the host first, then everything after the pins marker.
HuabanPinsPage ParseHuabanPinsPage(WString text);

// The picture address of a pin.
WString HuabanPictureAddress(WStringView pictureHost, WStringView key);

}  // namespace albumora
