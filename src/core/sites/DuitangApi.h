#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "core/text/WideText.h"

// Duitang's present interface: JSON under https://www.duitang.com/napi/, each answer wrapped as
// {"status": 1, "data": {...}}. A status other than 1, or an answer that is no such JSON, is a
// failed page: the parsers return nothing.
namespace albumora {

inline constexpr int kDuitangApiAlbumsPerPage = 24;
inline constexpr int kDuitangApiPicturesPerPage = 100;

struct DuitangApiAlbum {
    WString albumId;
    WString name;
    std::uint32_t count = 0;
    WString coverUrl;
    WString ownerId;  // empty when the answer names no user
};

struct DuitangApiAlbumPage {
    std::vector<DuitangApiAlbum> albums;
    bool more = false;
    std::int64_t nextStart = -1;  // -1 when the answer does not say
};

struct DuitangApiPicture {
    WString pictureId;
    WString url;  // full size
    WString description;
};

struct DuitangApiPicturePage {
    std::vector<DuitangApiPicture> pictures;
    bool more = false;
    WString after;  // the cursor of the next page; empty at the end
};

// The user number in the address itself ("user_id=N", or "id=N" of a user's page), or empty.
WString DuitangUserIdOf(WStringView address);

WString DuitangApiAlbumListAddress(WStringView userId, std::int64_t start);
WString DuitangApiAlbumDetailAddress(WStringView albumId);
// `after` empty for the first page.
WString DuitangApiPicturesAddress(WStringView albumId, WStringView after);

std::optional<DuitangApiAlbumPage> ParseDuitangApiAlbumList(std::string_view body);
std::optional<DuitangApiAlbum> ParseDuitangApiAlbumDetail(std::string_view body);
std::optional<DuitangApiPicturePage> ParseDuitangApiPictures(std::string_view body);

// A thumbnail address made full size: its ".thumb.W_H." or ".thumb.W_H_C." part becomes ".".
WString WithoutThumbnailPart(WStringView url);

}  // namespace albumora
