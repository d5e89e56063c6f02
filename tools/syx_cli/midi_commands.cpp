// The MIDI commands of tarnwick-syx.
#include "commands.h"

#include "audition_player.h"
#include "cli_support.h"
#include "clock.h"
#include "cycle_lock.h"
#include "firmware_sender.h"
#include "midi_tracer.h"
#include "port_in_use.h"
#include "port_layer.h"
#include "preset/audition.h"
#include "preset/firmware_file.h"
#include "preset/syx_file.h"
#include "rtmidi_backend.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <memory>
#include <sstream>
#include <thread>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace tarnwick::cli {

namespace {

struct PlayOptions {
    std::string to;
    int preset = 0; // 1 to 100; 0: the file's only preset
    bool all = false;
    int intervalMs = 0; // with --all: the pause between presets; 0: wait for Enter
    bool verbose = false;
};

struct Arguments {
    std::string port;
    std::string file;
    bool verbose = false;
    bool asJson = false;
    PlayOptions play;
};

// The MIDI commands share this: the interface list, the one the user named, and with
// --verbose every message on the wire.
class Keypad {
public:
    explicit Keypad(bool verbose)
        : m_tracer(m_backend, verbose ? &std::cerr : nullptr),
          m_ports(m_tracer, m_clock, m_cycleLock) {
        m_ports.refreshInterfaces();
    }
    MidiPortLayer& ports() { return m_ports; }

    // Selects the interface `wanted` names (see matchName).
    int select(const std::string& wanted) {
        if (wanted.empty()) {
            return usageError("which MIDI interface? Give --port, or set TARNWICK_PORT");
        }
        std::vector<std::string> names;
        for (const MidiPortPair& pair : m_ports.interfaceList()) {
            names.push_back(pair.name);
        }
        const NameMatch match =
            matchName(names, wanted, "MIDI interface", "ports",
                      std::string(": ") + DownloadResultText(TransferResult::NoInterface).text);
        if (match.result == kOk) {
            m_ports.setSelectedInterface(int(match.index));
        }
        return match.result;
    }

