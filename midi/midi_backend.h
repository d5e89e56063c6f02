// The MIDI system as the port layer sees it: numbered output and input devices with
// names, one output and one input open at a time, SysEx out, SysEx in handed to a handler.
// The real one runs on RtMidi; tests use an in-process keypad.
#pragma once

#include "clock.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick {

using Bytes = std::vector<std::uint8_t>;

class MidiBackend {
public:
    // Called with each complete SysEx message that arrived, and when it arrived, on the
    // thread that uses the backend: from takeInput() and closeInput(), never from the MIDI
    // system's own thread.
    using SysExHandler =
        std::function<void(const std::uint8_t* data, std::size_t size, Clock::TimePoint arrived)>;

    virtual ~MidiBackend() = default;

    virtual int outputCount() = 0;
    virtual int inputCount() = 0;
    // The device's name, or nothing when it cannot be described.
    virtual std::optional<std::string> outputName(int index) = 0;
    virtual std::optional<std::string> inputName(int index) = 0;
    // An output's own name as the MIDI system gives it, for sending to any output (one
    // device may have several): on JACK "client:port", where outputName() is the client.
    virtual std::optional<std::string> outputPortName(int index) = 0;

    virtual bool openOutput(int index) = 0;
    // Input starts at once; `handler` receives SysEx until closeInput() returns.
    virtual bool openInput(int index, SysExHandler handler) = 0;
    // Hands the SysEx that arrived since the last call to the input's handler.
    virtual void takeInput() = 0;
    // Whether a message handed over now reaches the device. On a MIDI system that makes
    // new connections at the start of its next processing cycle, a message sent right
    // after opening would go out on the old, unconnected graph and be lost.
    virtual bool outputConnected() { return true; }
    // Hands one whole message to the output; false when the output refuses it.
    virtual bool send(const std::uint8_t* data, std::size_t size, Clock::TimePoint now) = 0;
    // Whether the output is still busy with the message handed over last.
    virtual bool outputBusy(Clock::TimePoint now) = 0;
    virtual void closeOutput() = 0;
    // Hands over what arrived, then stops the input. False while the input refuses to
    // close; the caller tries again.
    virtual bool closeInput() = 0;
    // After an open that failed: whether another program holds the port (WinMM).
    virtual bool portHeldElsewhere() { return false; }
};

// Waits, a millisecond at a time, until the open output's connection is in effect: false
// when it is not within `limit`.
bool WaitUntilConnected(MidiBackend& backend, Clock& clock, Clock::Duration limit);
// Waits until the output has finished with what it was handed last: false when it has not
// within `limit`.
bool WaitUntilSent(MidiBackend& backend, Clock& clock, Clock::Duration limit);

} // namespace tarnwick
