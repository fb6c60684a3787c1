#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace albumora {

// A stop request that waits wake up for: raised from any thread, polled by transfers and waited on
// by pauses, so that a stop never sits out a pause between pages or attempts.
class StopSignal {
public:
    StopSignal() = default;
    StopSignal(const StopSignal&) = delete;
    StopSignal& operator=(const StopSignal&) = delete;

    void Raise();
    void Clear();
    bool raised() const { return m_raised.load(); }

    // Waits up to `duration`; true when the signal is raised (before or meanwhile).
    bool WaitFor(std::chrono::milliseconds duration) const;

    // A signal that is never raised, for callers that cannot be stopped.
    static const StopSignal& Never();

private:
    std::atomic<bool> m_raised{false};
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_wake;
};

}  // namespace albumora
