#include "core/workflow/SiteTable.h"

#include "core/sites/SiteAddress.h"
#include "core/workflow/Messages.h"
#include "core/workflow/SiteWork.h"

namespace albumora {

namespace {

// A site is known by the scheme and host of the address, never by a name somewhere in it: an
// address that carries a board's address in its query is another site's.
constexpr std::array<SiteEntry, kServedSiteCount> kSites{{
    {&IsDuitangHostAddress, &DuitangPagesAdapter, &DuitangApiAdapter, kMsgNoDuitangUser},
    {&IsHuabanAddress, &HuabanPagesAdapter, &HuabanApiAdapter, kMsgNotHuabanBoard},
}};

}  // namespace

const SiteEntry* SiteOf(WStringView siteAddress) {
    for (const SiteEntry& site : kSites) {
        if (site.recognises(siteAddress)) {
            return &site;
        }
    }
    return nullptr;
}

bool IsListable(const SiteEntry& site, WStringView siteAddress) {
    return site.first().Accepts(siteAddress) || site.current().Accepts(siteAddress);
}

SiteInterfaces::Listing SiteInterfaces::List(ListWork& work, const SiteEntry& site,
                                             const WString& siteAddress) {
    std::atomic<bool>& moved = m_moved[static_cast<std::size_t>(&site - kSites.data())];
    if (!moved && site.first().Accepts(siteAddress)) {
        Listing listing{site.first().List(work, siteAddress), &site.first()};
        if (!listing.outcome.siteMoved) {
            return listing;
        }
        moved = true;
        if (!site.current().Accepts(siteAddress)) {
            return {{Incomplete(WString(kSiteMovedElsewhere))}, nullptr};
        }
    }
    if (!site.current().Accepts(siteAddress)) {
        return {{Incomplete(WString(site.notListableMessage))}, nullptr};
    }
    Listing listing{site.current().List(work, siteAddress), &site.current()};
    listing.outcome.siteMoved = false;
    return listing;
}

}  // namespace albumora
