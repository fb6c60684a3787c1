#pragma once

#include <optional>
#include <string>

#include "core/text/WideText.h"

namespace albumora {

// The parts of an http or https address, after canonicalisation.
struct CanonicalUrl {
    std::string scheme;     // "http" or "https"
    std::string authority;  // user info, host and port as written, host in lower case
    std::string host;       // lower case, without the brackets of an IPv6 literal
    int port = 0;           // the written port or the scheme's default
    std::string object;     // path and query, as sent in the request line
    std::string text;       // scheme://authority/object, the address handed to the HTTP library
};

// Canonicalises an address the way a browser does before sending it: the path gets every character
// a path may not hold percent-encoded (non-ASCII as UTF-8), backslashes become slashes, and "." and
// ".." segments are resolved. The query keeps its text; only bytes that cannot travel in a request
// line (controls, space, non-ASCII) are percent-encoded. The fragment is never sent. Returns
// nothing for an address that is not http or https or cannot be split.
std::optional<CanonicalUrl> CanonicalizeUrl(WStringView url);

// The address without a CDN's signature (the `auth_key` parameter of its query). A signed link
// changes every day for the same picture, so this, not the link, says which picture it is.
WString WithoutSignature(WStringView url);

}  // namespace albumora
