// Pauses and the current time, behind an interface so that tests run on virtual time
// instead of sleeping.
#pragma once

#include <chrono>

namespace tarnwick {

class Clock {
public:
    using Duration = std::chrono::microseconds;
    using TimePoint = std::chrono::steady_clock::time_point;

    virtual ~Clock() = default;
    virtual void pause(Duration duration) = 0;
    virtual TimePoint now() const = 0;
};

// The machine's monotonic clock; pauses block the calling thread.
class SystemClock final : public Clock {
public:
    void pause(Duration duration) override;
    TimePoint now() const override;
};

} // namespace tarnwick
