#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "core/settings/PersistentSettings.h"
#include "core/text/WideText.h"

namespace albumora {

// One option bit as every front end offers it: the settings-menu command and text, and the
// readable name of the command line.
struct OptionInfo {
    std::uint16_t bit;
    std::string_view cliName;
    WStringView menuText;
    int menuCommand;
};

// The option bits in bit order.
std::span<const OptionInfo> OptionTable();
const OptionInfo* FindOptionByCliName(std::string_view cliName);
const OptionInfo* FindOptionByMenuCommand(int menuCommand);

// The menu action: flips the bit. The two shop-picture options exclude each other, so turning one
// on turns the other off.
void ToggleOption(SiteNamingRecord& record, std::uint16_t bit);

// Sets the bit to `on`, with the same exclusion.
void SetOption(SiteNamingRecord& record, std::uint16_t bit, bool on);

// Whether the menu item of the bit can be used for the site: the Yupoo option for Yupoo only, the
// shop-picture options for Taobao and JD only, the rest everywhere.
bool IsOptionEnabled(std::uint16_t bit, int siteCode);

// The download parameters dialog accepts 1..15 threads and a time-out of at least 10 seconds; the
// size limits are free.
bool AcceptDownloadParams(const SiteDownloadParams& params);
// The thread count's part of that rule, for a refusal to name the field.
bool AcceptsThreadCount(std::uint16_t threadCount);

// A number typed into the dialog, stored in a 16-bit field: the low 16 bits are kept, so -1 is 65535.
inline std::uint16_t ToStoredField(long long typed) {
    return static_cast<std::uint16_t>(static_cast<unsigned long long>(typed) & 0xFFFF);
}

// The radio texts of the two naming modes, indexed by the mode value.
inline constexpr WStringView kPictureNameModeTexts[] = {u"描述", u"序号", u"网址"};
inline constexpr WStringView kAlbumFolderModeTexts[] = {u"相册名", u"无"};

}  // namespace albumora
