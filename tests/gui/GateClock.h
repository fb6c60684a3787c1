#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "core/util/Clock.h"

namespace albumora::test {

// A clock that never sleeps, and can hold the worker at one of its pauses until the test lets it go,
// so that a test sees the window while a fetch is half done.
class GateClock final : public Clock {
public:
    // Pause `number` (counted from 1) waits until Release().
    void HoldAtPause(int number) {
        std::lock_guard lock(m_mutex);
        m_holdAt = number;
        m_released = false;
    }
    bool holding() const {
        std::lock_guard lock(m_mutex);
        return m_holding;
    }
    void Release() {
        std::lock_guard lock(m_mutex);
        m_released = true;
        m_wake.notify_all();
    }
    int pauses() const {
        std::lock_guard lock(m_mutex);
        return m_pauses;
    }

    // A held pause ends, as a real one does, when the stop is raised.
    void SleepFor(std::chrono::milliseconds, const StopSignal& stop) override {
        std::unique_lock lock(m_mutex);
        if (++m_pauses == m_holdAt) {
            m_holding = true;
            while (!m_wake.wait_for(lock, std::chrono::milliseconds(5), [this] { return m_released; }) &&
                   !stop.raised()) {
            }
            m_holding = false;
        }
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    int m_pauses = 0;
    int m_holdAt = 0;
    bool m_holding = false;
    bool m_released = false;
};

}  // namespace albumora::test
