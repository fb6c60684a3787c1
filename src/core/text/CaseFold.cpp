#include "core/text/CaseFold.h"

#include <algorithm>

namespace albumora {

char16_t ToLowerChar(char16_t c) {
    if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
        return static_cast<char16_t>(c + 0x20);
    }
    if ((c >= 0x391 && c <= 0x3A9 && c != 0x3A2) || (c >= 0x410 && c <= 0x42F)) {
        return static_cast<char16_t>(c + 0x20);
    }
    if (c >= 0x400 && c <= 0x40F) {
        return static_cast<char16_t>(c + 0x50);
    }
    if (c >= 0xFF21 && c <= 0xFF3A) {
        return static_cast<char16_t>(c + 0x20);
    }
    return c;
}

WString ToLowerText(WStringView text) {
    WString out(text);
    std::transform(out.begin(), out.end(), out.begin(), ToLowerChar);
    return out;
}

bool EqualsNoCase(WStringView a, WStringView b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) {
               return ToLowerChar(x) == ToLowerChar(y);
           });
}

}  // namespace albumora
