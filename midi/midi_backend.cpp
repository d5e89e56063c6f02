// The waits every user of an output shares.
#include "midi_backend.h"

namespace tarnwick {

namespace {

constexpr auto kPoll = std::chrono::milliseconds(1);

template <typename Done> bool waitUntil(Clock& clock, Clock::Duration limit, Done done) {
    const auto giveUp = clock.now() + limit;
    while (!done()) {
        if (clock.now() >= giveUp) {
            return false;
        }
        clock.pause(kPoll);
    }
    return true;
}

} // namespace

bool WaitUntilConnected(MidiBackend& backend, Clock& clock, Clock::Duration limit) {
    return waitUntil(clock, limit, [&backend] { return backend.outputConnected(); });
}

bool WaitUntilSent(MidiBackend& backend, Clock& clock, Clock::Duration limit) {
    return waitUntil(clock, limit, [&] { return !backend.outputBusy(clock.now()); });
}

} // namespace tarnwick
