// What a harness finds wrong ends the run at once, so that libFuzzer keeps the input.
#pragma once

#include <cstdlib>

namespace tarnwick {

inline void FuzzCheck(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace tarnwick
