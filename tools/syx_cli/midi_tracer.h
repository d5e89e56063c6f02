// The MIDI system with every message written down: what goes out and what comes in, as
// hex with the milliseconds since the start, the way amidi -d shows a device's traffic.
#pragma once

#include "midi_backend.h"

#include <chrono>
#include <ostream>

namespace tarnwick {

class MidiTracer final : public MidiBackend {
public:
    // Writes to `log`, or passes everything on silently when it is null.
    MidiTracer(MidiBackend& backend, std::ostream* log);

    int outputCount() override { return m_backend.outputCount(); }
    int inputCount() override { return m_backend.inputCount(); }
    std::optional<std::string> outputName(int index) override {
        return m_backend.outputName(index);
    }
    std::optional<std::string> inputName(int index) override { return m_backend.inputName(index); }
    std::optional<std::string> outputPortName(int index) override {
        return m_backend.outputPortName(index);
    }
    bool openOutput(int index) override { return m_backend.openOutput(index); }
    bool openInput(int index, SysExHandler handler) override;
    void takeInput() override { m_backend.takeInput(); }
    bool outputConnected() override { return m_backend.outputConnected(); }
    bool send(const std::uint8_t* data, std::size_t size, Clock::TimePoint now) override;
    bool outputBusy(Clock::TimePoint now) override { return m_backend.outputBusy(now); }
    void closeOutput() override { m_backend.closeOutput(); }
    bool closeInput() override { return m_backend.closeInput(); }
    bool portHeldElsewhere() override { return m_backend.portHeldElsewhere(); }

private:
    // `at`: when the message went out, or arrived.
    void write(const char* direction, const std::uint8_t* data, std::size_t size,
               Clock::TimePoint at);

    MidiBackend& m_backend;
    std::ostream* m_log;
    const std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

} // namespace tarnwick
