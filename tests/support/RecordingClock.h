#pragma once

#include <chrono>
#include <mutex>
#include <vector>

#include "core/util/Clock.h"

namespace albumora::test {

// A clock that records the pauses asked of it instead of sleeping.
class RecordingClock final : public Clock {
public:
    void SleepFor(std::chrono::milliseconds duration, const StopSignal&) override {
        std::lock_guard lock(m_mutex);
        m_pauses.push_back(duration);
    }
    std::vector<std::chrono::milliseconds> pauses() const {
        std::lock_guard lock(m_mutex);
        return m_pauses;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::chrono::milliseconds> m_pauses;
};

}  // namespace albumora::test
