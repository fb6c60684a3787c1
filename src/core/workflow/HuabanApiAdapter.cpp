// Huaban's JSON interface: a board, or a user's boards, and a board's pins by the `max` cursor.
#include <algorithm>
#include <chrono>
#include <unordered_set>

#include "core/files/SafeFileName.h"
#include "core/sites/HuabanApi.h"
#include "core/sites/HuabanPages.h"
#include "core/workflow/ApiPages.h"
#include "core/workflow/Messages.h"
#include "core/workflow/SiteAdapters.h"
#include "core/workflow/SiteWork.h"

namespace albumora {

namespace {

// The site's etiquette, as for its board pages: a listing page gets four tries 4 s apart; a page of
// pins three, 6 s apart and each with a fresh session; 2 s between pages of pins.
constexpr std::uint8_t kListAttempts = 4;
constexpr std::uint8_t kListRetryPauseSec = 4;
constexpr int kMaxPageFailures = 3;
constexpr std::chrono::milliseconds kFailurePause{6000};
constexpr std::chrono::milliseconds kPagePause{2000};
constexpr std::chrono::milliseconds kBoardListPagePause{1500};
constexpr WStringView kReferer = u"https://huaban.com/";
constexpr char16_t kKeySeparator = u'\t';

ST_URLREQUEST ListRequest(const SiteWork& work) {
    ST_URLREQUEST request = ApiRequest(work, kReferer);
    request.attempts = kListAttempts;
    request.retryPauseSec = kListRetryPauseSec;
    return request;
}

ST_PERLISTRECORD RecordOf(const HuabanApiBoard& board) {
    ST_PERLISTRECORD record;
    record.name = board.title;
    record.albumId = HuabanBoardAddress(board.boardId);
    record.coverUrl = board.coverUrl;
    record.pictureCount = static_cast<std::int32_t>(std::min<std::uint32_t>(board.pinCount, INT32_MAX));
    return record;
}

void SetOwner(SiteWork& work, const WString& owner) {
    work.carry().ownerName = owner;
    MakeSafeFileName(work.carry().ownerName, kTimeStampFallback, true);
}

ListOutcome ListBoard(ListWork& work, const WString& boardId) {
    ST_URLREQUEST request = ListRequest(work);
    request.url = HuabanApiBoardAddress(boardId);
    // A board that is not there will not be there in 12 s either.
    request.retryGone = false;
    ListOutcome failed;
    const auto board = FetchApiData(work, request, kPageHuabanBoard, ParseHuabanApiBoard, failed.stage);
    if (!board) {
        return failed;
    }
    SetOwner(work, board->owner);
    work.AddAlbum(RecordOf(*board));
    return SingleAlbumListed();
}

ListOutcome ListUserBoards(ListWork& work, const WString& userName) {
    ST_URLREQUEST request = ListRequest(work);
    std::unordered_set<WString> seen;
    WString lastBoardId;
    bool ownerSet = false;
    for (int page = 1;; ++page) {
        work.Pause(kBoardListPagePause);
        if (work.PagesStopped()) {
            return {};
        }
        const WString pageName = NumberedPage(page, kPageBoardList);
        request.url = HuabanApiUserBoardsAddress(userName, lastBoardId);
        ListOutcome failed;
        const auto parsed = FetchApiData(work, request, pageName, ParseHuabanApiUserBoards, failed.stage);
        if (!parsed) {
            return failed;
        }
        if (!ownerSet) {
            SetOwner(work, parsed->userName.empty() ? userName : parsed->userName);
            ownerSet = true;
        }
        // The end of the list is a page without boards: a page shorter than asked for may only mean
        // that the site gives fewer at a time.
        if (parsed->boards.empty()) {
            return {};
        }
        size_t fresh = 0;
        for (const HuabanApiBoard& board : parsed->boards) {
            if (board.boardId.empty() || !seen.insert(board.boardId).second) {
                continue;
            }
            ++fresh;
            lastBoardId = board.boardId;
            work.AddAlbum(RecordOf(board));
            if (work.ListStopRequested()) {
                return {};
            }
        }
        if (fresh == 0) {
            return {Incomplete(PageNothingNewText(pageName))};
        }
    }
}

// Which page a pin came from, so that an expired link can be asked for afresh: board, cursor, pin.
WString RenewKey(const WString& boardId, const WString& cursor, const WString& pinId) {
    return boardId + kKeySeparator + cursor + kKeySeparator + pinId;
}

StageOutcome CollectPins(CollectWork& work, int albumPosition) {
    const auto album = work.AlbumAt(static_cast<size_t>(albumPosition));
    if (!album) {
        return {};
    }
    const WString boardId = HuabanBoardIdOf(album->albumId);
    if (boardId.empty()) {
        return Incomplete(PageWithoutDataText(kPageHuabanBoard));
    }
    ST_URLREQUEST request = ApiRequest(work, u"https://huaban.com/boards/" + boardId + u"/");
    // The 6 s after a failed page are the whole wait; the client adds none of its own.
    request.retryPauseSec = 0;
    const auto pictureCount = static_cast<size_t>(std::max(album->pictureCount, 0));
    std::unordered_set<WString> seen;
    WString cursor;
    WString lastProblem;
    int failures = 0;
    int page = 1;
    while (failures < kMaxPageFailures) {
        // A stop during the pause asks nothing more of the site.
        if (work.CollectionEnds()) {
            return {};
        }
        if (work.PicturesCollected() >= pictureCount) {
            return {};
        }
        const WString pageName = NumberedPage(page, kPagePictures);
        request.url = HuabanApiPinsAddress(boardId, cursor);
        std::string body;
        CURLSource response;
        std::optional<std::vector<HuabanApiPin>> pins;
        if (FetchApiPage(request, pageName, body, lastProblem, response)) {
            pins = ParseHuabanApiPins(body);
            if (!pins) {
                // A captcha or block page instead of pins: the site's busy answer.
                lastProblem = PageWithoutDataText(pageName);
            }
        }
        if (!pins) {
            if (work.PagesStopped()) {
                return {};
            }
            // The site answers a throttled session with errors; a fresh session gets through.
            work.ForgetCookiesOf(request.url);
            work.Pause(kFailurePause);
            ++failures;
            continue;
        }
        failures = 0;
        if (pins->empty()) {
            // A visitor sees only the first pins of a board, and the count includes pins the site
            // no longer serves: the board cannot be known to be whole.
            if (work.PicturesCollected() < pictureCount) {
                return Incomplete(WString(kHuabanPinsEndedEarly));
            }
            return {};
        }
        size_t fresh = 0;
        const WString pageCursor = cursor;
        for (const HuabanApiPin& pin : *pins) {
            if (pin.pinId.empty() || !seen.insert(pin.pinId).second) {
                continue;
            }
            ++fresh;
            cursor = pin.pinId;
            if (pin.pictureUrl.empty()) {
                continue;
            }
            work.AddRenewablePicture(pin.pictureUrl, pin.description,
                                     RenewKey(boardId, pageCursor, pin.pinId), albumPosition);
            if (work.CollectionEnds() || work.PicturesCollected() >= pictureCount) {
                return {};
            }
        }
        // A page that brings nothing new would be asked for again and again.
        if (fresh == 0) {
            return Incomplete(PageNothingNewText(pageName));
        }
        ++page;
        work.Pause(kPagePause);
    }
    return Incomplete(lastProblem);
}

class ApiAdapter final : public SiteAdapter {
public:
    bool Accepts(WStringView siteAddress) const override {
        return !HuabanBoardIdOf(siteAddress).empty() || !HuabanUserNameOf(siteAddress).empty();
    }

