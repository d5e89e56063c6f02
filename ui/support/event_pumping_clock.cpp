// Pausing in short slices with window events handled between them.
#include "support/event_pumping_clock.h"

#include <QCoreApplication>

#include <algorithm>

namespace tarnwick {

void EventPumpingClock::pause(Duration duration) {
    using namespace std::chrono_literals;
    constexpr Duration kSlice = 20ms;
    const TimePoint deadline = now() + duration;
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        const TimePoint current = now();
        if (current >= deadline) {
            return;
        }
        m_clock.pause(std::min(kSlice, std::chrono::duration_cast<Duration>(deadline - current)));
    }
}

} // namespace tarnwick
