#pragma once

#include <optional>

#include "core/settings/SiteCodes.h"
#include "core/text/WideText.h"

namespace albumora {

// Entries of the album kind selector, shown for the QQ family only.
enum class QQAlbumKind : int { Zone = 0, Group = 1, TencentWeibo = 2 };

struct SiteRecognition {
    int siteCode = 0;
    // The album kind selector's entry, meaningful when siteCode is kSiteCodeQQ.
    QQAlbumKind albumKind = QQAlbumKind::Zone;
};

// Classifies an address by an ordered table of substring tests; the first row that matches
// anywhere in the address wins, query string included. An address without "http://" or
// "https://" changes nothing (nullopt). An unlisted site keeps `currentCode`.
std::optional<SiteRecognition> RecognizeSiteCode(WStringView address, int currentCode);

// The selector's readable name of a site code; the unused code 9 reads as empty.
WString SiteDisplayName(int siteCode);

}  // namespace albumora
