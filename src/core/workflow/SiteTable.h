#pragma once

#include <array>
#include <atomic>
#include <cstddef>

#include "core/text/WideText.h"
#include "core/workflow/SiteAdapters.h"

namespace albumora {

// The sites served, and for each the two interfaces it has had: the one the program was built
// for, asked first while the site answers it, and the one it serves today.
struct SiteEntry {
    bool (*recognises)(WStringView siteAddress);
    const SiteAdapter& (*first)();
    const SiteAdapter& (*current)();
    // For an address of the site that neither interface can list.
    WStringView notListableMessage;
};

inline constexpr std::size_t kServedSiteCount = 2;

// The site of an address as the adapters request it (see CanonicalSiteAddress); null for none.
const SiteEntry* SiteOf(WStringView siteAddress);

// True when one of the site's interfaces can list the address.
bool IsListable(const SiteEntry& site, WStringView siteAddress);

// Remembers which sites have shown that they moved, so that the rest of the program's run asks
// their present interface directly. Written by the list worker; any thread may read it.
class SiteInterfaces {
public:
    struct Listing {
        ListOutcome outcome;
        const SiteAdapter* adapter = nullptr;  // the interface that listed; it collects the albums
    };

    Listing List(ListWork& work, const SiteEntry& site, const WString& siteAddress);

private:
    std::array<std::atomic<bool>, kServedSiteCount> m_moved{};
};

}  // namespace albumora
