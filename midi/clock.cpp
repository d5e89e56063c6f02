// The real clock.
#include "clock.h"

#include <thread>

#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace tarnwick {

void SystemClock::pause(Duration duration) {
#ifdef __linux__
    // Linux lets a sleep overrun by the thread's timer slack (50 us by default), which
    // adds up over the many short pauses of a transfer. Ask for exact wake-ups.
    thread_local const bool exact = prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL) == 0;
    (void)exact;
#endif
    std::this_thread::sleep_for(duration);
}

Clock::TimePoint SystemClock::now() const {
    return std::chrono::steady_clock::now();
}

} // namespace tarnwick
