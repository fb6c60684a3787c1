#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "core/text/WideText.h"
#include "core/util/StopSignal.h"

namespace albumora {

class SiteWork;
class ListWork;
class CollectWork;

// How a listing or an album's collection ended. It is incomplete when a page still failed after
// the site's own retries, lacked the data needed to go on, or only repeated what came before: the
// user must hear of it, and nothing may mark the album as done. A stop is no failure: the worker
// knows of it by itself.
struct StageOutcome {
    bool complete = true;
    WString problem;  // for the user, when not complete
};

inline StageOutcome Incomplete(WString problem) {
    return {false, std::move(problem)};
}

// A page that failed because a stop ended its request is no failure.
inline StageOutcome IncompleteUnlessStopped(bool stopped, WString problem) {
    return stopped ? StageOutcome{} : Incomplete(std::move(problem));
}

struct ListOutcome {
    StageOutcome stage;
    // The address names one album, whose download starts right after listing.
    bool singleAlbum = false;
    // The answer shows that the site no longer serves this interface (the page is gone, or is a
    // page without any of the data this interface reads): its present interface takes over.
    bool siteMoved = false;
};

inline ListOutcome SiteMoved() {
    ListOutcome outcome;
    outcome.siteMoved = true;
    return outcome;
}

inline ListOutcome SingleAlbumListed() {
    ListOutcome outcome;
    outcome.singleAlbum = true;
    return outcome;
}

// One interface of one site: which addresses it lists, how it lists them, and how it pages
// through an album's pictures. Its addresses, field names and paging rule live in it alone.
class SiteAdapter {
public:
    virtual ~SiteAdapter() = default;

    virtual bool Accepts(WStringView siteAddress) const = 0;
    // On the list worker.
    virtual ListOutcome List(ListWork& work, const WString& siteAddress) const = 0;
    // On the download worker, for an album this adapter listed.
    virtual StageOutcome Collect(CollectWork& work, int albumPosition) const = 0;
    // FetchUrl options for every request of this interface, pictures included.
    virtual std::uint32_t RequestOptions() const { return 0; }
    // For a picture whose signed address expired: fresh addresses of the pictures of the page it
    // came from, each under its renew key. Keys that agree up to their last tab name pictures of one
    // page. On a picture thread; empty when the site gives none.
    virtual std::vector<std::pair<WString, WString>> RenewPictureUrls(const SiteWork& work,
                                                                      const WString& renewKey,
                                                                      const StopSignal& stop) const {
        (void)work;
        (void)renewKey;
        (void)stop;
        return {};
    }
};

// Huaban's board pages as the program first knew them; a board address gives one album.
const SiteAdapter& HuabanPagesAdapter();
// Huaban's JSON interface: boards, and a user's boards.
const SiteAdapter& HuabanApiAdapter();
// Duitang's pages as the program first knew them: any page of a user or an album.
const SiteAdapter& DuitangPagesAdapter();
// Duitang's JSON interface.
const SiteAdapter& DuitangApiAdapter();

}  // namespace albumora
