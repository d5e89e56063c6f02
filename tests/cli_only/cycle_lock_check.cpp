// The lock between our programs, as the command-line build has it on each system (flock,
// on Windows LockFileEx): two holders on the same files take turns, a waiter is seen, and
// a wait mark asked for again is let go of once. Plain C++, so that a cross-built copy runs
// where the Qt tests cannot (under wine).
#include "cycle_lock.h"

#include <cstdio>
#include <filesystem>
#include <string>

int main() {
    const std::string stem =
        (std::filesystem::temp_directory_path() / "tarnwick-lock-check").string();
    tarnwick::FileCycleLock a(stem);
    tarnwick::FileCycleLock b(stem);
    int failed = 0;
    const auto expect = [&failed](const char* what, bool got, bool wanted) {
        std::printf("%-40s %s\n", what, got == wanted ? "ok" : "WRONG");
        failed += got == wanted ? 0 : 1;
    };
    expect("the first takes the lock", a.tryLock(), true);
    expect("the second cannot", b.tryLock(), false);
    expect("nor when it asks again", b.tryLock(), false);
    expect("the first lets go and sees a waiter", a.unlock(), true);
    expect("the second takes it", b.tryLock(), true);
    expect("the first cannot now", a.tryLock(), false);
    a.stopWaiting();
    expect("the second lets go, nobody waits", b.unlock(), false);
    expect("the first takes it again", a.tryLock(), true);
    expect("and lets go, nobody waits", a.unlock(), false);
    return failed == 0 ? 0 : 1;
}
