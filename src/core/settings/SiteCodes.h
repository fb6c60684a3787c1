#pragma once

namespace albumora {

// The site codes: the site selector's entries and the slots of the settings records, one per
// site. Every part of the program that names a site by its code takes it from here.
inline constexpr int kSiteCodeCount = 21;  // codes 0..20; 9 is never assigned
inline constexpr int kSiteCodeQQ = 0;
// The sites whose first-run defaults or settings-menu items differ from the rest.
inline constexpr int kSiteCodeYupoo = 7;
inline constexpr int kSiteCode51 = 8;
inline constexpr int kSiteCodeTaobao = 11;
inline constexpr int kSiteCodeJd = 16;
inline constexpr int kSiteCodeInstagram = 17;
// The site that has no picture-type marker other than its videos: its pictures are given ".mp4".
inline constexpr int kSiteCodeVideos = kSiteCodeInstagram;
// The two sites this program downloads from share one code and one settings slot.
inline constexpr int kSiteCodeHuabanDuitang = 18;

}  // namespace albumora
