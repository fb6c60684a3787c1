#pragma once

#include <utility>

#include "core/text/WideText.h"

namespace albumora {

class SiteWork;

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

// Huaban: a board address gives one album; its pins are paged through at download.
StageOutcome ListHuabanBoard(SiteWork& work, const WString& address);
StageOutcome CollectHuabanPins(SiteWork& work, int albumPosition);

// Duitang: any page of a user or an album leads to the user's albums, or to the one album.
// `singleAlbum` is set when the address names a single album, whose download starts right after
// listing.
StageOutcome ListDuitangFromAddress(SiteWork& work, const WString& address, bool& singleAlbum);
StageOutcome ListDuitangAlbums(SiteWork& work, const WString& userId);
StageOutcome CollectDuitangPictures(SiteWork& work, int albumPosition);

}  // namespace albumora
