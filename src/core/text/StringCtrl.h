#pragma once

#include <cstdint>
#include <vector>

#include "core/text/WideText.h"

namespace albumora {

// Flags of ExtractBetween.
inline constexpr int SCAN_ADVANCE = 1;         // store the consumed source back into the caller's text
inline constexpr int SCAN_TAIL_IF_NO_END = 2;  // a missing end marker yields the whole rest

// Cuts the value between `begin` and `end`. With SCAN_ADVANCE the source keeps only what follows
// the begin marker, so the value is still at its front; a missing begin marker leaves it untouched.
WString ExtractBetween(WString& source, WStringView begin, WStringView end, int flags);

// Drops the source up to `marker` (and the marker too when includeMarker). Returns the marker's
// position, or -1 with the source unchanged.
long long SkipPast(WString& source, WStringView marker, bool includeMarker);

// Keeps the source before `marker`. Returns the marker's position, or -1 with the source unchanged.
long long CutBefore(WString& source, WStringView marker);

// Non-overlapping occurrences, left to right; "aa" occurs twice in "aaaa".
int CountOccurrences(WStringView text, WStringView separator);

// Fills `pieces` with n + 1 pieces cut at the next separator each time.
void SplitCount(WStringView text, WStringView separator, int n, std::vector<WString>& pieces);

// Returns the number of separators; a text without one leaves `pieces` empty and returns 0.
int SplitBy(std::vector<WString>& pieces, WStringView text, WStringView separator);

// Pairwise replacement of "|"-separated lists; lists of unequal length replace the whole
// `fromList` text by the whole `toList` text instead.
void ReplacePairs(WString& text, WStringView fromList, WStringView toList);

// Decodes the seven entities the sites use, in a fixed order ("&amp;" second).
void DecodeHtmlEntities(WString& text);

// 1 when the bytes are well-formed multi-byte UTF-8 with at least one non-ASCII byte, else 0.
int LooksLikeUtf8(const unsigned char* bytes, std::uint64_t length);

}  // namespace albumora
