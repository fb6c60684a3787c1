#pragma once

#include "core/text/WideText.h"

namespace albumora {

// Lower-cases the letters that the paths, addresses and ini keys of the program meet: ASCII,
// Latin-1, basic Greek and Cyrillic, and the full-width Latin letters. Every other unit is kept, so
// positions and lengths stay those of the original text.
char16_t ToLowerChar(char16_t c);
WString ToLowerText(WStringView text);

// Equality without regard to letter case, by ToLowerChar.
bool EqualsNoCase(WStringView a, WStringView b);

}  // namespace albumora