    // What a transfer that ended with `text` for `result` tells: a port another program
    // holds is said as such.
    std::string failure(TransferResult result, const char* text) {
        if (result == TransferResult::PortsUnavailable && m_backend.portHeldElsewhere()) {
            return PortInUseText(
                m_ports.interfaceList()[std::size_t(m_ports.selectedInterface())].name);
        }
        return text;
    }

private:
    RtMidiBackend m_backend{"tarnwick-syx"};
    MidiTracer m_tracer;
    SystemClock m_clock;
    FileCycleLock m_cycleLock; // turns with the editor and other runs of ours
    MidiPortLayer m_ports;
};

// The MIDI outputs, for playing presets to a synth.
class Outputs {
public:
    explicit Outputs(bool verbose)
        : m_tracer(m_backend, verbose ? &std::cerr : nullptr), m_player(m_tracer, m_clock) {}
    AuditionPlayer& player() { return m_player; }

private:
    RtMidiBackend m_backend{"tarnwick-syx"};
    MidiTracer m_tracer;
    SystemClock m_clock;
    AuditionPlayer m_player;
};

// The progress of a transfer, on a terminal only: in a pipe or a log it is noise.
void progress(const std::string& what, std::size_t done, std::size_t total) {
    if (!isatty(fileno(stderr))) {
        return;
    }
    std::cerr << '\r' << what << ' ' << done << '/' << total << std::flush;
    if (done == total) {
        std::cerr << '\n';
    }
}

int ports(bool asJson) {
    Keypad keypad(false);
    std::vector<std::string> names;
    for (const MidiPortPair& pair : keypad.ports().interfaceList()) {
        names.push_back(pair.name);
    }
    return printNames(names, asJson, "No MIDI interfaces found");
}

int outputs(bool asJson) {
    Outputs midi(false);
    return printNames(midi.player().outputs(), asJson, "No MIDI outputs found");
}

int play(const std::string& file, const PlayOptions& options) {
    std::vector<SyxMessage> messages;
    if (!load(file, messages)) {
        return kBad;
    }
    std::stable_sort(
        messages.begin(), messages.end(),
        [](const SyxMessage& a, const SyxMessage& b) { return a.presetByte < b.presetByte; });
    if (options.preset != 0) {
        const auto found = std::find_if(messages.begin(), messages.end(), [&](const auto& m) {
            return m.presetByte + 1 == options.preset;
        });
        if (found == messages.end()) {
            return fail(file + ": holds no preset " + std::to_string(options.preset));
        }
        messages = {*found};
    } else if (!options.all && messages.size() != 1) {
        return usageError(file + " holds " + std::to_string(messages.size()) +
                          " presets: give --preset N or --all");
    }
    // Every preset is checked before anything is sent.
    std::vector<AuditionMessages> plans;
    for (const SyxMessage& message : messages) {
        plans.push_back(PresetAudition(message.record));
        if (!plans.back().refusal.empty()) {
            return fail("preset " + std::to_string(message.presetByte + 1) + ": " +
                        plans.back().refusal);
        }
    }
    Outputs midi(options.verbose);
    const std::vector<std::string> names = midi.player().outputs();
    const NameMatch match = matchName(names, options.to, "MIDI output", "outputs");
    if (match.result != kOk) {
        return match.result;
    }
    const std::string& output = names[match.index];
    const ChannelNamer sounds = options.verbose ? RigNamer() : ChannelNamer();
    for (std::size_t i = 0; i < messages.size(); ++i) {
        if (options.all) {
            std::cout << "preset " << messages[i].presetByte + 1 << ": " << ShownName(messages[i])
                      << std::endl;
        }
        if (options.verbose) {
            // What is about to sound, by name where the rig names it.
            std::cerr << "preset " << messages[i].presetByte + 1 << ": "
                      << ChannelsSummary(messages[i].record, sounds) << '\n';
        }
        if (!midi.player().play(output, plans[i].messages)) {
            return fail(midi.player().outputHeldElsewhere()
                            ? PortInUseText(output)
                            : "Could not play the preset on " + output + ".");
        }
        if (i + 1 == messages.size()) {
            break;
        }
        if (options.intervalMs > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(options.intervalMs));
        } else if (std::string line; !std::getline(std::cin, line)) {
            break; // no more Enters to come
        }
    }
    return kOk;
}

int identify(const std::string& port, bool verbose) {
    Keypad keypad(verbose);
    if (const int selected = keypad.select(port); selected != kOk) {
        return selected;
    }
    MidiPortLayer& layer = keypad.ports();
    if (layer.identify(layer.selectedInterface()).result != TransferResult::Acknowledged) {
        return fail(keypad.failure(TransferResult::PortsUnavailable,
                                   DownloadResultText(TransferResult::PortsUnavailable).text));
    }
    const std::string identity = layer.identityText();
    if (identity.empty()) {
        return fail("no identity reply from \"" + port + "\"");
    }
    std::cout << identity << '\n';
    return kOk;
}

int send(const std::string& port, const std::string& file, bool verbose) {
    std::vector<SyxMessage> messages;
    if (!load(file, messages)) {
        return kBad;
    }
    Keypad keypad(verbose);
    if (const int selected = keypad.select(port); selected != kOk) {
        return selected;
    }
    MidiPortLayer& layer = keypad.ports();
    for (std::size_t i = 0; i < messages.size(); ++i) {
        const PresetMessage& raw = messages[i].raw;
        progress("Sending preset", i, messages.size());
        const TransferResult result =
            raw.back() != kSysExEnd
                ? TransferResult::NotSysEx
                : layer.sendAcknowledged(raw.data(), raw.size(), kPresetAckPosition);
        if (result != TransferResult::Acknowledged) {
            progress("Sending preset", messages.size(), messages.size());
            return fail("preset " + std::to_string(messages[i].presetByte + 1) + ": " +
                        keypad.failure(result, DownloadResultText(result).text));
        }
    }
    progress("Sending preset", messages.size(), messages.size());
    // The keypad then shows the preset sent (one preset) or the bank's first.
    layer.sendPostDownloadPreset(messages.size() == 1 ? messages[0].presetByte : 0);
    std::cout << DownloadResultText(TransferResult::Acknowledged).text << '\n';
    RecordInLibrary(messages,
                    "downloaded to " +
                        layer.interfaceList()[std::size_t(layer.selectedInterface())].name,
                    "downloaded");
    return kOk;
}

