#include <chrono>
#include <ctime>

#include "core/sites/DuitangPages.h"
#include "core/sites/SiteAdapters.h"
#include "core/workflow/Messages.h"
#include "core/workflow/Workflow.h"

namespace albumora {

namespace {

constexpr WStringView kAcceptEncoding = u"Accept-Encoding: gzip, deflate";
constexpr std::chrono::milliseconds kSingleAlbumPause{2000};
constexpr std::chrono::milliseconds kListPagePause{1500};
constexpr std::chrono::milliseconds kPicturePagePause{2500};

bool FetchPage(const ST_URLREQUEST& request, WString& text) {
    CURLSource response;
    if (!FetchUrl(request, response, 0)) {
        return false;
    }
    text = GetText(response, TEXT_INFLATE | TEXT_UTF8);
    return !text.empty();
}

std::int64_t Now() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

}  // namespace

bool ListDuitangFromAddress(Workflow& workflow, const WString& address) {
    workflow.savedPageText.clear();
    workflow.siteSubKind = kSubKindDuitang;
    ST_URLREQUEST request = workflow.NewRequest(address);
    request.extraHeaders = kAcceptEncoding;
    WString text;
    if (!FetchPage(request, text)) {
        return false;
    }
    bool singleAlbum = false;
    if (IsDuitangAlbumAddress(address)) {
        workflow.savedPageText = text;
        workflow.albumKey = DuitangAlbumIdFromAddress(address);
        singleAlbum = true;
    }
    const WString userId = DuitangUserIdFromPage(std::move(text));
    if (userId.empty()) {
        workflow.view().ShowMessage(ShownText(kMsgNoDuitangUser));
        return false;
    }
    workflow.ownerName = u"堆糖_" + userId;
    ListDuitangAlbums(workflow, userId);
    return singleAlbum;
}

void ListDuitangAlbums(Workflow& workflow, const WString& userId) {
    if (!workflow.savedPageText.empty()) {
        const DuitangSingleAlbum single = ParseDuitangSingleAlbumPage(workflow.savedPageText);
        ST_PERLISTRECORD record;
        record.name = single.name;
        record.pictureCount = static_cast<std::int32_t>(single.pictureCount);
        record.albumId = workflow.albumKey;
        workflow.AddAlbum(std::move(record));
        if (workflow.listState != kListStopRequested) {
            workflow.clock().SleepFor(kSingleAlbumPause);
        }
        return;
    }

    ST_URLREQUEST request = workflow.NewRequest({});
    request.extraHeaders = WString(kAcceptEncoding) + u"\r\nReferer: " + DuitangUserPageAddress(userId);
    WString previousFirstId;
    for (int page = 1;; ++page) {
        workflow.clock().SleepFor(kListPagePause);
        request.url = DuitangAlbumListAddress(page, userId, Now());
        WString text;
        if (!FetchPage(request, text)) {
            return;
        }
        const DuitangAlbumListPage parsed = ParseDuitangAlbumListPage(text);
        // A site that answers every page with the same albums would be paged for ever.
        if (!parsed.albums.empty() && parsed.albums.front().albumId == previousFirstId) {
            return;
        }
        previousFirstId = parsed.albums.empty() ? WString() : parsed.albums.front().albumId;
        for (const DuitangAlbumEntry& entry : parsed.albums) {
            ST_PERLISTRECORD record;
            record.name = entry.name;
            record.albumId = entry.albumId;
            record.coverUrl = entry.coverUrl;
            record.pictureCount = static_cast<std::int32_t>(entry.pictureCount);
            workflow.AddAlbum(std::move(record));
            if (workflow.listState == kListStopRequested) {
                return;
            }
        }
        if (!parsed.more) {
            return;
        }
    }
}

void CollectDuitangPictures(Workflow& workflow, int albumPosition) {
    const auto album = workflow.albums.AlbumAt(static_cast<size_t>(albumPosition));
    if (!album) {
        return;
    }
    ST_URLREQUEST request = workflow.NewRequest({});
    request.extraHeaders =
        WString(kAcceptEncoding) + u"\r\nReferer: " + DuitangAlbumPageAddress(album->albumId);
    WString previousFirstUrl;
    for (int page = 1;; ++page) {
        request.url = DuitangPicturePageAddress(album->albumId, page, Now());
        WString text;
        if (!FetchPage(request, text)) {
            return;
        }
        const DuitangPicturePage parsed = ParseDuitangPicturePage(std::move(text));
        if (!parsed.pictures.empty() && parsed.pictures.front().url == previousFirstUrl) {
            return;
        }
        previousFirstUrl = parsed.pictures.empty() ? WString() : parsed.pictures.front().url;
        for (const DuitangPicture& picture : parsed.pictures) {
            workflow.AddPicture(picture.url, picture.description, {}, albumPosition);
            if (workflow.CollectionEnds()) {
                return;
            }
        }
        workflow.clock().SleepFor(kPicturePagePause);
        if (!parsed.more) {
            return;
        }
    }
}

}  // namespace albumora
