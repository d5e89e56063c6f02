// Decides when a loop that steps through the presets shows the current one: at most at
// an animation's frame rate. Faster steps cannot be seen, and loading and painting the
// whole window for each of 100 presets would take longer than the loop's own work.
#pragma once

#include "clock.h"

#include <chrono>

namespace tarnwick {

class FrameThrottle {
public:
    explicit FrameThrottle(const Clock& clock) : m_clock(clock) {}

    // True for the first step and then once per frame.
    bool frameDue() {
        constexpr auto kFrame = std::chrono::milliseconds(40); // 25 pictures a second
        const auto now = m_clock.now();
        if (!m_started || now - m_last >= kFrame) {
            m_started = true;
            m_last = now;
            return true;
        }
        return false;
    }

private:
    const Clock& m_clock;
    bool m_started = false;
    Clock::TimePoint m_last{};
};

} // namespace tarnwick
