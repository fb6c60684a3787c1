#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "core/text/WideText.h"

// Huaban's present interface: JSON under https://huaban.com/v3/. Every parser returns nothing
// for an answer that is not the expected JSON (a block page, an {"err": ...} body), so that such
// an answer is a failed page and never an empty board.
namespace albumora {

inline constexpr WStringView kHuabanApiHost = u"https://huaban.com";
// The most pins one request may ask for.
inline constexpr int kHuabanApiPinsPerPage = 100;
inline constexpr int kHuabanApiBoardsPerPage = 30;

struct HuabanApiBoard {
    WString boardId;
    WString title;
    std::uint32_t pinCount = 0;
    WString owner;     // the user's shown name, or the name in their address when it has none
    WString coverUrl;  // empty when the answer names no picture for the board
};

struct HuabanApiPin {
    WString pinId;
    WString pictureUrl;  // empty when the pin carries no picture
    WString description;
};

struct HuabanApiUserBoards {
    WString userName;
    std::vector<HuabanApiBoard> boards;
};

// The board number of a board address ("…/boards/123/…"), or empty.
WString HuabanBoardIdOf(WStringView address);
// The name in a user's address ("…huaban.com/user/NAME/…"), or empty.
WString HuabanUserNameOf(WStringView address);

WString HuabanApiBoardAddress(WStringView boardId);
// `afterPinId` empty for the first page.
WString HuabanApiPinsAddress(WStringView boardId, WStringView afterPinId);
// `afterBoardId` empty for the first page.
WString HuabanApiUserBoardsAddress(WStringView userName, WStringView afterBoardId);

std::optional<HuabanApiBoard> ParseHuabanApiBoard(std::string_view body);
std::optional<std::vector<HuabanApiPin>> ParseHuabanApiPins(std::string_view body);
std::optional<HuabanApiUserBoards> ParseHuabanApiUserBoards(std::string_view body);

}  // namespace albumora
