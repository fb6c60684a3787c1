#pragma once

#include <chrono>

#include "core/util/StopSignal.h"

namespace albumora {

// The source of every deliberate pause (between attempts, between pages), so that tests can run
// the real code paths without waiting.
class Clock {
public:
    virtual ~Clock() = default;
    // Pauses for `duration`, or until `stop` is raised, whichever comes first.
    virtual void SleepFor(std::chrono::milliseconds duration, const StopSignal& stop) = 0;
};

// Really sleeps.
class SystemClock final : public Clock {
public:
    void SleepFor(std::chrono::milliseconds duration, const StopSignal& stop) override;
    static SystemClock& Instance();
};

}  // namespace albumora
