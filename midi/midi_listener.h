// Listening to one MIDI input, apart from the keypad's send-and-answer cycles: a synth's
// panel, a controller, the keypad pressed by hand. The input is opened by name. On the MIDI
// system's thread (JACK's process thread, where waiting makes every audio program on the
// machine click) what arrives is only copied, with the time it arrived, into rings of a
// fixed size, without a lock or an allocation; the owner takes it from there on its own
// thread, where it is parsed and the messages wanted are kept. Listening never sends
// anything and never waits for the lock the cycles take turns with.
#pragma once

#include "message_ring.h"
#include "preset/midi_input.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tarnwick {

// What an open input hands its bytes to, on the MIDI system's thread. It returns at once:
// no lock, no allocation, nothing that may wait.
class MidiReceiver {
public:
    virtual void receive(const std::uint8_t* data, std::size_t size) noexcept = 0;

protected:
    ~MidiReceiver() = default;
};

// The MIDI system's inputs as a listener uses them. The real one runs on RtMidi.
class MidiInputs {
public:
    virtual ~MidiInputs() = default;
    // The inputs as the system names them now; our own ports never.
    virtual std::vector<std::string> names() = 0;
    // Connects to the input of that name; `receiver` gets its bytes until close().
    virtual bool open(const std::string& name, MidiReceiver& receiver) = 0;
    // Nothing reaches the receiver once this returns.
    virtual void close() = 0;
    // Whether the MIDI system the input belonged to has gone (a JACK server stopped).
    virtual bool systemLost() = 0;
    // After an open that failed: whether another program holds the input (WinMM).
    virtual bool portHeldElsewhere() { return false; }
};

// A message with the time its bytes arrived.
struct HeardMessage : MidiMessage {
    std::chrono::steady_clock::time_point arrived;
};

class MidiListener final : private MidiReceiver {
public:
    // Called on the owner's thread: whether a message is wanted.
    using Keep = std::function<bool(const MidiMessage&)>;

    // How many deliveries (one message each, as RtMidi hands them over) and bytes wait at
    // most; later ones are dropped, and counted, until the owner takes them. Three seconds
    // of a synth sending 10,000 messages a second.
    static constexpr std::size_t kQueueLimit = 32768;
    static constexpr std::size_t kQueueBytes = 512 * 1024;

    explicit MidiListener(MidiInputs& inputs);
    ~MidiListener();
    MidiListener(const MidiListener&) = delete;
    MidiListener& operator=(const MidiListener&) = delete;

    std::vector<std::string> inputs() { return m_inputs.names(); }
    // Starts listening to the input named `name` exactly; false when there is none of that
    // name or it would not open. Listening to another input first ends.
    bool open(const std::string& name, Keep keep);
    // After open() failed: whether another program holds the input (WinMM).
    bool inputHeldElsewhere() { return m_inputs.portHeldElsewhere(); }
    void close();
    bool isOpen() const { return !m_input.empty(); }
    const std::string& input() const { return m_input; }

    // Whether anything arrived since the last take: cheap, for a timer to ask often.
    bool waiting() const;
    // The messages wanted that arrived since the last take, oldest first.
    std::vector<HeardMessage> take();
    // How many deliveries were dropped for full rings since listening started.
    std::size_t dropped() const { return m_dropped.load(); }
    // False once the input, or the MIDI system it belonged to, has gone. Lists the inputs:
    // asked a few times a second, not for every message.
    bool inputPresent();

private:
    void receive(const std::uint8_t* data, std::size_t size) noexcept override;
    // Takes everything waiting, and forgets it.
    void drain();

    MidiInputs& m_inputs;
    MessageRing m_ring{kQueueLimit, kQueueBytes}; // the MIDI thread writes, the owner reads
    std::atomic<bool> m_listening{false};
    std::atomic<std::size_t> m_dropped{0};
    std::string m_input;
    Keep m_keep;
    MidiParser m_parser;             // the owner's thread only
    MessageRing::Message m_delivery; // the owner's thread only; its bytes kept for the next
};

} // namespace tarnwick
