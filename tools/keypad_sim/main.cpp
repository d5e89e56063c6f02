// tarnwick-keypad-sim: a stand-in for the keypad on a JACK MIDI system, so the editor's
// direct MIDI functions can be tried and tested without the hardware. It registers one
// JACK client with a MIDI input "in" and a MIDI output "out"; connect the editor to it by
// choosing its name in "Choose MIDI Interface".
#include "keypad_protocol.h"

#include <jack/jack.h>
#include <jack/midiport.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>

namespace {

using tarnwick::KeypadBehaviour;
using tarnwick::KeypadProtocol;
using Bytes = KeypadProtocol::Bytes;

const char* const kUsage = R"(Usage: tarnwick-keypad-sim [OPTIONS]

Behaves like the Tarnwick keypad on a running JACK server: stores and acknowledges
presets, answers the identity request, and takes firmware in upgrade mode.

Options:
  --name NAME            JACK client name (default "Tarnwick Keypad")
  --identity TEXT        the 16-character text of the identity reply
  --upgrade-mode         the keypad is in upgrade mode: it acknowledges firmware
  --stop-ack-at N        acknowledge no preset from preset number N (1-100) on
  --no-identity          do not answer the identity request
  --standard-identity    answer with the 15-byte standard identity reply
  --echo                 send every message straight back, as a MIDI loop would
  --reply-delay MS       wait MS milliseconds before each answer
  --dump FILE            write the 100 presets as a bank file on exit and on SIGUSR1
  --help                 this text

Prints "ready" once its ports are registered. Ends on SIGINT or SIGTERM.
)";

struct Options {
    std::string name = "Tarnwick Keypad";
    KeypadBehaviour behaviour;
    int replyDelayMs = 0;
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

// Messages between the JACK process thread and the protocol thread.
class Mailbox {
public:
    void put(Bytes message) {
        {
            std::lock_guard lock(m_mutex);
            m_messages.push_back(std::move(message));
        }
        m_ready.notify_one();
    }
    bool take(Bytes& message, std::chrono::milliseconds wait) {
        std::unique_lock lock(m_mutex);
        if (!m_ready.wait_for(lock, wait, [this] { return !m_messages.empty(); })) {
            return false;
        }
        message = std::move(m_messages.front());
        m_messages.pop_front();
        return true;
    }
    // From the process thread: never waits for the lock.
    template <typename Fn> void drainNow(Fn&& fn) {
        std::unique_lock lock(m_mutex, std::try_to_lock);
        if (!lock.owns_lock()) {
            return;
        }
        while (!m_messages.empty() && fn(m_messages.front())) {
            m_messages.pop_front();
        }
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<Bytes> m_messages;
};

struct Ports {
    jack_port_t* in = nullptr;
    jack_port_t* out = nullptr;
    Mailbox inbox;
    Mailbox outbox;
};

int process(jack_nframes_t frames, void* arg) {
    auto* ports = static_cast<Ports*>(arg);
    void* in = jack_port_get_buffer(ports->in, frames);
    const jack_nframes_t count = jack_midi_get_event_count(in);
    for (jack_nframes_t i = 0; i < count; ++i) {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, in, i) == 0 && event.size > 0 && event.buffer[0] == 0xF0) {
            ports->inbox.put(Bytes(event.buffer, event.buffer + event.size));
        }
    }
    void* out = jack_port_get_buffer(ports->out, frames);
    jack_midi_clear_buffer(out);
    ports->outbox.drainNow([out](const Bytes& message) {
        return jack_midi_event_write(out, 0, message.data(), message.size()) == 0;
    });
    return 0;
}

bool writeDump(const std::string& path, const KeypadProtocol& keypad) {
    const Bytes bank = keypad.memoryAsBank();
    const std::string temporary = path + ".part";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(bank.data()), std::streamsize(bank.size()));
        if (!file) {
            std::fprintf(stderr, "tarnwick-keypad-sim: cannot write %s\n", path.c_str());
            return false;
        }
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

bool parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&]() -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "tarnwick-keypad-sim: %s needs a value\n", arg.c_str());
                std::exit(2);
            }
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            std::exit(0);
        } else if (arg == "--name") {
            options.name = value();
        } else if (arg == "--identity") {
            options.behaviour.identity = value();
        } else if (arg == "--upgrade-mode") {
            options.behaviour.upgradeMode = true;
        } else if (arg == "--stop-ack-at") {
            options.behaviour.stopAcknowledgingAt = std::atoi(value());
        } else if (arg == "--no-identity") {
            options.behaviour.answerIdentity = false;
        } else if (arg == "--standard-identity") {
            options.behaviour.standardIdentity = true;
        } else if (arg == "--echo") {
            options.behaviour.echo = true;
        } else if (arg == "--reply-delay") {
            options.replyDelayMs = std::atoi(value());
        } else if (arg == "--dump") {
            options.dumpPath = value();
        } else {
            std::fprintf(stderr, "tarnwick-keypad-sim: unknown option %s (see --help)\n",
                         arg.c_str());
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options)) {
        return 2;
    }
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
    while (!g_stop) {
        Bytes message;
        if (ports.inbox.take(message, std::chrono::milliseconds(10))) {
            for (Bytes& reply : keypad.receive(message)) {
                if (options.replyDelayMs > 0) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(options.replyDelayMs));
                }
                ports.outbox.put(std::move(reply));
            }
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
    if (!options.dumpPath.empty()) {
        writeDump(options.dumpPath, keypad);
    }
    return 0;
}
