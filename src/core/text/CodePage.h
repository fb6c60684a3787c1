#pragma once

#include <string>
#include <string_view>

#include "core/text/WideText.h"

namespace albumora {

// The code pages the sites and the settings files use, by their Windows numbers.
enum class CodePage : int {
    Utf8 = 65001,
    Gbk = 936,  // the "ANSI" code page of the systems the program serves
    Big5 = 950,
    EucKr = 51949,
};

// Invalid or truncated input decodes to U+FFFD per bad unit; decoding never fails.
WString DecodeBytes(std::string_view bytes, CodePage codePage);

// Characters the code page cannot hold encode to '?'.
std::string EncodeText(WStringView text, CodePage codePage);

}  // namespace albumora
