#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/util/Clock.h"
#include "core/workflow/AlbumJournal.h"
#include "core/workflow/DownloadJob.h"
#include "core/workflow/SiteAdapters.h"
#include "core/workflow/WorkflowView.h"

namespace albumora {

class CookieStore;

// What the picture threads of one album did.
struct PictureFetchResult {
    std::uint32_t failed = 0;
    std::uint32_t filtered = 0;
    std::uint32_t notFetched = 0;
    std::uint32_t skipped = 0;
    std::vector<std::pair<WString, WString>> failedUrls;  // address and why
    std::uint32_t tooLong = 0;                            // among the failed: past the time bound
};

// Fetches the pictures of one collected album with up to the run's number of picture threads, and
// reports their progress; made for the album and gone with it. The picture threads share the job,
// the counters, the journal and the fresh addresses of expired links; the coordinator (the
// download worker) waits for them.
class PictureFetch {
public:
    struct Parts {
        DownloadJob& job;
        DownloadCounters& counters;
        AlbumJournal& journal;
        // Set when a picture's line could not be added to the journal.
        std::atomic<bool>& journalWriteFailed;
        // The interface that listed the album: its request options and fresh signed addresses.
        const SiteAdapter* adapter;
        const SiteWork& work;
        CookieStore* cookieStore;
        Clock& clock;
        WorkflowView& view;
    };

    explicit PictureFetch(const Parts& parts) : m_parts(parts) {}
    PictureFetch(const PictureFetch&) = delete;
    PictureFetch& operator=(const PictureFetch&) = delete;

    // On the download worker: returns once every picture has finished, or at a stop once the
    // pictures in flight have.
    PictureFetchResult Run();

private:
    // CutOff: a stop ended the picture's exchange; it is not done, and no failure of the site's.
    enum class PictureEnd { Saved, Skipped, Filtered, Failed, TooLong, CutOff };

    // Fetches picture `index` into its file, unless the journal shows it saved before and still
    // there; `why` says what went wrong when it failed.
    PictureEnd FetchPicture(std::size_t index, std::uint64_t generation, WString& why);
    // True when the journal has picture `index` under its present name, with its file still whole.
    bool AlreadySaved(std::size_t index, const DownloadJob::Picture& picture, const WString& target);
    // A fresh address for a picture whose signed one expired; empty when the site gives none.
    WString RenewedPictureUrl(const DownloadJob::Picture& picture);

    const Parts m_parts;
    // Fresh addresses of expired signed links, by renew key, and the pages asked for them, so that
    // one page is asked once by all the threads whose pictures it holds.
    std::mutex m_renewMutex;
    std::unordered_map<WString, WString> m_renewedUrls;
    std::unordered_set<WString> m_renewPagesAsked;
};

}  // namespace albumora
