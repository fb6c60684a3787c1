#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "core/net/URLSource2.h"
#include "core/net/UrlCanonical.h"
#include "core/workflow/Messages.h"
#include "core/workflow/PictureFetch.h"
#include "core/workflow/RunResults.h"

namespace albumora {

namespace {

constexpr std::uint32_t kPictureAttempts = 2;
constexpr std::uint32_t kPictureRetryPauseSec = 1;
// With a single thread the coordinator spaces the pictures out, as a courtesy to the site.
constexpr std::chrono::milliseconds kSingleThreadPause{2000};
// A second address from a Topit page is tried when the first brought less than this.
constexpr std::uint64_t kTopitMinimumBytes = 600;

// How a signed link that expired is answered: 403, or the CDN's own 567.
bool IsExpiredLink(const CURLSource& response) {
    return response.failure == FetchFailure::HttpStatus && (response.status == 403 || response.status == 567);
}

void Trace(const char* text) {
    if (std::getenv("ALBUMORA_TRACE") != nullptr) {
        std::fputs(text, stderr);
    }
}

}  // namespace

bool PictureFetch::AlreadySaved(std::size_t index, const DownloadJob::Picture& picture,
                                const WString& target) {
    // Saved before under the name this run gives it: a changed naming scheme fetches anew.
    const auto entry = m_parts.journal.Find(WithoutSignature(picture.url), picture.fileName);
    if (!entry) {
        return false;
    }
    WString onDisk = target;
    if (!entry->storedAs.empty()) {
        onDisk = target.substr(0, target.rfind(u'/') + 1) + entry->storedAs;
    }
    struct stat info {};
    // A link in its place is no picture of ours, wherever it points.
    if (::lstat(ToUtf8(onDisk).c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<std::uint64_t>(info.st_size) != entry->size) {
        return false;
    }
    if (!entry->storedAs.empty()) {
        // The passes after the download work on the file as it is named now.
        m_parts.job.SetFileName(index, entry->storedAs);
    }
    return true;
}

WString PictureFetch::RenewedPictureUrl(const DownloadJob::Picture& picture) {
    const SiteAdapter* adapter = m_parts.adapter;
    if (adapter == nullptr) {
        return {};
    }
    // One page gives fresh links for all its pictures, which tend to expire together: the threads
    // that wait here find theirs without asking the site again.
    std::lock_guard lock(m_renewMutex);
    if (const auto found = m_renewedUrls.find(picture.renewKey); found != m_renewedUrls.end()) {
        return found->second;
    }
    const WString page = picture.renewKey.substr(0, picture.renewKey.rfind(u'\t'));
    if (!m_renewPagesAsked.insert(page).second) {
        return {};
    }
    for (auto& [key, url] :
         adapter->RenewPictureUrls(m_parts.work, picture.renewKey, m_parts.counters.stopRequested)) {
        m_renewedUrls.insert_or_assign(std::move(key), std::move(url));
    }
    const auto found = m_renewedUrls.find(picture.renewKey);
    return found == m_renewedUrls.end() ? WString() : found->second;
}

PictureFetch::PictureEnd PictureFetch::FetchPicture(std::size_t index, std::uint64_t generation,
                                                    WString& why) {
    const auto picture = m_parts.job.PictureAt(index, generation);
    const auto target = m_parts.job.TargetPath(index);
    if (!picture || !target) {
        return PictureEnd::Failed;
    }
    if (AlreadySaved(index, *picture, *target)) {
        return PictureEnd::Skipped;
    }
    WString address = picture->url;
    WString fallback;
    const size_t lineEnd = address.find(u"\r\n");
    if (lineEnd != WString::npos) {
        fallback = address.substr(lineEnd + 2);
        address.resize(lineEnd);
    }
    const std::uint32_t timeoutMs = m_parts.counters.timeoutSec.load() * 1000;
    ST_URLREQUEST request(address, *target, timeoutMs);
    request.cookieStore = m_parts.cookieStore;
    request.clock = &m_parts.clock;
    request.extraHeaders = picture->requestHeader;
    request.minSizeK = m_parts.counters.minSizeK;
    request.maxSizeK = m_parts.counters.maxSizeK;
    request.totalTimeoutMs = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(std::uint64_t{m_parts.counters.pictureSecondsLimit} * 1000, UINT32_MAX));
    request.attempts = kPictureAttempts;
    request.retryPauseSec = kPictureRetryPauseSec;
    request.cancel = &m_parts.counters.stopRequested;
    request.expectPicture = true;

    const SiteAdapter* adapter = m_parts.adapter;
    const std::uint32_t options =
        FETCH_CACHE_WRITE | FETCH_CACHE_READ | (adapter ? adapter->RequestOptions() : 0);
    CURLSource response;
    bool ok = FetchUrl(request, response, options);
    if (!ok && IsExpiredLink(response) && !picture->renewKey.empty() && !IsCancelled(request)) {
        if (WString fresh = RenewedPictureUrl(*picture); !fresh.empty() && fresh != address) {
            request.url = std::move(fresh);
            ok = FetchUrl(request, response, options);
        }
    }
    if (!fallback.empty()) {
        const size_t topit = fallback.find(u".topitme.");
        const bool topitFallback = topit != WString::npos && topit > 0;
        if (response.bodySize == 0 || (topitFallback && response.bodySize < kTopitMinimumBytes)) {
            request.url = fallback;
            ok = FetchUrl(request, response, options);
        }
    }
    if (ok) {
        if (!m_parts.journal.Record(WithoutSignature(picture->url),
                                    {picture->fileName, response.bodySize, {}})) {
            m_parts.journalWriteFailed = true;
        }
        return PictureEnd::Saved;
    }
    if (response.failure == FetchFailure::Cancelled) {
        return PictureEnd::CutOff;
    }
    why = FetchFailureText(response);
    // The size limits are the user's filter: a picture they keep out is no failure.
    if (response.failure == FetchFailure::SizeLimit) {
        return PictureEnd::Filtered;
    }
    return response.failure == FetchFailure::TooLong ? PictureEnd::TooLong : PictureEnd::Failed;
}

PictureFetchResult PictureFetch::Run() {
    // The stop flag is cleared by the album loop, not here: a stop pressed after the album was
    // collected must still hold.
    m_parts.counters.finishedCount = 0;
    const size_t n = m_parts.job.size();
    const size_t t = std::min<size_t>(m_parts.counters.activeThreadCount.load(), n);
    if (t == 0) {
        return {};
    }
    m_parts.counters.downloadActive = true;
    const auto started = std::chrono::steady_clock::now();
    const std::uint64_t generation = m_parts.job.generation();
    std::atomic<size_t> next{0};
    std::atomic<std::uint32_t> failed{0};
    std::atomic<std::uint32_t> filtered{0};
    std::atomic<std::uint32_t> skipped{0};
    std::atomic<std::uint32_t> tooLong{0};
    std::atomic<std::uint32_t> cutOff{0};
    std::vector<std::pair<WString, WString>> failedUrls;  // under the coordinator's lock

    // Each picture thread takes the next picture until none is left, so that its connection to
    // the picture host stays warm from one picture to the next.
    auto pictureThread = [&, this] {
        // A picture found saved before costs the site nothing, so no pause follows it.
        bool askedTheSite = false;
        for (;;) {
            if (m_parts.counters.stopRequested.raised()) {
                return;
            }
            const size_t i = next.fetch_add(1);
            if (i >= n) {
                return;
            }
            if (t == 1 && askedTheSite) {
                m_parts.clock.SleepFor(kSingleThreadPause, m_parts.counters.stopRequested);
                if (m_parts.counters.stopRequested.raised()) {
                    return;
                }
            }
            PictureEnd end = PictureEnd::Failed;
            WString why;
            try {
                end = FetchPicture(i, generation, why);
            } catch (...) {
                end = PictureEnd::Failed;
                // Out of memory or the like: this picture is lost, the album goes on.
            }
            {
                // Under the coordinator's lock, so that the failures it reports are among the
                // pictures it reports as done.
                std::lock_guard lock(m_parts.counters.coordinatorMutex);
                if (end == PictureEnd::TooLong) {
                    tooLong.fetch_add(1);
                    end = PictureEnd::Failed;
                }
                if (end == PictureEnd::Failed) {
                    failed.fetch_add(1);
                    if (const auto picture = m_parts.job.PictureAt(i, generation);
                        picture && failedUrls.size() < DownloadRunResult::kMaxFailedPictureUrls) {
                        failedUrls.emplace_back(picture->url.substr(0, picture->url.find(u"\r\n")), why);
                    }
                } else if (end == PictureEnd::Filtered) {
                    filtered.fetch_add(1);
                } else if (end == PictureEnd::Skipped) {
                    skipped.fetch_add(1);
                } else if (end == PictureEnd::CutOff) {
                    cutOff.fetch_add(1);
                }
                m_parts.counters.finishedCount.fetch_add(1);
            }
            askedTheSite = end != PictureEnd::Skipped;
            m_parts.counters.coordinatorWake.notify_all();
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
        m_parts.view.ShowMessage(WString(kMsgDownloadThreadFailed));
        m_parts.counters.downloadActive = false;
        return {0, 0, static_cast<std::uint32_t>(n), 0, {}};
    }

    std::uint32_t reported = 0;
    const auto total = static_cast<std::uint32_t>(n);
    m_parts.view.ShowPictureProgress(0, total, 0);
    {
        std::unique_lock lock(m_parts.counters.coordinatorMutex);
        for (;;) {
            m_parts.counters.coordinatorWake.wait(lock, [&] {
                return m_parts.counters.stopRequested.raised() ||
                       m_parts.counters.finishedCount.load() != reported;
            });
            if (m_parts.counters.stopRequested.raised()) {
                break;
            }
            reported = m_parts.counters.finishedCount;
            const std::uint32_t failedSoFar = failed;
            lock.unlock();
            m_parts.view.SetStatusText(StatusLine::Progress, DownloadedPicturesText(reported, total));
            m_parts.view.ShowPictureProgress(reported, total, failedSoFar);
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
    const std::uint32_t notFetched = total - std::min(total, m_parts.counters.finishedCount.load()) + cutOff;
    Trace("OK\n");
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - started).count();
    m_parts.view.AlbumFinished(static_cast<unsigned>(elapsed), total, failed + notFetched);
    m_parts.counters.downloadActive = false;
    return {failed, filtered, notFetched, skipped, std::move(failedUrls), tooLong};
}

}  // namespace albumora
