// Reads hand-edited ini files in any encoding, broken ones included.
#include <cstddef>
#include <cstdint>

#include "core/settings/CIni.h"
#include "core/settings/ExtensionSettings.h"

using namespace albumora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CIni ini;
    ini.LoadBytes(std::string_view(reinterpret_cast<const char*>(data), size));
    ExtensionSettingsFromIni(ini);
    ini.GetString(u"QQ空间", u"V2编码", u"ANSI");
    return 0;
}