int firmware(const std::string& port, const std::string& file, bool verbose) {
    const auto content = input(file);
    if (!content) {
        return kBad;
    }
    FirmwareImage image;
    std::istringstream in(*content);
    const TransferResult read = FirmwareReadTransferResult(ReadFirmware(in, image));
    if (read != TransferResult::Acknowledged) {
        return fail(file + ": " + UpgradeResultText(read).text);
    }
    Keypad keypad(verbose);
    if (const int selected = keypad.select(port); selected != kOk) {
        return selected;
    }
    std::size_t sent = 0;
    const TransferResult result = SendFirmware(
        keypad.ports(), image, [&] { progress("Sending firmware message", ++sent, image.size()); });
    if (result != TransferResult::Acknowledged) {
        return fail(keypad.failure(result, UpgradeResultText(result).text));
    }
    std::cout << UpgradeResultText(result).text << '\n';
    return kOk;
}

} // namespace

void AddMidiCommands(CLI::App& app, int& result) {
    auto args = std::make_shared<Arguments>();
    const char* defaultPort = std::getenv("TARNWICK_PORT");
    args->port = defaultPort ? defaultPort : "";
    const auto command = [&app, &result](const char* name, const char* description,
                                         std::function<int()> action) {
        return AddCommand(app, result, name, description, std::move(action));
    };
    // The options of the commands that talk to an interface.
    const auto midiOptions = [args](CLI::App* sub) {
        sub->add_option("-p,--port", args->port,
                        "MIDI interface: its name or a part of it (default: $TARNWICK_PORT)");
        sub->add_flag("-v,--verbose", args->verbose,
                      "print every message sent and received, with milliseconds");
        return sub;
    };

    command("ports", "List the MIDI interfaces the editor would offer.", [args] {
        return ports(args->asJson);
    })->add_flag("--json", args->asJson, "as JSON, for scripts");

    midiOptions(command("identify", "Ask the keypad on an interface who it is.",
                        [args] { return identify(args->port, args->verbose); }));

    midiOptions(command("send", "Send every preset of a file, each acknowledged.",
                        [args] { return send(args->port, args->file, args->verbose); }))
        ->add_option("FILE", args->file, "preset file (.syx)")
        ->required();

    command("outputs", "List the MIDI outputs a preset can be played to.", [args] {
        return outputs(args->asJson);
    })->add_flag("--json", args->asJson, "as JSON, for scripts");

    PlayOptions& playOptions = args->play;
    CLI::App* playCommand =
        command("play",
                "Play a preset to a MIDI output: its MIDI data, bank selects and "
                "program changes, as the keypad would send them.",
                [args] { return play(args->file, args->play); });
    playCommand->add_option("--to", playOptions.to, "MIDI output: its name or a part of it")
        ->required();
    playCommand->add_option("FILE", args->file, "preset file (.syx)")->required();
    CLI::Option* presetOption =
        playCommand
            ->add_option("--preset", playOptions.preset, "the preset of a bank to play (1-100)")
            ->check(CLI::Range(1, kPresetCount));
    playCommand
        ->add_flag("--all", playOptions.all,
                   "play every preset in turn, waiting for Enter between them")
        ->excludes(presetOption);
    playCommand
        ->add_option("--interval", playOptions.intervalMs,
                     "with --all: wait MS milliseconds between presets instead")
        ->check(CLI::Range(1, 3600000));
    playCommand->add_flag("-v,--verbose", playOptions.verbose,
                          "print each preset's channels (with the rig's sound names) and every "
                          "message sent");

    midiOptions(command("firmware", "Send a firmware file to the keypad in upgrade mode.",
                        [args] { return firmware(args->port, args->file, args->verbose); }))
        ->add_option("FILE", args->file, "firmware file (.syx)")
        ->required();
}

} // namespace tarnwick::cli
