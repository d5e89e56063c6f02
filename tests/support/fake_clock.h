// Virtual time: pauses advance the clock at once and are recorded, nothing sleeps.
#pragma once

#include "clock.h"

#include <functional>
#include <vector>

namespace tarnwick::testing {

class FakeClock final : public Clock {
public:
    std::vector<Duration> pauses;
    TimePoint current{};
    std::function<void(TimePoint)> onAdvance; // what happens meanwhile, e.g. a late reply

    void pause(Duration duration) override {
        pauses.push_back(duration);
        current += duration;
        if (onAdvance) {
            onAdvance(current);
        }
    }
    TimePoint now() const override { return current; }

    Duration totalPaused() const {
        Duration total{};
        for (Duration d : pauses) {
            total += d;
        }
        return total;
    }
};

} // namespace tarnwick::testing
