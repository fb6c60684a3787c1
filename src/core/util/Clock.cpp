#include "core/util/Clock.h"

namespace albumora {

void SystemClock::SleepFor(std::chrono::milliseconds duration, const StopSignal& stop) {
    if (duration.count() > 0) {
        stop.WaitFor(duration);
    }
}

SystemClock& SystemClock::Instance() {
    static SystemClock clock;
    return clock;
}

}  // namespace albumora
