#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "core/workflow/Messages.h"
#include "core/workflow/Workflow.h"

namespace albumora {

namespace {

constexpr std::uint32_t kPictureAttempts = 2;
constexpr std::uint32_t kPictureRetryPauseSec = 1;
// With a single thread the coordinator spaces the pictures out, as a courtesy to the site.
constexpr std::chrono::milliseconds kSingleThreadPause{2000};
// A second address from a Topit page is tried when the first brought less than this.
constexpr std::uint64_t kTopitMinimumBytes = 600;

void Trace(const char* text) {
    if (std::getenv("ALBUMORA_TRACE") != nullptr) {
        std::fputs(text, stderr);
    }
}

}  // namespace

bool Workflow::FetchPicture(std::size_t index, std::uint64_t generation, bool& filtered) {
    filtered = false;
    const auto picture = job.PictureAt(index, generation);
    const auto target = job.TargetPath(index);
    if (!picture || !target) {
        return false;
    }
    WString address = picture->url;
    WString fallback;
    const size_t lineEnd = address.find(u"\r\n");
    if (lineEnd != WString::npos) {
        fallback = address.substr(lineEnd + 2);
        address.resize(lineEnd);
    }
    const std::uint32_t timeoutMs = counters.timeoutSec.load() * 1000;
    ST_URLREQUEST request(address, *target, timeoutMs);
    request.cookieStore = m_cookieStore;
    request.clock = &m_clock;
    request.extraHeaders = picture->requestHeader;
    request.minSizeK = counters.minSizeK;
    request.maxSizeK = counters.maxSizeK;
    request.attempts = kPictureAttempts;
    request.retryPauseSec = kPictureRetryPauseSec;
    request.cancel = &counters.stopRequested;

    CURLSource response;
    bool ok = FetchUrl(request, response, FETCH_CACHE_WRITE | FETCH_CACHE_READ);
    if (!fallback.empty()) {
        const size_t topit = fallback.find(u".topitme.");
        const bool topitFallback = topit != WString::npos && topit > 0;
        if (response.bodySize == 0 || (topitFallback && response.bodySize < kTopitMinimumBytes)) {
            request.url = fallback;
            ok = FetchUrl(request, response, FETCH_CACHE_WRITE | FETCH_CACHE_READ);
        }
    }
    // The size limits are the user's filter: a picture they keep out is no failure.
    filtered = !ok && response.failure == FetchFailure::SizeLimit;
    return ok;
}

Workflow::DownProcResult Workflow::DownProc() {
    // The stop flag is cleared by the album loop, not here: a stop pressed after the album was
    // collected must still hold.
    counters.finishedCount = 0;
    const size_t n = job.size();
    const size_t t = std::min<size_t>(counters.activeThreadCount.load(), n);
    if (t == 0) {
        return {};
    }
    counters.downloadActive = true;
    const auto started = std::chrono::steady_clock::now();
    const std::uint64_t generation = job.generation();
    std::atomic<size_t> next{0};
    std::atomic<std::uint32_t> failed{0};
    std::atomic<std::uint32_t> filtered{0};

    // Each picture thread takes the next picture until none is left, so that its connection to
    // the picture host stays warm from one picture to the next.
    auto pictureThread = [&, this] {
        for (;;) {
            if (counters.stopRequested) {
                return;
            }
            const size_t i = next.fetch_add(1);
            if (i >= n) {
                return;
            }
            if (t == 1 && i > 0) {
                m_clock.SleepFor(kSingleThreadPause);
                if (counters.stopRequested) {
                    return;
                }
            }
            bool keptOut = false;
            bool saved = false;
            try {
                saved = FetchPicture(i, generation, keptOut);
            } catch (...) {
                // Out of memory or the like: this picture is lost, the album goes on.
            }
            {
                // Under the coordinator's lock, so that the failures it reports are among the
                // pictures it reports as done.
                std::lock_guard lock(m_coordinatorMutex);
                if (!saved) {
                    (keptOut ? filtered : failed).fetch_add(1);
                }
                counters.finishedCount.fetch_add(1);
            }
            m_coordinatorWake.notify_all();
        }
    };
    std::vector<std::thread> threads;
    threads.reserve(t);
    for (size_t s = 0; s < t; ++s) {
        try {
            threads.emplace_back(pictureThread);
        } catch (const std::system_error&) {
            break;  // the threads that did start share the pictures
        }
    }
    if (threads.empty()) {
        m_view.ShowMessage(WString(kMsgDownloadThreadFailed));
        counters.downloadActive = false;
        return {0, 0, static_cast<std::uint32_t>(n)};
    }

    std::uint32_t reported = 0;
    const auto total = static_cast<std::uint32_t>(n);
    m_view.ShowPictureProgress(0, total, 0);
    {
        std::unique_lock lock(m_coordinatorMutex);
        for (;;) {
            m_coordinatorWake.wait(lock, [&] {
                return counters.stopRequested.load() || counters.finishedCount.load() != reported;
            });
            if (counters.stopRequested) {
                break;
            }
            reported = counters.finishedCount;
            const std::uint32_t failedSoFar = failed;
            lock.unlock();
            m_view.SetStatusText(StatusLine::Progress,
                                 u"已下载" + IntToText(reported) + u"/" + IntToText(total) + u"......");
            m_view.ShowPictureProgress(reported, total, failedSoFar);
            lock.lock();
            if (reported >= total) {
                break;
            }
        }
    }
    // Threads still fetching after a stop finish their picture (bounded by the time-outs) before
    // the job may be refilled for another album.
    for (std::thread& thread : threads) {
        thread.join();
    }
    const std::uint32_t notFetched = total - std::min(total, counters.finishedCount.load());
    Trace("OK\n");
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - started).count();
    m_view.AlbumFinished(static_cast<unsigned>(elapsed), total, failed + notFetched);
    counters.downloadActive = false;
    return {failed, filtered, notFetched};
}

}  // namespace albumora
