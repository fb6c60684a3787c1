#pragma once

#include <optional>
#include <set>
#include <string>

namespace albumora::cli {

// "all", or comma-separated 1-based numbers and ranges, into 0-based positions; nullopt when the
// text is not such a list. An empty set stands for all.
std::optional<std::set<int>> ParseAlbumList(const std::string& text);

}  // namespace albumora::cli
