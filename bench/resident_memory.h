// The resident memory of this process, for the benchmarks that count what they keep.
#pragma once

#include <fstream>

namespace tarnwick {

// In KiB, from /proc/self/statm (Linux); 0 elsewhere.
inline long ResidentKiB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return resident * 4;
}

} // namespace tarnwick
