// Loads soft.dat images of any length and content; a repaired image must save back to its size.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "core/settings/SettingsStore.h"

using namespace albumora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PersistentSettings settings = DecodeSettings(std::string_view(reinterpret_cast<const char*>(data), size));
    RepairSettings(settings, true);
    HistoryTexts(settings, HistoryKind::Address);
    RememberText(settings, HistoryKind::SavePath, u"/tmp/x/");
    if (EncodeSettings(settings).size() != kSettingsFileSize) {
        std::abort();
    }
    return 0;
}
