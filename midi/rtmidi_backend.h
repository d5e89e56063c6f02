// The real MIDI system through RtMidi: the ALSA sequencer on Linux where there is one,
// else a running JACK server; WinMM and CoreMIDI elsewhere. A machine with no MIDI
// system at all simply has no devices.
#pragma once

#include "message_ring.h"
#include "midi_backend.h"

#include <array>
#include <atomic>
#include <future>
#include <memory>

class RtMidiIn;
class RtMidiOut;

namespace tarnwick {

class JackGraphWatch;

// The MIDI system our ports open on, as an RtMidi::Api: on Linux the ALSA sequencer where
// there is one, else a running JACK server; the platform's own elsewhere. Nothing when
// the machine has no MIDI system. `clientName` names the probe of a JACK server.
std::optional<int> MidiApiToUse(const std::string& clientName);

// On JACK a device's input and output are ports of its client ("Keypad:in",
// "Keypad:out"); a program with two clients gets "-01" appended to the second one's
// name. The interface name is the client name without that suffix.
std::string JackInterfaceName(const std::string& portName);

enum class MidiSystemKind { Alsa, Jack, WinMM, Other };

// The name under which a port is offered and found again. On ALSA a port's name ends in
// its sequencer address ("TWK-5:TWK-5 MIDI 1 24:0"), whose client number changes when
// the device is plugged in again: the name is taken without it. On JACK it is the client
// name without its "-NN" suffix. On Windows (WinMM) it is the name without the number RtMidi
// appends, the port's index, which differs between a device's input and output.
std::string InterfaceName(MidiSystemKind system, const std::string& portName);

// The name an input is listened to by (learn, monitor), kept across restarts and re-plugs:
// on JACK the whole port name ("Synth:out"; a client may have several outputs), elsewhere
// the interface's name, so that TARNWICK_INPUT still finds it when devices are reordered.
std::string InputName(MidiSystemKind system, const std::string& portName);

// The kind of system RtMidi opened (an RtMidi::Api).
MidiSystemKind SystemKindOf(int api);

// Lets go of an object of a JACK server that has gone without a call on it: libjack may
// crash when a client of a dead server unregisters a port or closes, so it is kept,
// untouched, for as long as the program runs.
void AbandonDeadClient(const void* object);
template <typename T> void AbandonDeadClient(std::unique_ptr<T>& object) {
    AbandonDeadClient(static_cast<const void*>(object.release()));
}

// Whether a port belongs to one of our own programs (this one, named `clientName`, the
// editor or tarnwick-syx): they are never offered as MIDI interfaces.
bool IsOwnPort(MidiSystemKind system, const std::string& portName, const std::string& clientName);

// How long the output counts as busy with a message of `bytes` bytes: the time it takes
// on a 31,250-baud MIDI line (320 us a byte), plus 50 ms for the keypad to answer.
Clock::Duration MessageOutputTime(std::size_t bytes);

class RtMidiBackend final : public MidiBackend {
public:
    // What one RtMidi object reported since it was last asked. RtMidi reports on the thread
    // that made the failing call (a closing thread too), so the record is atomic.
    struct PortErrors {
        std::atomic<bool> failed{false};
        std::atomic<bool> warned{false};
        // Whether it failed (or, when `warnings` count, warned) since last asked.
        bool take(bool warnings = false) {
            const bool warnedNow = warned.exchange(false);
            return failed.exchange(false) || (warnings && warnedNow);
        }
    };

    // How many SysEx messages, and bytes, the input holds between two takes; more are lost.
    static constexpr std::size_t kArrivalLimit = 1024;
    static constexpr std::size_t kArrivalBytes = 256 * 1024;

    // Touches no MIDI system until a device is first asked for.
    explicit RtMidiBackend(std::string clientName = "Tarnwick Editor");
    ~RtMidiBackend() override;

    // Which MIDI system is in use ("ALSA", "JACK", ...), or "none".
    std::string systemName();

