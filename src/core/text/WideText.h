#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace albumora {

// All text inside the core is 16-bit wide text; positions and lengths count UTF-16 code units.
using WString = std::u16string;
using WStringView = std::u16string_view;

// UTF-8 <-> UTF-16 at the boundaries (file system, terminal, Qt). Malformed input becomes U+FFFD.
WString FromUtf8(std::string_view utf8);
std::string ToUtf8(WStringView text);

// Plain ASCII widening, for format results and literals known to be ASCII.
WString WidenAscii(std::string_view ascii);

// printf-style formatting of numbers into wide text: "%d", "%04d", "%4u", "%0.16f" and the like.
// Only numeric conversions are meant; wide strings are joined with operator+.
template <typename... Args>
WString FormatNumber(const char* format, Args... args);

WString IntToText(long long value);

// Unsigned decimal conversion as the adapters use it: leading blanks and one '+' are skipped, the
// digits are read up to the first non-digit, an empty or digitless text gives 0, and an overflow
// saturates at the largest 32-bit value.
std::uint32_t StrToUInt(WStringView text);

// Space, tab, line feed, vertical tab, form feed and carriage return: what C's isspace calls blank
// in the C locale.
inline bool IsBlank(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

// The text without blanks at either end.
WString Trimmed(WStringView text);

// Replaces every non-overlapping occurrence of `from` by `to`, left to right, in one pass; the
// inserted text is not searched again. An empty `from` replaces nothing. Returns the count.
int ReplaceAll(WString& text, WStringView from, WStringView to);

}  // namespace albumora

#include "core/text/WideText.inl"
