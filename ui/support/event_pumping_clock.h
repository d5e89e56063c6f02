// The clock the editor runs on: its pauses keep the windows painting (user input stays
// queued), so the desktop never takes the editor for hung during a long transfer.
#pragma once

#include "clock.h"

namespace tarnwick {

class EventPumpingClock final : public Clock {
public:
    void pause(Duration duration) override;
    TimePoint now() const override { return m_clock.now(); }

private:
    SystemClock m_clock;
};

} // namespace tarnwick
