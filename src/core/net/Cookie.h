#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace albumora {

// One cookie as the sites set it and as the login browser hands it over.
struct Cookie {
    std::string name{};
    std::string value{};
    std::string domain{};  // a leading '.' makes it match every subdomain too
    std::string path = "/";
    std::int64_t expires = 0;  // seconds since 1970-01-01 UTC; 0 for a session cookie
    bool secure = false;
    bool httpOnly = false;

    bool operator==(const Cookie&) const = default;
};

// A cookie that a Netscape cookie line can carry: a name and a domain, and no tab, line break or
// zero byte in any text.
bool IsStorableCookie(const Cookie& cookie);

// One line of a Netscape cookie file (as curl and browsers' exports write it), without a line end.
std::string FormatNetscapeLine(const Cookie& cookie);

// Parses such a line; comments, blank and malformed lines give nothing.
std::optional<Cookie> ParseNetscapeLine(std::string_view line);

}  // namespace albumora
