#include "core/util/Clock.h"

#include <thread>

namespace albumora {

void SystemClock::SleepFor(std::chrono::milliseconds duration) {
    if (duration.count() > 0) {
        std::this_thread::sleep_for(duration);
    }
}

SystemClock& SystemClock::Instance() {
    static SystemClock clock;
    return clock;
}

}  // namespace albumora