    ListOutcome List(ListWork& work, const WString& siteAddress) const override {
        work.carry().savedPageText.clear();
        if (const WString boardId = HuabanBoardIdOf(siteAddress); !boardId.empty()) {
            return ListBoard(work, boardId);
        }
        return ListUserBoards(work, HuabanUserNameOf(siteAddress));
    }

    StageOutcome Collect(CollectWork& work, int albumPosition) const override {
        return CollectPins(work, albumPosition);
    }

    std::uint32_t RequestOptions() const override { return FETCH_BROWSER_AGENT; }

    std::vector<std::pair<WString, WString>> RenewPictureUrls(const SiteWork& work, const WString& renewKey,
                                                              const StopSignal& stop) const override {
        const size_t first = renewKey.find(kKeySeparator);
        const size_t second = renewKey.find(kKeySeparator, first + 1);
        if (first == WString::npos || second == WString::npos) {
            return {};
        }
        const WString boardId = renewKey.substr(0, first);
        const WString cursor = renewKey.substr(first + 1, second - first - 1);
        ST_URLREQUEST request = ApiRequest(work, u"https://huaban.com/boards/" + boardId + u"/");
        request.cancel = &stop;
        request.url = HuabanApiPinsAddress(boardId, cursor);
        std::string body;
        WString problem;
        CURLSource response;
        if (!FetchApiPage(request, {}, body, problem, response)) {
            return {};
        }
        std::vector<std::pair<WString, WString>> fresh;
        if (const auto pins = ParseHuabanApiPins(body)) {
            for (const HuabanApiPin& pin : *pins) {
                if (!pin.pinId.empty() && !pin.pictureUrl.empty()) {
                    fresh.emplace_back(RenewKey(boardId, cursor, pin.pinId), pin.pictureUrl);
                }
            }
        }
        return fresh;
    }
};

}  // namespace

const SiteAdapter& HuabanApiAdapter() {
    static const ApiAdapter adapter;
    return adapter;
}

}  // namespace albumora
