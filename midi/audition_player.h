// Plays a preset to any MIDI output, a synth or sound module: finds the output by its name
// each time, opens it, hands it the messages and closes it. Nothing comes back, so no
// answer is awaited and the keypad's interface is not touched.
#pragma once

#include "midi_backend.h"

#include <functional>
#include <string>
#include <vector>

namespace tarnwick {

class AuditionPlayer {
public:
    AuditionPlayer(MidiBackend& backend, Clock& clock);

    // The MIDI outputs as the system names them now; our own ports never.
    std::vector<std::string> outputs();
    // False when no output has that name, it would not open, or it refused a message.
    bool play(const std::string& output, const std::vector<Bytes>& messages);
    // After play() failed: whether another program holds the output (WinMM).
    bool outputHeldElsewhere() { return m_backend.portHeldElsewhere(); }

    // Told what each play is about to send (Learn takes no echo of it); empty: no one.
    void setSendingHook(std::function<void(const std::vector<Bytes>&)> hook) {
        m_sending = std::move(hook);
    }

    // How long a play waits for its connection before it fails: an output nobody is
    // connected to yet would swallow the messages without a word.
    static constexpr auto kConnectLimit = std::chrono::seconds(1);

private:
    MidiBackend& m_backend;
    Clock& m_clock;
    std::function<void(const std::vector<Bytes>&)> m_sending;
};

} // namespace tarnwick
