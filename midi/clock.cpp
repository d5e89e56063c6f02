// The real clock.
#include "clock.h"

#include <thread>

namespace tarnwick {

void SystemClock::pause(Duration duration) {
    std::this_thread::sleep_for(duration);
}

Clock::TimePoint SystemClock::now() const {
    return std::chrono::steady_clock::now();
}

} // namespace tarnwick
