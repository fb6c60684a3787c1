#include <chrono>
#include <ctime>
#include <unordered_set>

#include "core/net/HttpHeaderText.h"
#include "core/sites/DuitangPages.h"
#include "core/workflow/Messages.h"
#include "core/workflow/SiteAdapters.h"
#include "core/workflow/SiteWork.h"

namespace albumora {

namespace {

constexpr WStringView kAcceptEncoding = u"Accept-Encoding: gzip, deflate";
constexpr std::chrono::milliseconds kSingleAlbumPause{2000};
constexpr std::chrono::milliseconds kListPagePause{1500};
constexpr std::chrono::milliseconds kPicturePagePause{2500};

// A page of the site as text; false when it failed or brought no text, with `problem` saying so.
bool FetchPage(const ST_URLREQUEST& request, WStringView pageName, WString& text, WString& problem,
               CURLSource& response) {
    if (FetchUrl(request, response, 0)) {
        text = GetText(response, TEXT_INFLATE | TEXT_UTF8);
        if (!text.empty()) {
            return true;
        }
    }
    problem = PageFailedText(pageName, response);
    return false;
}

// How many of a page's entries were not seen on an earlier page; remembers them. An album may hold
// the same picture twice, so repeats are still handed over: only a page of nothing new ends paging.
template <typename Entry>
size_t CountNew(const std::vector<Entry>& entries, std::unordered_set<WString>& seen, WString Entry::*key) {
    size_t fresh = 0;
    std::unordered_set<WString> onThisPage;
    for (const Entry& entry : entries) {
        if (!seen.contains(entry.*key) && onThisPage.insert(entry.*key).second) {
            ++fresh;
        }
    }
    seen.merge(onThisPage);
    return fresh;
}

std::int64_t Now() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

// Enough of a page's start to tell markup from JSON, however much blank space comes first.
constexpr size_t kPageHeadUnits = 4096;

bool IsWebPage(WStringView text) {
    return OpensLikeWebPage(ToUtf8(text.substr(0, kPageHeadUnits)));
}

// The album list of old answered JSON; a web page in its place, or none at all, is today's site.
bool IsMovedListPage(const CURLSource& response, WStringView text) {
    return IsGoneAnswer(response) || (IsWebPage(text) && text.find(u"\"like_count\"") == WStringView::npos);
}

ListOutcome ListDuitangAlbums(ListWork& work, const WString& userId);

// `canMove`: the address itself names what today's interface needs, so a page without the
// markers means the site has moved rather than that the address is wrong.
ListOutcome ListDuitangFromAddress(ListWork& work, const WString& address, bool canMove) {
    work.carry().savedPageText.clear();
    ST_URLREQUEST request = work.NewRequest(address);
    request.extraHeaders = kAcceptEncoding;
    WString text;
    WString problem;
    CURLSource response;
    if (!FetchPage(request, kPageDuitang, text, problem, response)) {
        if (canMove && IsGoneAnswer(response)) {
            return SiteMoved();
        }
        return {IncompleteUnlessStopped(work.PagesStopped(), problem)};
    }
    const bool albumAddress = IsDuitangAlbumAddress(address);
    if (albumAddress) {
        work.carry().savedPageText = text;
        work.carry().albumKey = DuitangAlbumIdFromAddress(address);
    }
    // A whole web page without the user is today's site; anything else (a torn or undecodable
    // answer) is no page of the site at all.
    const bool webPage = IsWebPage(text);
    const WString userId = DuitangUserIdFromPage(std::move(text));
    if (userId.empty()) {
        if (canMove && webPage) {
            return SiteMoved();
        }
        work.ShowMessage(ShownText(kMsgNoDuitangUser));
        return {};
    }
    work.carry().ownerName = u"堆糖_" + userId;
    ListOutcome outcome = ListDuitangAlbums(work, userId);
    outcome.singleAlbum = albumAddress && !outcome.siteMoved;
    return outcome;
}

ListOutcome ListDuitangAlbums(ListWork& work, const WString& userId) {
    if (!work.carry().savedPageText.empty()) {
        const DuitangSingleAlbum single = ParseDuitangSingleAlbumPage(work.carry().savedPageText);
        ST_PERLISTRECORD record;
        record.name = single.name;
        record.pictureCount = static_cast<std::int32_t>(single.pictureCount);
        record.albumId = work.carry().albumKey;
        work.AddAlbum(std::move(record));
        if (!work.ListStopRequested()) {
            work.Pause(kSingleAlbumPause);
        }
        return {};
    }

    ST_URLREQUEST request = work.NewRequest({});
    request.extraHeaders = WString(kAcceptEncoding) + u"\r\nReferer: " + DuitangUserPageAddress(userId);
    std::unordered_set<WString> seenIds;
    for (int page = 1;; ++page) {
        work.Pause(kListPagePause);
        if (work.PagesStopped()) {
            return {};
        }
        const WString pageName = NumberedPage(page, kPageAlbumList);
        request.url = DuitangAlbumListAddress(page, userId, Now());
        WString text;
        WString problem;
        CURLSource response;
        const bool fetched = FetchPage(request, pageName, text, problem, response);
        if (page == 1 && IsMovedListPage(response, text)) {
            return SiteMoved();
        }
        if (!fetched) {
            return {IncompleteUnlessStopped(work.PagesStopped(), problem)};
        }
        const DuitangAlbumListPage parsed = ParseDuitangAlbumListPage(text);
        // A site that answers every page alike would be paged for ever.
        if (parsed.more && CountNew(parsed.albums, seenIds, &DuitangAlbumEntry::albumId) == 0) {
            return {Incomplete(PageNothingNewText(pageName))};
        }
        for (const DuitangAlbumEntry& entry : parsed.albums) {
            ST_PERLISTRECORD record;
            record.name = entry.name;
            record.albumId = entry.albumId;
            record.coverUrl = entry.coverUrl;
            record.pictureCount = static_cast<std::int32_t>(entry.pictureCount);
            work.AddAlbum(std::move(record));
            if (work.ListStopRequested()) {
                return {};
            }
        }
        if (!parsed.more) {
            return {};
        }
    }
}

StageOutcome CollectDuitangPictures(CollectWork& work, int albumPosition) {
    const auto album = work.AlbumAt(static_cast<size_t>(albumPosition));
    if (!album) {
        return {};
    }
    ST_URLREQUEST request = work.NewRequest({});
    request.extraHeaders =
        WString(kAcceptEncoding) + u"\r\nReferer: " + DuitangAlbumPageAddress(album->albumId);
    std::unordered_set<WString> seenUrls;
    for (int page = 1;; ++page) {
        // A stop during the pause asks nothing more of the site.
        if (work.CollectionEnds()) {
            return {};
        }
        const WString pageName = NumberedPage(page, kPagePictures);
        request.url = DuitangPicturePageAddress(album->albumId, page, Now());
        WString text;
        WString problem;
        CURLSource response;
        if (!FetchPage(request, pageName, text, problem, response)) {
            return IncompleteUnlessStopped(work.PagesStopped(), problem);
        }
        const DuitangPicturePage parsed = ParseDuitangPicturePage(std::move(text));
        // Entries without a usable picture, or the same pictures again, under "has_next:true" would
        // be paged for ever.
        if (parsed.more && CountNew(parsed.pictures, seenUrls, &DuitangPicture::url) == 0) {
            return Incomplete(PageNothingNewText(pageName));
        }
        for (const DuitangPicture& picture : parsed.pictures) {
            work.AddPicture(picture.url, picture.description, {}, albumPosition);
            if (work.CollectionEnds()) {
                return {};
            }
        }
        work.Pause(kPicturePagePause);
        if (!parsed.more) {
            return {};
        }
    }
}

class PagesAdapter final : public SiteAdapter {
public:
    bool Accepts(WStringView) const override { return true; }
    ListOutcome List(ListWork& work, const WString& siteAddress) const override {
        return ListDuitangFromAddress(work, siteAddress, DuitangApiAdapter().Accepts(siteAddress));
    }
    StageOutcome Collect(CollectWork& work, int albumPosition) const override {
        return CollectDuitangPictures(work, albumPosition);
    }
};

}  // namespace

const SiteAdapter& DuitangPagesAdapter() {
    static const PagesAdapter adapter;
    return adapter;
}

}  // namespace albumora
