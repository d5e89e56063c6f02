// tarnwick-keypad-sim: a stand-in for the keypad on a JACK MIDI system, so the editor's
// direct MIDI functions can be tried and tested without the hardware. It registers one
// JACK client with a MIDI input "in" and a MIDI output "out"; connect the editor to it by
// choosing its name in "Choose MIDI Interface".
#include "keypad_protocol.h"
#include "platform/atomic_file.h"
#include "platform/version.h"
#include "preset/sysex.h"

#include <CLI/CLI.hpp>

#include <jack/jack.h>
#include <jack/midiport.h>
#include <jack/ringbuffer.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>

namespace {

using tarnwick::KeypadBehaviour;
using tarnwick::KeypadProtocol;
using Bytes = KeypadProtocol::Bytes;

const char* const kDescription =
    "tarnwick-keypad-sim: behaves like the Tarnwick keypad on a running JACK server: stores "
    "and acknowledges presets, answers the identity request, and takes firmware in upgrade "
    "mode.";
const char* const kFooter =
    "\nPrints \"ready\" once its ports are registered. Ends on SIGINT or SIGTERM; SIGUSR1 "
    "writes the --dump file at once.";

struct Options {
    std::string name = "Tarnwick Keypad";
    KeypadBehaviour behaviour;
    int replyDelayMs = 0;
    int repeatReplies = 1;
    double streamSeconds = 0;
    int streamSysExSize = 16;
    std::string dumpPath;
};

std::atomic<bool> g_stop{false};
std::atomic<bool> g_dump{false};

void onSignal(int signal) {
    if (signal == SIGUSR1) {
        g_dump = true;
    } else {
        g_stop = true;
    }
}

// Messages between the JACK process thread and the protocol thread, each as its size and
// its bytes, in a lock-free ring: the process thread never waits and never allocates.
class MessageRing {
public:
    MessageRing() : m_ring(jack_ringbuffer_create(kCapacity)) {}
    ~MessageRing() { jack_ringbuffer_free(m_ring); }
    MessageRing(const MessageRing&) = delete;
    MessageRing& operator=(const MessageRing&) = delete;

    // False (and nothing written) when the message does not fit.
    bool put(const std::uint8_t* data, std::uint32_t size) {
        if (jack_ringbuffer_write_space(m_ring) < sizeof size + size) {
            return false;
        }
        jack_ringbuffer_write(m_ring, reinterpret_cast<const char*>(&size), sizeof size);
        jack_ringbuffer_write(m_ring, reinterpret_cast<const char*>(data), size);
        return true;
    }
    std::size_t space() const { return jack_ringbuffer_write_space(m_ring); }
    // The size of the next message, or 0 until one is there whole: the writer puts its
    // size and its bytes in two steps.
    std::uint32_t nextSize() const {
        std::uint32_t size = 0;
        const std::size_t available = jack_ringbuffer_read_space(m_ring);
        if (available < sizeof size) {
            return 0;
        }
        jack_ringbuffer_peek(m_ring, reinterpret_cast<char*>(&size), sizeof size);
        return available >= sizeof size + size ? size : 0;
    }
    // Moves the next message into `into`, which holds nextSize() bytes.
    void take(std::uint8_t* into) {
        std::uint32_t size = 0;
        jack_ringbuffer_read(m_ring, reinterpret_cast<char*>(&size), sizeof size);
        jack_ringbuffer_read(m_ring, reinterpret_cast<char*>(into), size);
    }

private:
    static constexpr std::size_t kCapacity = 1 << 17; // room for dozens of firmware messages
    jack_ringbuffer_t* m_ring;
};

struct Ports {
    jack_port_t* in = nullptr;
    jack_port_t* out = nullptr;
    MessageRing inbox;
    MessageRing outbox;
    std::atomic<long> dropped{0}; // incoming messages the inbox had no room for
    bool everything = false;      // with --echo: every message in, as MIDI thru takes it
};

int process(jack_nframes_t frames, void* arg) {
    auto* ports = static_cast<Ports*>(arg);
    void* in = jack_port_get_buffer(ports->in, frames);
    const jack_nframes_t count = jack_midi_get_event_count(in);
    for (jack_nframes_t i = 0; i < count; ++i) {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, in, i) == 0 && event.size > 0 &&
            (event.buffer[0] == tarnwick::kSysExStart || ports->everything) &&
            !ports->inbox.put(event.buffer, std::uint32_t(event.size))) {
            ++ports->dropped;
        }
    }
    void* out = jack_port_get_buffer(ports->out, frames);
    jack_midi_clear_buffer(out);
    // What does not fit into this cycle waits for the next one.
    while (const std::uint32_t size = ports->outbox.nextSize()) {
        if (jack_midi_max_event_size(out) < size) {
            break;
        }
        jack_midi_data_t* event = jack_midi_event_reserve(out, 0, size);
        if (event == nullptr) {
            break;
        }
        ports->outbox.take(event);
    }
    return 0;
}

