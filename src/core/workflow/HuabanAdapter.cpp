#include <chrono>

#include "core/files/SafeFileName.h"
#include "core/sites/HuabanPages.h"
#include "core/text/StringCtrl.h"
#include "core/workflow/Messages.h"
#include "core/workflow/SiteAdapters.h"
#include "core/workflow/SiteWork.h"

namespace albumora {

namespace {

constexpr WStringView kAcceptEncoding = u"Accept-Encoding: gzip, deflate";
constexpr std::uint8_t kBoardAttempts = 4;
constexpr std::uint8_t kBoardRetryPauseSec = 4;
// A real board page is far longer; anything this short is an error page.
constexpr std::uint32_t kBoardMinTextLength = 100;
constexpr int kMaxPageFailures = 3;
constexpr std::chrono::milliseconds kFailurePause{6000};
constexpr std::chrono::milliseconds kPagePause{2000};

bool IsGatewayTimeout(WStringView text) {
    const size_t p = text.find(u"504 Gateway Time-out");
    return p != WStringView::npos && p > 0;
}

ListOutcome ListHuabanBoard(ListWork& work, const WString& address) {
    work.carry().savedPageText.clear();
    if (!IsHuabanBoardAddress(address)) {
        return {Incomplete(WString(kMsgNotHuabanBoard))};
    }
    WString pageAddress = address;
    CutBefore(pageAddress, u"?");
    ST_URLREQUEST request = work.NewRequest(pageAddress);
    request.extraHeaders = kAcceptEncoding;
    request.attempts = kBoardAttempts;
    request.retryPauseSec = kBoardRetryPauseSec;
    request.minTextLength = kBoardMinTextLength;
    request.retryGone = false;
    CURLSource response;
    if (!FetchUrl(request, response, 0)) {
        if (IsGoneAnswer(response)) {
            return SiteMoved();
        }
        return {IncompleteUnlessStopped(work.PagesStopped(), PageFailedText(kPageHuabanBoard, response))};
    }
    WString text = GetText(response, TEXT_INFLATE | TEXT_UTF8);
    // Today's site answers every board address with the same application shell.
    if (!HasHuabanBoardData(text)) {
        return SiteMoved();
    }
    const HuabanBoard board = ParseHuabanBoardPage(text);
    // A page without the board's data is an error page, not an empty board.
    if (board.boardId.empty()) {
        return {Incomplete(PageWithoutDataText(kPageHuabanBoard))};
    }

    ST_PERLISTRECORD record;
    record.name = board.title;
    record.albumId = HuabanBoardAddress(board.boardId);
    record.pictureCount = static_cast<std::int32_t>(board.pinCount);
    work.carry().ownerName = board.owner;
    MakeSafeFileName(work.carry().ownerName, kTimeStampFallback, true);
    work.AddAlbum(std::move(record));
    // The board page doubles as the first page of pins, so it is kept.
    work.carry().savedPageText = std::move(text);
    return SingleAlbumListed();
}

StageOutcome CollectHuabanPins(CollectWork& work, int albumPosition) {
    const auto album = work.AlbumAt(static_cast<size_t>(albumPosition));
    if (!album) {
        return {};
    }
    ST_URLREQUEST request = work.NewRequest({});
    request.extraHeaders = WString(kAcceptEncoding) + u"\r\nReferer: " + album->albumId;
    // The 6 s after a failed page are the whole wait; the client adds none of its own.
    request.retryPauseSec = 0;
    work.carry().albumKey.clear();
    int pageCounter = 0;
    int failures = 0;
    WString previousPinId;
    WString lastProblem;
    const auto pictureCount = static_cast<size_t>(std::max(album->pictureCount, 0));

    while (failures < kMaxPageFailures) {
        // A stop during the pause asks nothing more of the site.
        if (work.CollectionEnds()) {
            return {};
        }
        WString text;
        // The page as the user counts it: the board page is the first.
        const WString pageName = NumberedPage(pageCounter + 1, kPagePictures);
        if (pageCounter == 0 && !work.carry().savedPageText.empty()) {
            text = std::move(work.carry().savedPageText);
            work.carry().savedPageText.clear();
        } else {
            request.url = HuabanPinsPageAddress(album->albumId, pageCounter, work.carry().albumKey);
            CURLSource response;
            const bool fetched = FetchUrl(request, response, 0);
            if (fetched) {
                text = GetText(response, TEXT_INFLATE | TEXT_UTF8);
            }
            if (!fetched || text.empty() || IsGatewayTimeout(text)) {
                if (work.PagesStopped()) {
                    return {};
                }
                // The busy gateway answers with its status as well as its page.
                lastProblem = IsGatewayTimeout(text) || response.status == 504
                                  ? GatewayBusyText(pageName)
                                  : PageFailedText(pageName, response);
                // The site answers a throttled session with errors; a fresh session gets through.
                work.ForgetCookiesOf(album->albumId);
                work.Pause(kFailurePause);
                ++failures;
                continue;
            }
        }
        ++pageCounter;
        failures = 0;

        const HuabanPinsPage page = ParseHuabanPinsPage(std::move(text));
        if (work.PicturesCollected() >= pictureCount) {
            return {};
        }
        // A page without the pins marker is no page of pins (an error page served as 200); one with
        // the marker and no pin is the board's end.
        if (!page.hasPinsMarker) {
            return Incomplete(PageWithoutDataText(pageName));
        }
        if (!page.hasPinSeparator) {
            return {};
        }
        size_t added = 0;
        for (const HuabanPin& pin : page.pins) {
            work.carry().albumKey = pin.pinId;
            if (pin.pinId.empty() || pin.pinId == previousPinId) {
                continue;
            }
            previousPinId = pin.pinId;
            work.AddPicture(HuabanPictureAddress(page.pictureHost, pin.key), pin.description, {},
                            albumPosition);
            ++added;
            if (work.CollectionEnds() || work.PicturesCollected() >= pictureCount) {
                return {};
            }
        }
        // A page that brings nothing new would be asked for again and again, short of the board's
        // stated count.
        if (added == 0) {
            return Incomplete(PageNothingNewText(pageName));
        }
        work.Pause(kPagePause);
    }
    return Incomplete(lastProblem);
}

class PagesAdapter final : public SiteAdapter {
public:
    bool Accepts(WStringView siteAddress) const override { return IsHuabanBoardAddress(siteAddress); }
    ListOutcome List(ListWork& work, const WString& siteAddress) const override {
        return ListHuabanBoard(work, siteAddress);
    }
    StageOutcome Collect(CollectWork& work, int albumPosition) const override {
        return CollectHuabanPins(work, albumPosition);
    }
};

}  // namespace

const SiteAdapter& HuabanPagesAdapter() {
    static const PagesAdapter adapter;
    return adapter;
}

}  // namespace albumora
