// FetchUrl: attempts, pauses and the success test around RequestOnce.
#include "core/net/URLSource2.h"

namespace albumora {

ST_URLREQUEST::ST_URLREQUEST(WString url_, WString savePath_, std::uint32_t timeoutMs)
    : url(std::move(url_)),
      savePath(std::move(savePath_)),
      readTimeoutMs(timeoutMs),
      connectTimeoutMs(timeoutMs) {}

const char* DescribeFailure(FetchFailure failure) {
    switch (failure) {
        case FetchFailure::None:
            return "no failure";
        case FetchFailure::NoAttempt:
            return "no attempt made";
        case FetchFailure::BadAddress:
            return "bad address";
        case FetchFailure::Connection:
            return "connection";
        case FetchFailure::Certificate:
            return "certificate";
        case FetchFailure::Timeout:
            return "time-out";
        case FetchFailure::HttpStatus:
            return "HTTP status";
        case FetchFailure::NotAPicture:
            return "a web page instead of a picture";
        case FetchFailure::SizeLimit:
            return "size limit";
        case FetchFailure::File:
            return "file";
        case FetchFailure::EmptyBody:
            return "empty body";
        case FetchFailure::TextCheck:
            return "unexpected text";
        case FetchFailure::Cancelled:
            return "stopped";
        case FetchFailure::TooLong:
            return "took too long";
    }
    return "unknown";
}

namespace {

bool PassesSuccessTest(const ST_URLREQUEST& request, CURLSource& response, std::uint32_t options) {
    if (request.minTextLength == 0 && request.retryIfContains.empty()) {
        if (response.bodySize > 0) {
            return true;
        }
        response.failure = FetchFailure::EmptyBody;
        return false;
    }
    std::string inflated;
    const std::string* text = &response.body;
    if ((options & FETCH_CACHE_WRITE) && response.isGzip) {
        // A damaged stream is judged by what did inflate.
        GzipInflate(response.body.data(), response.body.size(), inflated);
        text = &inflated;
    }
    if (text->size() > request.minTextLength &&
        (request.retryIfContains.empty() || text->find(request.retryIfContains) == std::string::npos)) {
        return true;
    }
    response.failure = FetchFailure::TextCheck;
    return false;
}

}  // namespace

bool IsGoneAnswer(const CURLSource& response) {
    return response.failure == FetchFailure::HttpStatus && (response.status == 404 || response.status == 410);
}

bool FetchUrl(const ST_URLREQUEST& request, CURLSource& response, std::uint32_t options) {
    if (request.attempts == 0) {
        response.failure = FetchFailure::NoAttempt;
        return false;
    }
    Clock& clock = request.clock != nullptr ? *request.clock : SystemClock::Instance();
    for (unsigned attempt = 1;; ++attempt) {
        if (RequestOnce(response, request, options) && PassesSuccessTest(request, response, options)) {
            return true;
        }
        if (IsCancelled(request)) {
            response.failure = FetchFailure::Cancelled;
            return false;
        }
        // Another attempt would take as long again; a page that is gone stays gone.
        if (response.failure == FetchFailure::TooLong || (!request.retryGone && IsGoneAnswer(response))) {
            return false;
        }
        // The pause follows the last failed attempt too, so a caller that moves on to another
        // address does not hit the site again at once.
        clock.SleepFor(std::chrono::seconds(request.retryPauseSec),
                       request.cancel != nullptr ? *request.cancel : StopSignal::Never());
        if (IsCancelled(request)) {
            response.failure = FetchFailure::Cancelled;
            return false;
        }
        if (attempt >= request.attempts) {
            return false;
        }
    }
}

}  // namespace albumora
