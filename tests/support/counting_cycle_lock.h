// The cycle lock as a counter: what the port layer takes and gives back, and another
// program's cycle to wait for, or waiting for its turn, on request.
#pragma once

#include "cycle_lock.h"

namespace tarnwick::testing {

struct CountingCycleLock final : CycleLock {
    int refusals = 0; // times another program holds the lock; -1: always
    int held = 0;
    bool othersWaiting = false; // another program waits for its turn
    int stoppedWaiting = 0;

    bool tryLock() override {
        if (refusals != 0) {
            refusals -= refusals > 0 ? 1 : 0;
            return false;
        }
        ++held;
        return true;
    }
    bool unlock() override {
        --held;
        return othersWaiting;
    }
    void stopWaiting() override { ++stoppedWaiting; }
};

} // namespace tarnwick::testing
