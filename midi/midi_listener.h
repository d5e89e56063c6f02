// Listening to one MIDI input, apart from the keypad's send-and-answer cycles: a synth's
// panel, a controller, the keypad pressed by hand. The input is opened by name; what it
// receives is parsed on the MIDI system's thread, the messages wanted are queued there and
// taken from the queue on the listener's own thread. Listening never sends anything and
// never waits for the lock the cycles take turns with.
#pragma once

#include "midi_input.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick {

// The MIDI system's inputs as a listener uses them. The real one runs on RtMidi.
class MidiInputs {
public:
    // Called on the MIDI system's thread with the bytes of one or more messages.
    using Receiver = std::function<void(const std::uint8_t* data, std::size_t size)>;

    virtual ~MidiInputs() = default;
    // The inputs as the system names them now; our own ports never.
    virtual std::vector<std::string> names() = 0;
    // Connects to the input of that name; `receiver` gets its bytes until close().
    virtual bool open(const std::string& name, Receiver receiver) = 0;
    // Nothing reaches the receiver once this returns.
    virtual void close() = 0;
    // Whether the MIDI system the input belonged to has gone (a JACK server stopped).
    virtual bool systemLost() = 0;
};

class MidiListener {
public:
    // Called on the MIDI system's thread: whether a message is wanted. Keep it cheap: a
    // synth's clock and notes pass through it by the thousand.
    using Keep = std::function<bool(const MidiMessage&)>;
    // Called on the MIDI system's thread when the queue gets a message while empty: the
    // owner then takes the queue on its own thread.
    using Wake = std::function<void()>;

    // How many messages wait at most; later ones are dropped until the queue is taken.
    static constexpr std::size_t kQueueLimit = 4096;

    explicit MidiListener(MidiInputs& inputs);
    ~MidiListener();
    MidiListener(const MidiListener&) = delete;
    MidiListener& operator=(const MidiListener&) = delete;

    std::vector<std::string> inputs() { return m_inputs.names(); }
    // Starts listening to the input named `name` exactly; false when there is none of that
    // name or it would not open. Listening to another input first ends.
    bool open(const std::string& name, Keep keep, Wake wake);
    void close();
    bool isOpen() const { return !m_input.empty(); }
    const std::string& input() const { return m_input; }

    // The messages queued since the last take, oldest first.
    std::vector<MidiMessage> take();
    // How many messages were dropped for a full queue since listening started.
    std::size_t dropped();
    // False once the input, or the MIDI system it belonged to, has gone. Lists the inputs:
    // asked a few times a second, not for every message.
    bool inputPresent();

private:
    void receive(const std::uint8_t* data, std::size_t size);

    MidiInputs& m_inputs;
    std::string m_input;
    MidiParser m_parser; // used on the MIDI thread only, under m_mutex
    std::mutex m_mutex;
    Keep m_keep;
    Wake m_wake;
    std::vector<MidiMessage> m_queue;
    std::size_t m_dropped = 0;
};

} // namespace tarnwick
