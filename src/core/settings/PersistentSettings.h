#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/settings/SiteCodes.h"
#include "core/text/WideText.h"

namespace albumora {

// soft.dat has room for site codes 0..23, of which the recogniser uses 0..20.
inline constexpr int kSettingsSiteSlots = 24;

// The settings records of a site code; a code outside the records uses the nearest one.
inline std::size_t SettingsSlot(int siteCode) {
    return static_cast<std::size_t>(std::clamp(siteCode, 0, kSettingsSiteSlots - 1));
}

inline constexpr std::size_t kSettingsFileSize = 19808;
inline constexpr std::size_t kNamingTextSlotUnits = 40;
inline constexpr std::size_t kNamingTextMaxChars = 38;  // what the file-name dialog stores
inline constexpr int kHistorySlots = 5;
inline constexpr std::size_t kHistorySlotUnits = 400;

// Bits of SiteNamingRecord::optionFlags, one settings-menu item each.
inline constexpr std::uint16_t OPT_FIX_FORMAT = 0x0001;
inline constexpr std::uint16_t OPT_FIX_ORDER = 0x0002;
inline constexpr std::uint16_t OPT_ORIGINAL_NAME_FILE = 0x0004;
inline constexpr std::uint16_t OPT_THUNDER_LIST_ONLY = 0x0008;
inline constexpr std::uint16_t OPT_OPEN_FOLDER_WHEN_DONE = 0x0010;
inline constexpr std::uint16_t OPT_MAIN_PICTURES_ONLY = 0x0020;
inline constexpr std::uint16_t OPT_SKIP_DOWNLOADED = 0x0040;
inline constexpr std::uint16_t OPT_YUPOO_LARGE = 0x0080;
inline constexpr std::uint16_t OPT_DESCRIPTION_PICTURES_ONLY = 0x0100;

// 8 bytes in the file; sizes in units of 1024 bytes, 0 meaning no limit.
struct SiteDownloadParams {
    std::uint16_t minSizeK = 0;
    std::uint16_t maxSizeK = 0;
    std::uint16_t threadCount = 0;  // 1..15
    std::uint16_t timeoutSec = 0;   // at least 10
};

// A NUL-terminated UTF-16 text inside a fixed slot of the file.
using NamingTextSlot = std::array<char16_t, kNamingTextSlotUnits>;
using HistorySlot = std::array<char16_t, kHistorySlotUnits>;

// 484 bytes in the file.
struct SiteNamingRecord {
    NamingTextSlot pictureNamePrefix{};
    NamingTextSlot pictureNameSuffix{};
    NamingTextSlot replaceFrom{};
    NamingTextSlot replaceTo{};
    NamingTextSlot albumFolderPrefix{};
    NamingTextSlot albumFolderSuffix{};
    std::uint16_t optionFlags = 0;
    std::uint8_t pictureNameMode = 0;  // 0 description, 1 sequence number, 2 address
    std::uint8_t albumFolderMode = 0;  // 0 album name, 1 none

    bool HasOption(std::uint16_t bit) const { return (optionFlags & bit) != 0; }
};

enum class HistoryKind : int { Address = 0, SavePath = 1 };

// The in-memory image of soft.dat. Slots keep every unit they were loaded with, also behind their
// terminator, so that an unchanged image saves back byte for byte. Not synchronised: the interface
// thread owns and edits it, and a worker copies what it needs when it starts.
struct PersistentSettings {
    std::array<SiteDownloadParams, kSettingsSiteSlots> downloadParams{};
    std::array<SiteNamingRecord, kSettingsSiteSlots> namingRecords{};
    std::array<HistorySlot, kHistorySlots> addressHistory{};  // slot 0 is the newest
    std::array<HistorySlot, kHistorySlots> savePathHistory{};

    std::array<HistorySlot, kHistorySlots>& History(HistoryKind kind) {
        return kind == HistoryKind::Address ? addressHistory : savePathHistory;
    }
    const std::array<HistorySlot, kHistorySlots>& History(HistoryKind kind) const {
        return kind == HistoryKind::Address ? addressHistory : savePathHistory;
    }
};

// The text of a slot up to its terminator; a slot without one ends at its last unit, never beyond.
WString SlotText(std::span<const char16_t> slot);

// Stores `text` cut to `maxChars` units (never splitting a surrogate pair, never more than the slot
// minus its terminator) and zero-fills the rest of the slot.
void SetSlotText(std::span<char16_t> slot, WStringView text, std::size_t maxChars);

// The naming texts keep at most 38 characters, as the file-name dialog stores them.
inline void SetNamingText(NamingTextSlot& slot, WStringView text) {
    SetSlotText(slot, text, kNamingTextMaxChars);
}

// Adds `text` as the newest entry of a history: refused (false, nothing changed) when it has 400 or
// more units, is empty, or equals an entry already there without regard to letter case; otherwise
// the oldest of the five entries drops out. On true the caller saves the settings.
bool RememberText(PersistentSettings& settings, HistoryKind kind, WStringView text);

// The non-empty entries of a history, newest first.
std::vector<WString> HistoryTexts(const PersistentSettings& settings, HistoryKind kind);

}  // namespace albumora
