#pragma once

#include <chrono>

#include "core/util/Clock.h"

namespace albumora::test {

// A clock whose pauses take no time: for runs that measure or show something other than the
// sites' etiquette.
class NoPauseClock final : public Clock {
public:
    void SleepFor(std::chrono::milliseconds, const StopSignal&) override {}
};

}  // namespace albumora::test
