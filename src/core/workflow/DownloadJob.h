#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "core/settings/PersistentSettings.h"
#include "core/text/WideText.h"
#include "core/util/StopSignal.h"

namespace albumora {

// The pictures of the album being downloaded: one for each download run, refilled by the run for
// every album and read by the picture threads. Each refill starts a new generation, so a picture thread left
// over from a stopped album can tell that its entry is gone instead of fetching a picture of the next album.
class DownloadJob {
public:
    struct Picture {
        WString url;            // an address, or an address, CR LF and a fallback address
        WString fileName;       // relative to the album folder, or absolute when it starts with '/'
        WString requestHeader;  // extra request-header text; empty for none
        WString renewKey;       // where the site gives a fresh address once a signed one expired
    };

    DownloadJob() = default;
    DownloadJob(const DownloadJob&) = delete;
    DownloadJob& operator=(const DownloadJob&) = delete;

    // Empties the lists and starts a new generation.
    void Clear();

    void AppendPicture(WString url, WString fileName, WString requestHeader = {}, WString renewKey = {});

    // False past the end.
    bool SetFileName(std::size_t index, WString fileName);

    // A copy of entry `index`; nullopt past the end, or when the job has been cleared since
    // `generation` was read.
    std::optional<Picture> PictureAt(std::size_t index) const;
    std::optional<Picture> PictureAt(std::size_t index, std::uint64_t generation) const;

    std::size_t size() const;
    std::uint64_t generation() const;

    // Every picture URL in job order (list file), without a copy of them all, for boards of many
    // thousand pictures; `visit` must not call back into the job.
    void ForEachPictureUrl(const std::function<void(const WString&)>& visit) const;

    // The folder of the current album, ending in '/'.
    void SetAlbumFolder(WString folder);
    WString AlbumFolder() const;

    // Where entry `index` is saved: its absolute name as it is, else the album folder and the name.
    std::optional<WString> TargetPath(std::size_t index) const;

private:
    std::optional<Picture> EntryLocked(std::size_t index) const;

    // Few pictures carry a request header or a renew key: they are kept apart, so that a board of
    // 100,000 pins does not hold two empty strings for each.
    struct Rare {
        WString requestHeader;
        WString renewKey;
    };
    struct Entry {
        WString url;
        WString fileName;
        std::unique_ptr<const Rare> rare;
    };

    mutable std::mutex m_mutex;
    std::vector<Entry> m_entries;
    WString m_albumFolder;
    std::uint64_t m_generation = 0;
};

// Counters and flags beside the job, shared by the download worker, its coordinator and the picture
// threads; the copies are taken from the current site's parameters when a run starts.
struct DownloadCounters {
    std::atomic<std::uint32_t> finishedCount{0};
    StopSignal stopRequested;
    // Wakes the coordinator: a picture finished, or the stop was pressed.
    std::mutex coordinatorMutex;
    std::condition_variable coordinatorWake;
    std::atomic<bool> downloadActive{false};
    std::atomic<std::uint32_t> activeThreadCount{0};
    std::atomic<std::uint32_t> timeoutSec{0};
    std::atomic<std::uint32_t> minSizeK{0};
    std::atomic<std::uint32_t> maxSizeK{0};
    std::atomic<std::uint32_t> pictureSecondsLimit{0};  // 0: none

    // Raises the stop and wakes the coordinator from its wait.
    void RaiseStop() {
        stopRequested.Raise();
        std::lock_guard lock(coordinatorMutex);
        coordinatorWake.notify_all();
    }

    void CopyParams(const SiteDownloadParams& params) {
        activeThreadCount = params.threadCount;
        timeoutSec = params.timeoutSec;
        minSizeK = params.minSizeK;
        maxSizeK = params.maxSizeK;
    }
};

}  // namespace albumora
