#include "core/net/Cookie.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstddef>

namespace albumora {

namespace {

constexpr std::string_view kHttpOnlyPrefix = "#HttpOnly_";

// One pass: find_first_of searches the set once per character of the text, and every cookie of
// the file comes through here at each start.
bool HasLineBreaker(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return c == '\t' || c == '\r' || c == '\n' || c == '\0'; });
}

}  // namespace

bool IsStorableCookie(const Cookie& cookie) {
    return !cookie.name.empty() && !cookie.domain.empty() && cookie.domain != "." && cookie.expires >= 0 &&
           !HasLineBreaker(cookie.name) && !HasLineBreaker(cookie.value) && !HasLineBreaker(cookie.domain) &&
           !HasLineBreaker(cookie.path) && cookie.domain.find(' ') == std::string::npos;
}

std::string FormatNetscapeLine(const Cookie& cookie) {
    const bool subdomains = cookie.domain.starts_with('.');
    std::string line;
    if (cookie.httpOnly) {
        line += kHttpOnlyPrefix;
    }
    line += cookie.domain;
    line += subdomains ? "\tTRUE\t" : "\tFALSE\t";
    line += cookie.path.empty() ? "/" : cookie.path;
    line += cookie.secure ? "\tTRUE\t" : "\tFALSE\t";
    line += std::to_string(cookie.expires);
    line += '\t';
    line += cookie.name;
    line += '\t';
    line += cookie.value;
    return line;
}

std::optional<Cookie> ParseNetscapeLine(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) {
        line.remove_suffix(1);
    }
    Cookie cookie;
    if (line.starts_with(kHttpOnlyPrefix)) {
        cookie.httpOnly = true;
        line.remove_prefix(kHttpOnlyPrefix.size());
    } else if (line.empty() || line.starts_with('#')) {
        return std::nullopt;
    }
    // Without an allocation: a cookie file is read line by line at every start.
    std::array<std::string_view, 7> fields;
    std::size_t count = 0;
    for (size_t start = 0;;) {
        if (count == fields.size()) {
            return std::nullopt;
        }
        const size_t tab = line.find('\t', start);
        fields[count++] = line.substr(start, tab == std::string_view::npos ? tab : tab - start);
        if (tab == std::string_view::npos) {
            break;
        }
        start = tab + 1;
    }
    // Six fields: a cookie with an empty value whose last tab was trimmed by an editor.
    if (count != 7 && count != 6) {
        return std::nullopt;
    }
    const bool subdomains = fields[1] == "TRUE";
    std::string_view domain = fields[0];
    if (domain.starts_with('.') && !subdomains) {
        domain.remove_prefix(1);
    }
    cookie.domain =
        (subdomains && !domain.starts_with('.')) ? "." + std::string(domain) : std::string(domain);
    cookie.path = std::string(fields[2]);
    cookie.secure = fields[3] == "TRUE";
    const auto [end, error] =
        std::from_chars(fields[4].data(), fields[4].data() + fields[4].size(), cookie.expires);
    if (error != std::errc() || end != fields[4].data() + fields[4].size()) {
        return std::nullopt;
    }
    cookie.name = std::string(fields[5]);
    cookie.value = count == 7 ? std::string(fields[6]) : std::string();
    if (!IsStorableCookie(cookie)) {
        return std::nullopt;
    }
    return cookie;
}

}  // namespace albumora
