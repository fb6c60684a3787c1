#include "core/net/UrlCanonical.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "core/text/AsciiCase.h"

namespace albumora {

namespace {

bool IsControlOrSpace(unsigned char c) {
    return c <= 0x20 || c == 0x7F;
}

void AppendPercentEncoded(std::string& out, unsigned char c) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out.push_back('%');
    out.push_back(kHex[c >> 4]);
    out.push_back(kHex[c & 0x0F]);
}

bool PathMustEncode(unsigned char c) {
    return IsControlOrSpace(c) || c >= 0x80 || c == '"' || c == '<' || c == '>' || c == '`' || c == '{' ||
           c == '}';
}

bool QueryMustEncode(unsigned char c) {
    return IsControlOrSpace(c) || c >= 0x80;
}

template <typename Predicate>
std::string Encode(std::string_view text, Predicate mustEncode) {
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (mustEncode(c)) {
            AppendPercentEncoded(out, c);
        } else {
            out.push_back(ch);
        }
    }
    return out;
}

bool IsSingleDot(std::string_view segment) {
    return segment == "." || AsciiLowered(segment) == "%2e";
}

bool IsDoubleDot(std::string_view segment) {
    const std::string lower = AsciiLowered(segment);
    return lower == ".." || lower == ".%2e" || lower == "%2e." || lower == "%2e%2e";
}

// Resolves "." and ".." like a browser: ".." never climbs above the root, and a trailing dot
// segment leaves the path ending in '/'.
std::string ResolveDotSegments(std::string_view path) {
    std::vector<std::string_view> input;
    size_t start = 1;  // past the leading '/'
    while (true) {
        const size_t slash = path.find('/', start);
        input.push_back(path.substr(start, slash == std::string_view::npos ? slash : slash - start));
        if (slash == std::string_view::npos) {
            break;
        }
        start = slash + 1;
    }
    std::vector<std::string_view> output;
    for (size_t i = 0; i < input.size(); ++i) {
        const bool last = i + 1 == input.size();
        if (IsDoubleDot(input[i])) {
            if (!output.empty()) {
                output.pop_back();
            }
            if (last) {
                output.emplace_back();
            }
        } else if (IsSingleDot(input[i])) {
            if (last) {
                output.emplace_back();
            }
        } else {
            output.push_back(input[i]);
        }
    }
    std::string resolved;
    for (const auto segment : output) {
        resolved.push_back('/');
        resolved.append(segment);
    }
    return resolved.empty() ? "/" : resolved;
}

bool IsValidScheme(std::string_view scheme) {
    if (scheme.empty() || !IsAsciiAlpha(scheme[0])) {
        return false;
    }
    return std::all_of(scheme.begin(), scheme.end(), [](char c) {
        return IsAsciiAlpha(c) || IsAsciiDigit(c) || c == '+' || c == '-' || c == '.';
    });
}

bool IsForbiddenHostByte(unsigned char c) {
    static constexpr std::string_view kForbidden = "#%/:<>?@[\\]^|\"`{}";
    return IsControlOrSpace(c) || kForbidden.find(static_cast<char>(c)) != std::string_view::npos;
}

// Splits "host[:port]" (host possibly an IPv6 literal in brackets); false when malformed.
bool SplitHostPort(std::string_view hostPort, std::string& host, std::string& portText) {
    std::string_view rest;
    if (!hostPort.empty() && hostPort[0] == '[') {
        const size_t close = hostPort.find(']');
        if (close == std::string_view::npos || close == 1) {
            return false;
        }
        const std::string_view literal = hostPort.substr(1, close - 1);
        if (literal.find_first_not_of("0123456789abcdefABCDEF:.") != std::string_view::npos) {
            return false;
        }
        host = AsciiLowered(literal);
        rest = hostPort.substr(close + 1);
        if (!rest.empty() && rest[0] != ':') {
            return false;
        }
    } else {
        const size_t colon = hostPort.find(':');
        const std::string_view name = hostPort.substr(0, colon);
        if (name.empty() || std::any_of(name.begin(), name.end(), [](char c) {
                return IsForbiddenHostByte(static_cast<unsigned char>(c));
            })) {
            return false;
        }
        host = AsciiLowered(name);
        rest = colon == std::string_view::npos ? std::string_view() : hostPort.substr(colon);
    }
    portText = rest.empty() ? std::string() : std::string(rest.substr(1));
    return std::all_of(portText.begin(), portText.end(), IsAsciiDigit);
}

}  // namespace

