#pragma once

#include <cstddef>
#include <cstdint>

#include "core/text/WideText.h"

namespace albumora {

// The longest file or folder name that Linux file systems accept, in bytes of UTF-8.
inline constexpr std::size_t kMaxNameBytes = 255;

// The index that asks MakeSafeFileName for a time-stamp fallback instead of "pic%d".
inline constexpr std::uint32_t kTimeStampFallback = 0xFFFF;

// Turns any text from a site into one usable file or folder name, in place, and returns it: entities
// decoded, blanks folded and trimmed, characters that are unsafe in names removed, leading and
// trailing dots dropped. With `useFallback`, a name that ends up empty or of 1000 or more units
// becomes FormatTimeStamp(now) for kTimeStampFallback, else "pic<index>". Without it an empty
// result stays empty. The result never names "." or "..", holds no separator or control character,
// and fits in kMaxNameBytes.
WString& MakeSafeFileName(WString& name, std::uint32_t index = 0, bool useFallback = false);

// Local calendar time of `secondsSince1970` as "%Y%m%d%H%M%S"; empty when it cannot be converted.
WString FormatTimeStamp(std::int64_t secondsSince1970);

// Cuts `name` so that its UTF-8 form fits in `maxBytes`, keeping a short extension (".jpg") whole
// and never splitting a character. A name that fits is left alone.
void LimitNameBytes(WString& name, std::size_t maxBytes = kMaxNameBytes);

// The number of bytes that `text` takes in UTF-8.
std::size_t Utf8Length(WStringView text);

}  // namespace albumora
