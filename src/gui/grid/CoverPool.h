#pragma once

#include <QImage>
#include <QSize>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "core/text/WideText.h"
#include "core/util/StopSignal.h"

namespace albumora {
class Workflow;
}

namespace albumora::gui {

// Fetches album covers on a few threads of its own, so that neither the list worker nor the
// window's thread waits for one. Each thread keeps its connections from cover to cover. A cover is
// saved as "tmp/<position>.jpg" in the settings folder and handed over stretched to the thumbnail
// size (every cell filled alike); covers arrive in whatever order the host answers.
class CoverPool {
public:
    struct Cover {
        int position = -1;
        WString url;   // the address asked for, to tell the cover from one of an album now gone
        QImage image;  // null when the cover could not be fetched or decoded
    };
    // Called on a pool thread for every request that was not cancelled.
    using Arrival = std::function<void(Cover)>;

    static constexpr int kThreads = 4;

    // `size` in device-independent pixels; covers are made `pixelRatio` times as large, so that
    // they stay sharp on scaled screens.
    CoverPool(const Workflow& workflow, QSize size, qreal pixelRatio, Arrival arrival);
    ~CoverPool();
    CoverPool(const CoverPool&) = delete;
    CoverPool& operator=(const CoverPool&) = delete;

    // Queues the cover of the album at `position`; the threads start with the first request.
    void Request(int position, WString url);
    // Drops the waiting requests and ends those in flight, whose covers are not handed over;
    // returns once no cover is being fetched.
    void Cancel();
    // Waits until every request made so far has been handed over or cancelled.
    void WaitUntilIdle();

private:
    void Run();
    QImage Fetch(int position, const WString& url) const;

    const Workflow& m_workflow;
    const QSize m_size;
    const qreal m_pixelRatio;
    const Arrival m_arrival;

    std::mutex m_mutex;
    std::condition_variable m_work;  // a request is waiting, or the pool closes
    std::condition_variable m_idle;  // a request ended
    std::deque<Cover> m_waiting;
    std::size_t m_inFlight = 0;
    bool m_closing = false;
    // Ends the transfers in flight at Cancel; raised only while m_inFlight drains.
    StopSignal m_stop;
    std::vector<std::thread> m_threads;
};

}  // namespace albumora::gui
