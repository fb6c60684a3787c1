#pragma once

#include <chrono>

namespace albumora {

// The source of every deliberate pause (between attempts, between pages), so that tests can run
// the real code paths without waiting.
class Clock {
public:
    virtual ~Clock() = default;
    virtual void SleepFor(std::chrono::milliseconds duration) = 0;
};

// Really sleeps.
class SystemClock final : public Clock {
public:
    void SleepFor(std::chrono::milliseconds duration) override;
    static SystemClock& Instance();
};

}  // namespace albumora