std::optional<CanonicalUrl> CanonicalizeUrl(WStringView url) {
    std::string text = ToUtf8(url);
    // Browsers drop leading and trailing controls and spaces of a pasted address.
    const auto first = std::find_if(text.begin(), text.end(),
                                    [](char c) { return !IsControlOrSpace(static_cast<unsigned char>(c)); });
    text.erase(text.begin(), first);
    while (!text.empty() && IsControlOrSpace(static_cast<unsigned char>(text.back()))) {
        text.pop_back();
    }

    const size_t schemeEnd = text.find("://");
    if (schemeEnd == std::string::npos || !IsValidScheme(std::string_view(text).substr(0, schemeEnd))) {
        return std::nullopt;
    }
    CanonicalUrl result;
    result.scheme = AsciiLowered(std::string_view(text).substr(0, schemeEnd));
    if (result.scheme != "http" && result.scheme != "https") {
        return std::nullopt;
    }

    const std::string_view rest = std::string_view(text).substr(schemeEnd + 3);
    const size_t authorityEnd = std::min(rest.find_first_of("/?#\\"), rest.size());
    const std::string_view authority = rest.substr(0, authorityEnd);
    const size_t at = authority.rfind('@');
    const std::string_view userInfo =
        at == std::string_view::npos ? std::string_view() : authority.substr(0, at + 1);
    const std::string_view hostPort = at == std::string_view::npos ? authority : authority.substr(at + 1);
    std::string portText;
    if (std::any_of(userInfo.begin(), userInfo.end(),
                    [](char c) { return IsControlOrSpace(static_cast<unsigned char>(c)); }) ||
        !SplitHostPort(hostPort, result.host, portText)) {
        return std::nullopt;
    }
    if (portText.empty()) {
        result.port = result.scheme == "https" ? 443 : 80;
    } else {
        if (portText.size() > 5 || std::stoi(portText) > 65535 || std::stoi(portText) == 0) {
            return std::nullopt;
        }
        result.port = std::stoi(portText);
    }
    const bool literal = !hostPort.empty() && hostPort[0] == '[';
    result.authority = std::string(userInfo) + (literal ? "[" + result.host + "]" : result.host) +
                       (portText.empty() ? "" : ":" + portText);

    std::string_view remainder = rest.substr(authorityEnd);
    remainder = remainder.substr(0, remainder.find('#'));  // the fragment stays in the browser
    const size_t queryStart = std::min(remainder.find('?'), remainder.size());
    std::string path(remainder.substr(0, queryStart));
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.empty() || path[0] != '/') {
        path.insert(path.begin(), '/');
    }
    result.object = Encode(ResolveDotSegments(path), PathMustEncode) +
                    Encode(remainder.substr(queryStart), QueryMustEncode);
    result.text = result.scheme + "://" + result.authority + result.object;
    return result;
}

WString WithoutSignature(WStringView url) {
    const size_t query = url.find(u'?');
    if (query == WStringView::npos) {
        return WString(url);
    }
    const size_t fragment = std::min(url.find(u'#', query), url.size());
    WString kept;
    for (size_t start = query + 1; start < fragment;) {
        const size_t end = std::min(url.find(u'&', start), fragment);
        const WStringView parameter = url.substr(start, end - start);
        if (!parameter.empty() && !parameter.starts_with(u"auth_key=") && parameter != u"auth_key") {
            kept += kept.empty() ? u'?' : u'&';
            kept += parameter;
        }
        start = end + 1;
    }
    return WString(url.substr(0, query)) + kept + WString(url.substr(fragment));
}

}  // namespace albumora
