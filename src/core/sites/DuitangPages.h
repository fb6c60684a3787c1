#pragma once

#include <cstdint>
#include <vector>

#include "core/text/WideText.h"

namespace albumora {

struct DuitangAlbumEntry {
    std::uint32_t pictureCount = 0;
    WString coverUrl;
    WString albumId;
    WString name;  // an entry without a name is dropped by the lister
};

struct DuitangAlbumListPage {
    bool more = true;  // false once a page holds no album key
    std::vector<DuitangAlbumEntry> albums;
};

struct DuitangPicture {
    WString url;  // already turned into the full-size address
    WString description;
};

struct DuitangPicturePage {
    bool more = true;
    std::vector<DuitangPicture> pictures;  // addresses shorter than 8 characters are left out
};

struct DuitangSingleAlbum {
    WString name;
    std::uint32_t pictureCount = 0;
};

// True when Duitang's domain occurs after the start of the address.
bool IsDuitangAddress(WStringView address);

// True when the address names one album ("/album/" after the start).
bool IsDuitangAlbumAddress(WStringView address);

// The album number of an album address: "/album/?id=N", "/album/N/", with or without query or
// fragment, all give N.
WString DuitangAlbumIdFromAddress(WStringView address);

// The user number a Duitang page carries in its header, or empty.
WString DuitangUserIdFromPage(WString pageText);

// Title and count of a single album's page.
DuitangSingleAlbum ParseDuitangSingleAlbumPage(WString pageText);

DuitangAlbumListPage ParseDuitangAlbumListPage(WStringView text);
DuitangPicturePage ParseDuitangPicturePage(WString text);

// The user's page, sent as the referrer of album list requests.
WString DuitangUserPageAddress(WStringView userId);
// The album's page, sent as the referrer of picture page requests.
WString DuitangAlbumPageAddress(WStringView albumId);

// The cache-busting value: the time in seconds followed by that time modulo 10000 in four digits.
WString DuitangCacheBuster(std::int64_t secondsSinceEpoch);

WString DuitangAlbumListAddress(int page, WStringView userId, std::int64_t secondsSinceEpoch);
WString DuitangPicturePageAddress(WStringView albumId, int page, std::int64_t secondsSinceEpoch);

}  // namespace albumora
