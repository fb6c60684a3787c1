// Duitang's JSON interface: a user's albums by offset, one album's data, an album's pictures by
// the `after_id` cursor.
#include <algorithm>
#include <chrono>
#include <unordered_set>

#include "core/sites/DuitangApi.h"
#include "core/sites/DuitangPages.h"
#include "core/workflow/ApiPages.h"
#include "core/workflow/Messages.h"
#include "core/workflow/SiteAdapters.h"
#include "core/workflow/SiteWork.h"

namespace albumora {

namespace {

// The site's etiquette, as for its pages of old.
constexpr std::chrono::milliseconds kSingleAlbumPause{2000};
constexpr std::chrono::milliseconds kListPagePause{1500};
constexpr std::chrono::milliseconds kPicturePagePause{2500};
// Shorter addresses are no picture.
constexpr size_t kShortestPictureUrl = 8;
constexpr WStringView kReferer = u"https://www.duitang.com/";

ST_PERLISTRECORD RecordOf(const DuitangApiAlbum& album) {
    ST_PERLISTRECORD record;
    record.name = album.name;
    record.albumId = album.albumId;
    record.coverUrl = album.coverUrl;
    record.pictureCount = static_cast<std::int32_t>(std::min<std::uint32_t>(album.count, INT32_MAX));
    return record;
}

ListOutcome ListSingleAlbum(ListWork& work, const WString& albumId) {
    ST_URLREQUEST request = ApiRequest(work, kReferer);
    request.url = DuitangApiAlbumDetailAddress(albumId);
    ListOutcome failed;
    const auto album = FetchApiData(work, request, kPageDuitang, ParseDuitangApiAlbumDetail, failed.stage);
    if (!album) {
        return failed;
    }
    ST_PERLISTRECORD record = RecordOf(*album);
    record.albumId = albumId;
    // The album's name is not certain to be in the answer; the folder still needs one.
    if (record.name.empty()) {
        record.name = u"专辑" + albumId;
    }
    work.carry().ownerName = album->ownerId.empty() ? WString(u"堆糖") : u"堆糖_" + album->ownerId;
    work.AddAlbum(std::move(record));
    if (!work.ListStopRequested()) {
        work.Pause(kSingleAlbumPause);
    }
    return SingleAlbumListed();
}

ListOutcome ListUserAlbums(ListWork& work, const WString& userId) {
    work.carry().ownerName = u"堆糖_" + userId;
    ST_URLREQUEST request = ApiRequest(work, kReferer);
    std::unordered_set<WString> seen;
    std::int64_t start = 0;
    for (int page = 1;; ++page) {
        work.Pause(kListPagePause);
        if (work.PagesStopped()) {
            return {};
        }
        const WString pageName = NumberedPage(page, kPageAlbumList);
        request.url = DuitangApiAlbumListAddress(userId, start);
        ListOutcome failed;
        const auto parsed = FetchApiData(work, request, pageName, ParseDuitangApiAlbumList, failed.stage);
        if (!parsed) {
            return failed;
        }
        size_t fresh = 0;
        for (const DuitangApiAlbum& album : parsed->albums) {
            if (!seen.insert(album.albumId).second) {
                continue;
            }
            ++fresh;
            // An album without a name is dropped, as ever.
            if (album.name.empty()) {
                continue;
            }
            work.AddAlbum(RecordOf(album));
            if (work.ListStopRequested()) {
                return {};
            }
        }
        if (!parsed->more) {
            return {};
        }
        // A site that answers every page alike would be paged for ever.
        if (fresh == 0) {
            return {Incomplete(PageNothingNewText(pageName))};
        }
        start = parsed->nextStart > start ? parsed->nextStart
                                          : start + static_cast<std::int64_t>(parsed->albums.size());
    }
}

StageOutcome CollectPictures(CollectWork& work, int albumPosition) {
    const auto album = work.AlbumAt(static_cast<size_t>(albumPosition));
    if (!album) {
        return {};
    }
    ST_URLREQUEST request = ApiRequest(work, u"https://www.duitang.com/album/?id=" + album->albumId);
    std::unordered_set<WString> seen;
    WString after;
    for (int page = 1;; ++page) {
        // A stop during the pause asks nothing more of the site.
        if (work.CollectionEnds()) {
            return {};
        }
        const WString pageName = NumberedPage(page, kPagePictures);
        request.url = DuitangApiPicturesAddress(album->albumId, after);
        StageOutcome failed;
        const auto parsed = FetchApiData(work, request, pageName, ParseDuitangApiPictures, failed);
        if (!parsed) {
            return failed;
        }
        size_t fresh = 0;
        for (const DuitangApiPicture& picture : parsed->pictures) {
            const WString& identity = picture.pictureId.empty() ? picture.url : picture.pictureId;
            fresh += seen.insert(identity).second ? 1 : 0;
            if (picture.url.size() < kShortestPictureUrl) {
                continue;
            }
            // An album may hold the same picture twice: repeats are handed over too.
            work.AddPicture(picture.url, picture.description, {}, albumPosition);
            if (work.CollectionEnds()) {
                return {};
            }
        }
        const bool more = parsed->more && !parsed->after.empty();
        if (more && (fresh == 0 || parsed->after == after)) {
            return Incomplete(PageNothingNewText(pageName));
        }
        work.Pause(kPicturePagePause);
        if (!more) {
            return {};
        }
        after = parsed->after;
    }
}

class ApiAdapter final : public SiteAdapter {
public:
    bool Accepts(WStringView siteAddress) const override {
        return IsDuitangAlbumAddress(siteAddress) ? !DuitangAlbumIdFromAddress(siteAddress).empty()
                                                  : !DuitangUserIdOf(siteAddress).empty();
    }

    ListOutcome List(ListWork& work, const WString& siteAddress) const override {
        work.carry().savedPageText.clear();
        if (IsDuitangAlbumAddress(siteAddress)) {
            return ListSingleAlbum(work, DuitangAlbumIdFromAddress(siteAddress));
        }
        return ListUserAlbums(work, DuitangUserIdOf(siteAddress));
    }

    StageOutcome Collect(CollectWork& work, int albumPosition) const override {
        return CollectPictures(work, albumPosition);
    }

    std::uint32_t RequestOptions() const override { return FETCH_BROWSER_AGENT; }
};

}  // namespace

const SiteAdapter& DuitangApiAdapter() {
    static const ApiAdapter adapter;
    return adapter;
}

}  // namespace albumora
