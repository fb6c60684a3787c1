#pragma once

#include <string>
#include <string_view>

#include "core/text/WideText.h"

namespace albumora {

// Raw UTF-16 code units as bytes, as the settings and marker files store them; no byte-order mark
// is added or expected. A trailing odd byte is ignored.
std::string EncodeUtf16Le(WStringView text);
WString DecodeUtf16(std::string_view bytes, bool bigEndian = false);

}  // namespace albumora
