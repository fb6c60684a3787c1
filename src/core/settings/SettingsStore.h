#pragma once

#include <string>
#include <string_view>

#include "core/settings/PersistentSettings.h"

namespace albumora {

inline constexpr const char* kSettingsFileName = "soft.dat";

// The exact little-endian file image, kSettingsFileSize bytes.
std::string EncodeSettings(const PersistentSettings& settings);

// Reads an image from the first kSettingsFileSize bytes; a shorter input leaves the rest zero and
// bytes beyond the image are ignored.
PersistentSettings DecodeSettings(std::string_view bytes);

// Puts thread counts outside 1..15 back to 5 and time-outs below 10 to 30; for a first run (no
// file found) also sets the defaults of every site.
void RepairSettings(PersistentSettings& settings, bool fileFound);

struct LoadedSettings {
    PersistentSettings settings;
    bool fileFound = false;  // soft.dat existed and could be opened
    bool saved = false;      // the load wrote the repaired image back
};

// Loads soft.dat from `settingsFolder` (ending in '/'), repairs it and saves it back at once, so a
// first run creates the file. A soft.dat that exists but cannot be opened is left alone rather than
// overwritten with defaults.
LoadedSettings LoadSettings(const std::string& settingsFolder);

// Writes the whole image atomically; false when it could not be written, in which case the file on
// disk keeps its previous content.
bool SaveSettings(const std::string& settingsFolder, const PersistentSettings& settings);

}  // namespace albumora
