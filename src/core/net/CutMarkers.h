#pragma once

#include <string>
#include <string_view>

namespace albumora {

// Drops the body up to and including the last occurrence of `cutStart`, then everything from the
// first occurrence of `cutEnd` on. Empty markers do nothing. Returns true when `cutEnd` was found,
// which tells a reader that the rest of the response is not wanted.
bool ApplyCutMarkers(std::string& body, std::string_view cutStart, std::string_view cutEnd);

}  // namespace albumora
