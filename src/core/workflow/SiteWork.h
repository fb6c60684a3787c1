#pragma once

#include <chrono>
#include <cstddef>
#include <optional>

#include "core/net/URLSource2.h"
#include "core/text/WideText.h"
#include "core/workflow/AlbumList.h"

namespace albumora {

// All that a site adapter sees of the run it works for: requests, pauses and stops, the albums, and
// a few texts a listing leaves for the collection. Anything else of the workflow stays out of the
// adapters' reach, so a new site needs only this and its pages. A list run hands its adapter a
// ListWork, a download run a CollectWork: which run may do what is in the types.
class SiteWork {
public:
    // What a listing leaves for the download that follows it.
    struct Carry {
        WString ownerName;      // the owner's folder under the save folder
        WString savedPageText;  // a page already fetched that doubles as the first page of pictures
        WString albumKey;       // the album a single-album listing named, or where paging goes on
    };

    // A request record for the site's pages, with the shared cookies and clock.
    virtual ST_URLREQUEST NewRequest(WString url) const = 0;
    // The pause between pages; a stop cuts it short.
    virtual void Pause(std::chrono::milliseconds duration) const = 0;
    // True once a stop was asked of the page requests (list or download stop, or closing).
    virtual bool PagesStopped() const = 0;
    // Starts a fresh session with the site: it answers a throttled one with errors.
    virtual void ForgetCookiesOf(const WString& address) = 0;
    virtual void ShowMessage(const WString& text) = 0;
    virtual std::optional<ST_PERLISTRECORD> AlbumAt(std::size_t position) const = 0;
    // Written by the listing, read and used up by the collections of its albums; list and download
    // runs never overlap.
    virtual Carry& carry() = 0;

protected:
    ~SiteWork() = default;
};

// What a listing adapter may do besides: hand over the albums it finds.
class ListWork : public SiteWork {
public:
    // True once the user stopped the listing.
    virtual bool ListStopRequested() const = 0;
    // Adds an album the listing found, and shows it.
    virtual void AddAlbum(ST_PERLISTRECORD record) = 0;

protected:
    ~ListWork() = default;
};

// What a collecting adapter may do besides: hand over the pictures of the album at work.
class CollectWork : public SiteWork {
public:
    // Names a picture of album `albumPosition` and appends it to the download; `requestHeader` is
    // extra header text for its request, empty for none.
    virtual void AddPicture(const WString& pictureUrl, const WString& originalName,
                            const WString& requestHeader, int albumPosition) = 0;
    // The same for a signed address that may expire before its turn: `renewKey` tells the adapter
    // where to ask for a fresh one (SiteAdapter::RenewPictureUrls).
    virtual void AddRenewablePicture(const WString& pictureUrl, const WString& originalName,
                                     const WString& renewKey, int albumPosition) = 0;
    // How many pictures the current album's collection has handed over.
    virtual std::size_t PicturesCollected() const = 0;
    // True when the collection of the current album must end (album done or stop requested).
    virtual bool CollectionEnds() const = 0;

protected:
    ~CollectWork() = default;
};

}  // namespace albumora