// Puts `message` into the outbox in pieces of at most kPieceSize bytes, waiting while
// there is no room, unless told to stop. A System Exclusive message longer than a JACK
// cycle can carry goes out in several events; the receiver joins them up to its F7.
bool send(MessageRing& outbox, const Bytes& message, bool wait) {
    constexpr std::size_t kPieceSize = 512;
    const std::size_t pieces = (message.size() + kPieceSize - 1) / kPieceSize;
    if (!wait && outbox.space() < message.size() + pieces * sizeof(std::uint32_t)) {
        return false; // not begun, so that no message goes out cut short
    }
    for (std::size_t at = 0; at < message.size(); at += kPieceSize) {
        const auto size = std::uint32_t(std::min(kPieceSize, message.size() - at));
        while (!outbox.put(message.data() + at, size)) {
            if (!wait || g_stop) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    return true;
}

// What --stream sends over and over: a System Exclusive message of `size` bytes that
// no program takes for an answer (a made-up manufacturer, zeros), and a note played.
std::vector<Bytes> streamMessages(int size) {
    Bytes sysEx(std::size_t(size), 0);
    sysEx.front() = tarnwick::kSysExStart;
    sysEx[1] = 0x7D;
    sysEx[2] = 0x7F;
    sysEx.back() = tarnwick::kSysExEnd;
    return {sysEx, {0x90, 60, 100}, {0x80, 60, 0}};
}

bool writeDump(const std::string& path, const KeypadProtocol& keypad) {
    const Bytes bank = keypad.memoryAsBank();
    tarnwick::AtomicFile file(path);
    if (!file.open() || !file.write(bank.data(), bank.size()) || !file.commit()) {
        std::fprintf(stderr, "tarnwick-keypad-sim: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

// The command line; nothing when the program should end at once with `exitCode`.
std::optional<Options> parse(int argc, char** argv, int& exitCode) {
    Options options;
    CLI::App app{kDescription};
    app.footer(kFooter);
    app.set_version_flag("--version", std::string("tarnwick-keypad-sim ") + tarnwick::kVersion);
    app.add_option("--name", options.name, "JACK client name")->capture_default_str();
    app.add_option("--identity", options.behaviour.identity,
                   "the 16-character text of the identity reply");
    app.add_flag("--upgrade-mode", options.behaviour.upgradeMode,
                 "the keypad is in upgrade mode: it acknowledges firmware");
    app.add_option("--stop-ack-at", options.behaviour.stopAcknowledgingAt,
                   "acknowledge no preset from preset number N (1-100) on")
        ->check(CLI::Range(1, 100));
    bool noIdentity = false;
    app.add_flag("--no-identity", noIdentity, "do not answer the identity request");
    app.add_flag("--standard-identity", options.behaviour.standardIdentity,
                 "answer with the 15-byte standard identity reply");
    app.add_flag("--echo", options.behaviour.echo,
                 "send every message straight back, SysEx or not, as a MIDI loop or a synth's "
                 "MIDI thru would");
    app.add_option("--reply-delay", options.replyDelayMs, "wait MS milliseconds before each answer")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--repeat-replies", options.repeatReplies,
                   "send every answer N times, as a keypad stuck in a loop would")
        ->check(CLI::Range(1, 1000000));
    app.add_option("--stream", options.streamSeconds,
                   "from the start, send System Exclusive and notes without pause for SECONDS")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--stream-sysex-size", options.streamSysExSize,
                   "the size in bytes of each System Exclusive message of --stream")
        ->check(CLI::Range(3, 1 << 20))
        ->capture_default_str();
    app.add_option("--dump", options.dumpPath,
                   "write the 100 presets as a bank file on exit and on SIGUSR1");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& help) {
        exitCode = app.exit(help);
        return std::nullopt;
    } catch (const CLI::CallForVersion& version) {
        exitCode = app.exit(version);
        return std::nullopt;
    } catch (const CLI::ParseError& error) {
        std::fprintf(stderr, "tarnwick-keypad-sim: %s (see --help)\n", error.what());
        exitCode = 2;
        return std::nullopt;
    }
    options.behaviour.answerIdentity = !noIdentity;
    return options;
}

} // namespace

int main(int argc, char** argv) {
    int exitCode = 0;
    const std::optional<Options> parsed = parse(argc, argv, exitCode);
    if (!parsed) {
        return exitCode;
    }
    const Options& options = *parsed;
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGUSR1, onSignal);

    jack_status_t status{};
    jack_client_t* client = jack_client_open(options.name.c_str(), JackNoStartServer, &status);
    if (client == nullptr) {
        std::fprintf(stderr, "tarnwick-keypad-sim: no JACK server is running (status 0x%x)\n",
                     unsigned(status));
        return 1;
    }
    Ports ports;
    ports.everything = options.behaviour.echo;
    ports.in = jack_port_register(client, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    ports.out = jack_port_register(client, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    if (ports.in == nullptr || ports.out == nullptr ||
        jack_set_process_callback(client, process, &ports) != 0 || jack_activate(client) != 0) {
        std::fprintf(stderr, "tarnwick-keypad-sim: cannot register the MIDI ports\n");
        jack_client_close(client);
        return 1;
    }
    std::printf("ready %s\n", jack_get_client_name(client));
    std::fflush(stdout);

    KeypadProtocol keypad(options.behaviour);
    const auto streamUntil = std::chrono::steady_clock::now() +
                             std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                 std::chrono::duration<double>(options.streamSeconds));
    const std::vector<Bytes> stream = streamMessages(options.streamSysExSize);
    long streamed = 0;
    while (!g_stop) {
        const std::uint32_t size = ports.inbox.nextSize();
        if (size != 0) {
            Bytes message(size);
            ports.inbox.take(message.data());
            for (const Bytes& reply : keypad.receive(message)) {
                if (options.replyDelayMs > 0) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(options.replyDelayMs));
                }
                for (int i = 0; i < options.repeatReplies && !g_stop; ++i) {
                    send(ports.outbox, reply, true);
                }
            }
        } else if (std::chrono::steady_clock::now() < streamUntil) {
            // Whatever the outbox takes: the JACK cycles carry all they can.
            while (send(ports.outbox, stream[std::size_t(streamed % 3)], false)) {
                ++streamed;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        if (g_dump.exchange(false) && !options.dumpPath.empty()) {
            writeDump(options.dumpPath, keypad);
            std::printf("dumped %d presets stored, preset %d selected\n", keypad.presetsStored(),
                        keypad.selectedPreset() + 1);
            std::fflush(stdout);
        }
    }
    jack_deactivate(client);
    jack_client_close(client);
    if (ports.dropped > 0) {
        std::fprintf(stderr, "tarnwick-keypad-sim: %ld incoming messages found no room\n",
                     ports.dropped.load());
    }
    if (streamed > 0) {
        std::fprintf(stderr, "tarnwick-keypad-sim: %ld messages streamed\n", streamed);
    }
    if (!options.dumpPath.empty()) {
        writeDump(options.dumpPath, keypad);
    }
    return 0;
}
