// The MIDI system's inputs through RtMidi, for listening: every kind of message passes
// (SysEx, clock and active sensing included) and is handed on as it comes. One input is
// open at a time, on a client of its own, apart from the keypad's.
#pragma once

#include "midi_listener.h"
#include "rtmidi_backend.h"

#include <atomic>
#include <memory>

class RtMidiIn;

namespace tarnwick {

class RtMidiInputs final : public MidiInputs {
public:
    // Touches no MIDI system until the inputs are first asked for.
    explicit RtMidiInputs(std::string clientName);
    ~RtMidiInputs() override;
    RtMidiInputs(const RtMidiInputs&) = delete;
    RtMidiInputs& operator=(const RtMidiInputs&) = delete;

    // As InputName gives them: on JACK "client:port"; on ALSA "client:port" without its
    // sequencer address; on Windows the device's name without the index RtMidi appends.
    std::vector<std::string> names() override;
    bool open(const std::string& name, MidiReceiver& receiver) override;
    void close() override;
    bool systemLost() override;
    bool portHeldElsewhere() override { return m_heldElsewhere; }

private:
    // Finds the MIDI system the first time it is needed, and again after it went away.
    bool ensureSystem();
    // Lets go of the port of a JACK server that has gone, without a call on it.
    void abandon();
    // The system's port number of each input listed, with the name it is offered under.
    std::vector<std::pair<unsigned, std::string>> listing();
    static void onMessage(double timeStamp, std::vector<unsigned char>* message, void* self);

    std::string m_clientName;
    MidiSystemKind m_kind = MidiSystemKind::Other;
    RtMidiBackend::PortErrors m_errors; // declared before the port that reports to it
    bool m_heldElsewhere = false;       // the last open failed for another program's hold
    std::unique_ptr<RtMidiIn> m_in;
    std::unique_ptr<JackGraphWatch> m_jack; // on JACK only: hears the server go
    // Read by RtMidi's callback without a lock: close() clears it, then waits on its own
    // thread until no callback is still handing bytes to the receiver.
    std::atomic<MidiReceiver*> m_receiver{nullptr};
    std::atomic<int> m_delivering{0};
};

} // namespace tarnwick
