#include "core/sites/SiteAddress.h"

#include <algorithm>
#include <optional>

#include "core/sites/SiteHosts.h"
#include "core/text/CaseFold.h"

namespace albumora {

namespace {

struct AddressParts {
    WString host;      // lower-cased, port included
    WStringView rest;  // from the first '/', '?' or '#' after the host
};

// Scheme and host of an address that starts with "http://" or "https://" (any letter case).
std::optional<AddressParts> SplitAddress(WStringView address) {
    const WString head = ToLowerText(address.substr(0, 8));
    size_t hostStart = 0;
    if (head.starts_with(u"http://")) {
        hostStart = 7;
    } else if (head.starts_with(u"https://")) {
        hostStart = 8;
    } else {
        return std::nullopt;
    }
    const size_t hostEnd = std::min(address.find_first_of(u"/?#", hostStart), address.size());
    return AddressParts{ToLowerText(address.substr(hostStart, hostEnd - hostStart)), address.substr(hostEnd)};
}

bool IsHostOf(WStringView host, WStringView domain) {
    return host == domain || (host.starts_with(u"www.") && host.substr(4) == domain);
}

}  // namespace

WString CanonicalSiteAddress(WStringView address) {
    const auto parts = SplitAddress(address);
    if (!parts) {
        return WString(address);
    }
    if (IsHostOf(parts->host, kHuabanDomain)) {
        return u"http://" + WString(kHuabanDomain) + WString(parts->rest);
    }
    if (IsHostOf(parts->host, kDuitangDomain)) {
        return u"http://" + WString(kDuitangHost) + WString(parts->rest);
    }
    return WString(address);
}

bool IsDuitangHostAddress(WStringView address) {
    const auto parts = SplitAddress(address);
    return parts && (parts->host == kDuitangDomain ||
                     (parts->host.ends_with(kDuitangDomain) &&
                      parts->host[parts->host.size() - kDuitangDomain.size() - 1] == u'.'));
}

bool IsHuabanAddress(WStringView address) {
    const auto parts = SplitAddress(address);
    return parts && IsHostOf(parts->host, kHuabanDomain);
}

}  // namespace albumora