    int outputCount() override;
    int inputCount() override;
    std::optional<std::string> outputName(int index) override;
    std::optional<std::string> inputName(int index) override;
    std::optional<std::string> outputPortName(int index) override;
    bool openOutput(int index) override;
    bool openInput(int index, SysExHandler handler) override;
    void takeInput() override;
    bool outputConnected() override;
    bool send(const std::uint8_t* data, std::size_t size, Clock::TimePoint now) override;
    bool outputBusy(Clock::TimePoint now) override;
    void closeOutput() override;
    bool closeInput() override;
    bool portHeldElsewhere() override { return m_heldElsewhere; }

private:
    // Finds the MIDI system the first time it is needed, and again while there is none,
    // so that a JACK server started after the editor is found.
    bool ensureSystem();
    // Lets go of every RtMidi object, which failed to be built.
    void dropSystem();
    // Whether the JACK server our clients belong to has stopped or died.
    bool serverLost() const;
    // Puts every RtMidi object of a server that has gone out of use without a call on it.
    void abandonSystem();
    static void onMessage(double timeStamp, std::vector<unsigned char>* message, void* self);
    // The ports of the MIDI system that are not ours, as last listed, with their names as
    // the system gives them; the index into this list is the device index.
    struct Listing {
        std::vector<unsigned> ports;
        std::vector<std::string> names;
    };
    // Lists the ports anew; their number, 0 when the MIDI system fails.
    template <typename Port> int list(Port& port, Listing& listing);
    static std::optional<std::string> nameIn(const Listing& listing, int index,
                                             MidiSystemKind kind);
    // The system's port number of device `index`, when it still carries the listed name.
    template <typename Port>
    static std::optional<unsigned> portOf(Port& port, const Listing& listing, int index);

    // Outputs close in the background and take turns: while one closes, the next message
    // goes out through the other. Listing uses an output of its own.
    //
    // On JACK the ports are not closed between messages: a new connection takes effect
    // only from a later server cycle, and making one for every message would cost a cycle
    // or two each time. One output and the input stay connected while the messages go
    // to the same device, and are closed and connected anew when it changes or its
    // connections were removed. A "closed" input passes nothing on.
    struct Output {
        PortErrors errors; // outlives the port that reports to it
        std::unique_ptr<RtMidiOut> port;
        std::future<void> closing;
        std::string target; // the device's port name as the MIDI system gives it
    };
    Output& waitForOutput(std::size_t which);
    static void releaseOutput(Output& output);
    void releaseInput();

    std::string m_clientName;
    int m_api = 0;
    MidiSystemKind m_kind = MidiSystemKind::Other;
    Listing m_outputList;
    Listing m_inputList;
    PortErrors m_listerErrors; // declared before the ports that report to them
    PortErrors m_inErrors;
    bool m_heldElsewhere = false; // the last open failed for another program's hold
    std::unique_ptr<RtMidiOut> m_lister;
    std::array<Output, 2> m_outputs;
    std::size_t m_current = 0;
    bool m_outputOpen = false;
    // What the input hears waits in a ring that the MIDI thread writes without waiting
    // (declared before the input, whose callback writes it, so as to outlive it). Each
    // opening has a number; the ring's messages carry the one listened to when they
    // arrived, so nothing from an earlier opening (on a connection kept) passes for a reply.
    MessageRing m_arrivals{kArrivalLimit, kArrivalBytes};
    std::atomic<std::uint32_t> m_listeningTo{0}; // 0: nothing passes
    std::uint32_t m_openings = 0;
    MessageRing::Message m_arrival;
    std::unique_ptr<RtMidiIn> m_in;
    std::string m_inputSource; // the device's port name the input is connected to
    SysExHandler m_handler;
    Clock::TimePoint m_finishedAt{};

    // On JACK only: tells when a new connection is in effect and whether one still is.
    std::unique_ptr<JackGraphWatch> m_jackGraph;
};

// An RtMidi input on `api` (an RtMidi::Api) reporting its errors to `errors`, made quietly;
// nothing when the MIDI system refuses it.
std::unique_ptr<RtMidiIn> MakeRtMidiIn(int api, const std::string& clientName,
                                       RtMidiBackend::PortErrors& errors);

} // namespace tarnwick
