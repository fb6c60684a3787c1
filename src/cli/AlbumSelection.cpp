#include "cli/AlbumSelection.h"

#include <algorithm>
#include <charconv>
#include <string_view>

namespace albumora::cli {

namespace {

// A number as a whole, blanks around it allowed ("2, 5-7" as typed); refused when it does not fit
// rather than cut to fit.
std::optional<int> WholeNumber(std::string_view digits) {
    while (!digits.empty() && digits.front() == ' ') {
        digits.remove_prefix(1);
    }
    while (!digits.empty() && digits.back() == ' ') {
        digits.remove_suffix(1);
    }
    int value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<std::set<int>> ParseAlbumList(const std::string& text) {
    std::set<int> positions;
    if (text == "all") {
        return positions;
    }
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = std::min(text.find(',', start), text.size());
        const std::string_view item = std::string_view(text).substr(start, comma - start);
        const size_t dash = item.find('-', 1);
        const auto first = WholeNumber(item.substr(0, dash));
        const auto last = dash == std::string_view::npos ? first : WholeNumber(item.substr(dash + 1));
        if (!first || !last) {
            return std::nullopt;
        }
        // A run takes at most 65535 albums.
        if (*first < 1 || *last < *first || *last > 65535) {
            return std::nullopt;
        }
        for (int n = *first; n <= *last; ++n) {
            positions.insert(n - 1);
        }
        start = comma + 1;
    }
    return positions;
}

}  // namespace albumora::cli
