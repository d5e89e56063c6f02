// tarnwick-syx: the editor's librarian functions on the command line. Inspects, checks,
// converts, compares, splits and joins .syx preset files, and sends presets or firmware
// to the keypad, with the editor's own decoder, encoder, port layer and message texts.
// Every error is one line on standard error, "tarnwick-syx: " first; nothing it is given
// makes it abort.
#include "audition.h"
#include "audition_player.h"
#include "bank_commands.h"
#include "cli_support.h"
#include "clock.h"
#include "cycle_lock.h"
#include "firmware_file.h"
#include "firmware_sender.h"
#include "hex.h"
#include "library_commands.h"
#include "midi_tracer.h"
#include "port_layer.h"
#include "preset_json.h"
#include "preset_text.h"
#include "rtmidi_backend.h"
#include "syx_file.h"
#include "version.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <thread>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace {

using namespace tarnwick;
namespace fs = std::filesystem;

// The preset's name without the blanks that pad it to 13 characters.
std::string shownName(const SyxMessage& message) {
    std::string name = PresetName(message.record);
    while (!name.empty() && name.back() == ' ') {
        name.pop_back();
    }
    return name;
}

std::string fileNameFor(const SyxMessage& message) {
    std::string name = shownName(message);
    for (char& c : name) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b >= 0x7F || std::string("/\\:*?\"<>|").find(c) != std::string::npos) {
            c = '_';
        }
    }
    char number[8];
    std::snprintf(number, sizeof number, "%03d", message.presetByte + 1);
    return std::string(number) + (name.empty() ? "" : " " + name) + ".syx";
}

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

// What a name given on the command line stands for among `names`: the exact name, or
// the one name that holds it in any letter case. `kind` is what they are ("MIDI
// interface"), `lister` the command that lists them. Says why when none or several do.
struct NameMatch {
    std::size_t index = 0;
    int result = kOk;
};
NameMatch matchName(const std::vector<std::string>& names, const std::string& wanted,
                    const std::string& kind, const std::string& lister,
                    const std::string& noneSuffix = "") {
    std::vector<std::size_t> matches;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == wanted) {
            return {i, kOk};
        }
        if (lowered(names[i]).find(lowered(wanted)) != std::string::npos) {
            matches.push_back(i);
        }
    }
    if (matches.size() == 1) {
        return {matches.front(), kOk};
    }
    if (matches.empty()) {
        return {0, fail("no " + kind + " named \"" + wanted + "\" (tarnwick-syx " + lister +
                        " lists them)" + noneSuffix)};
    }
    std::string listed;
    for (std::size_t i : matches) {
        listed += (listed.empty() ? "" : ", ") + ("\"" + names[i] + "\"");
    }
    return {0, usageError("\"" + wanted + "\" matches several " + kind + "s: " + listed)};
}

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

int show(const std::vector<std::string>& files) {
    int result = kOk;
    for (const std::string& file : files) {
        const auto content = input(file);
        if (!content) {
            result = kBad;
            continue;
        }
        std::vector<SyxMessage> messages;
        SyxError error;
        const bool whole = DecodeSyx(*content, messages, error);
        std::cout << file << ": " << messages.size()
                  << (messages.size() == 1 ? " preset\n" : " presets\n");
        for (const SyxMessage& message : messages) {
            std::cout << DescribePreset(message);
        }
        if (!whole) {
            std::cout.flush();
            report(file, error);
            result = kBad;
        }
    }
    return result;
}

int check(const std::vector<std::string>& files) {
    int result = kOk;
    for (const std::string& file : files) {
        const auto content = input(file);
        if (!content) {
            result = kBad;
            continue;
        }
        const std::vector<SyxError> problems = CheckSyx(*content);
        for (const SyxError& problem : problems) {
            report(file, problem);
        }
        if (!problems.empty()) {
            result = kBad;
            continue;
        }
        const std::size_t count = content->size() / kPresetMessageSize;
        std::cout << file << ": " << count << " preset message" << (count == 1 ? "" : "s")
                  << ", all valid\n";
    }
    return result;
}

int exportJson(const std::string& file, const std::string& out, int version) {
    std::vector<SyxMessage> messages;
    if (!load(file, messages)) {
        return kBad;
    }
    const std::string path = out.empty() ? "-" : out;
    const int written = output(path, PresetsToJsonText(messages, version));
    if (written == kOk && path != "-") {
        RecordInLibrary(messages, std::filesystem::absolute(path).string());
    }
    return written;
}

int importJson(const std::string& file, const std::string& out, bool partial) {
    const auto content = input(file);
    if (!content) {
        return kBad;
    }
    std::vector<JsonPreset> presets;
    std::string reason;
    if (!PresetsFromJsonText(*content, presets, reason)) {
        return fail(file + ": " + reason);
    }
    if (!partial && presets.size() != 1 && presets.size() != std::size_t(kPresetCount)) {
        return fail(file + ": holds " + std::to_string(presets.size()) +
                    " presets; a preset file holds 1 or 100 (--partial writes just these)");
    }
    std::vector<PresetMessage> messages;
    for (const JsonPreset& preset : presets) {
        messages.push_back(MessageKeepingName(preset.record, preset.number));
    }
    return outputPresets(out, SyxBytes(messages));
}

int newBank(const std::string& out) {
    const PresetBank bank;
    std::vector<PresetMessage> messages;
    for (int i = 0; i < kPresetCount; ++i) {
        const auto index = PresetIndex::fromZeroBase(i);
        messages.push_back(EncodePresetMessage(bank[index], index));
    }
    return outputPresets(out, SyxBytes(messages));
}

int diff(const std::string& first, const std::string& second) {
    std::vector<SyxMessage> a;
    std::vector<SyxMessage> b;
    if (!load(first, a) || !load(second, b)) {
        return kBad;
    }
    const std::vector<std::string> lines = DiffPresets(a, b);
    for (const std::string& line : lines) {
        std::cout << line << '\n';
    }
    return lines.empty() ? kOk : kBad;
}

int split(const std::string& bank, const std::string& directory, bool force) {
    std::vector<SyxMessage> messages;
    if (!load(bank, messages)) {
        return kBad;
    }
    std::error_code error;
    fs::create_directories(directory, error);
    if (error) {
        return fail("cannot make " + directory + ": " + error.message());
    }
    // Nothing is written when a file is in the way, so a refusal leaves no half of a split.
    for (const SyxMessage& message : messages) {
        const fs::path path = fs::path(directory) / fileNameFor(message);
        if (!force && fs::exists(path, error)) {
            return fail(path.string() + ": exists (--force replaces it)");
        }
    }
    for (const SyxMessage& message : messages) {
        const fs::path path = fs::path(directory) / fileNameFor(message);
        if (output(path.string(), SyxBytes({message.raw})) != kOk) {
            return kBad;
        }
    }
    std::cout << "wrote " << messages.size() << " files to " << directory << '\n';
    return kOk;
}

int join(const std::vector<std::string>& files, const std::string& out) {
    std::map<int, std::pair<PresetMessage, std::string>> byNumber;
    for (const std::string& file : files) {
        std::vector<SyxMessage> messages;
        if (!load(file, messages)) {
            return kBad;
        }
        for (const SyxMessage& message : messages) {
            const int number = message.presetByte + 1;
            if (const auto seen = byNumber.find(number); seen != byNumber.end()) {
                return fail("preset " + std::to_string(number) + " is in both " +
                            seen->second.second + " and " + file);
            }
            byNumber[number] = {message.raw, file};
        }
    }
    std::vector<PresetMessage> messages;
    for (const auto& [number, entry] : byNumber) {
        messages.push_back(entry.first);
    }
    if (outputPresets(out, SyxBytes(messages)) != kOk) {
        return kBad;
    }
    if (messages.size() != std::size_t(kPresetCount)) {
        std::cerr << "tarnwick-syx: note: " << out << " holds " << messages.size()
                  << " presets; a bank holds 100\n";
    }
    return kOk;
}

int ports(bool asJson) {
    Keypad keypad(false);
    const auto& list = keypad.ports().interfaceList();
    if (asJson) {
        Json names = Json::array();
        for (const MidiPortPair& pair : list) {
            names.push_back({{"name", pair.name}});
        }
        std::cout << names.dump(2) << '\n';
        return kOk;
    }
    for (const MidiPortPair& pair : list) {
        std::cout << pair.name << '\n';
    }
    if (list.empty()) {
        std::cerr << "No MIDI interfaces found\n";
    }
    return kOk;
}

int outputs(bool asJson) {
    Outputs midi(false);
    const std::vector<std::string> names = midi.player().outputs();
    if (asJson) {
        Json list = Json::array();
        for (const std::string& name : names) {
            list.push_back({{"name", name}});
        }
        std::cout << list.dump(2) << '\n';
        return kOk;
    }
    for (const std::string& name : names) {
        std::cout << name << '\n';
    }
    if (names.empty()) {
        std::cerr << "No MIDI outputs found\n";
    }
    return kOk;
}

struct PlayOptions {
    std::string to;
    int preset = 0; // 1 to 100; 0: the file's only preset
    bool all = false;
    int intervalMs = 0; // with --all: the pause between presets; 0: wait for Enter
    bool verbose = false;
};

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
    for (std::size_t i = 0; i < messages.size(); ++i) {
        if (options.all) {
            std::cout << "preset " << messages[i].presetByte + 1 << ": " << shownName(messages[i])
                      << std::endl;
        }
        if (!midi.player().play(output, plans[i].messages)) {
            return fail("Could not play the preset on " + output + ".");
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
        return fail(DownloadResultText(TransferResult::PortsUnavailable).text);
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
                        DownloadResultText(result).text);
        }
    }
    progress("Sending preset", messages.size(), messages.size());
    // The keypad then shows the preset sent (one preset) or the bank's first.
    layer.sendPostDownloadPreset(messages.size() == 1 ? messages[0].presetByte : 0);
    std::cout << DownloadResultText(TransferResult::Acknowledged).text << '\n';
    RecordInLibrary(messages,
                    "downloaded to " +
                        layer.interfaceList()[std::size_t(layer.selectedInterface())].name);
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
        return fail(UpgradeResultText(result).text);
    }
    std::cout << UpgradeResultText(result).text << '\n';
    return kOk;
}

const char* const kFooter = R"(
A FILE of "-" is standard input; "-o -" writes to standard output.
The MIDI commands take --port, or else the interface named in TARNWICK_PORT.

Exit codes: 0 done; 1 bad input, a file that cannot be read or written, a failed
transfer, or (diff) files that differ; 2 a usage error.

Examples:
  tarnwick-syx show MyBank.syx
  tarnwick-syx check *.syx
  tarnwick-syx export MyBank.syx -o MyBank.json
  tarnwick-syx import MyBank.json -o MyBank.syx
  tarnwick-syx new-bank -o - | tarnwick-syx show -
  tarnwick-syx split MyBank.syx presets/
  tarnwick-syx move MyBank.syx 10-12 3
  tarnwick-syx copy Old.syx:5-7 MyBank.syx 20
  tarnwick-syx send -p twk-5 -v MyBank.syx
  tarnwick-syx play --to fluid MyBank.syx --preset 7
  tarnwick-syx library add ~/Music/Keypad
  tarnwick-syx library search pad --channel 2)";

} // namespace

int main(int argc, char** argv) {
    using namespace tarnwick;
    CLI::App app{"tarnwick-syx: inspect, check, convert, compare and send Tarnwick preset files."};
    app.set_version_flag("--version", std::string("tarnwick-syx ") + kVersion);
    app.footer(kFooter);
    app.require_subcommand(1);
    std::vector<std::string> files;
    std::string file;
    std::string second;
    std::string out;
    const char* defaultPort = std::getenv("TARNWICK_PORT");
    std::string port = defaultPort ? defaultPort : "";
    int version = kJsonVersion;
    bool partial = false;
    bool force = false;
    bool verbose = false;
    bool asJson = false;
    int result = kOk;

    // A subcommand whose exit code is its action's.
    const auto command = [&](const char* name, const char* description,
                             std::function<int()> action) {
        CLI::App* sub = app.add_subcommand(name, description);
        sub->callback([&result, action] { result = action(); });
        return sub;
    };
    // The options of the commands that talk to an interface.
    const auto midiOptions = [&](CLI::App* sub) {
        sub->add_option("-p,--port", port,
                        "MIDI interface: its name or a part of it (default: $TARNWICK_PORT)");
        sub->add_flag("-v,--verbose", verbose,
                      "print every message sent and received, with milliseconds");
    };

    command("show", "List every preset of each file: number, name, values, MIDI data.",
            [&] { return show(files); })
        ->add_option("FILE", files, "preset files (.syx)")
        ->required();
    command("check", "Check every message of each file; report everything wrong.",
            [&] { return check(files); })
        ->add_option("FILE", files, "preset files (.syx)")
        ->required();

    CLI::App* exportCommand = command("export", "Write a preset file as JSON.",
                                      [&] { return exportJson(file, out, version); });
    exportCommand->add_option("FILE", file, "preset file (.syx)")->required();
    exportCommand->add_option("-o,--output", out, "JSON file to write (default: standard output)");
    exportCommand->add_option("--format-version", version, "JSON form: 2 (compact) or 1")
        ->check(CLI::Range(1, 2));

    CLI::App* importCommand = command("import", "Write a preset file from its JSON form.",
                                      [&] { return importJson(file, out, partial); });
    importCommand->add_option("FILE", file, "JSON file (version 1 or 2)")->required();
    importCommand->add_option("-o,--output", out, "preset file to write (.syx)")->required();
    importCommand->add_flag("--partial", partial,
                            "write the presets present even when they are neither 1 nor 100");

    command("new-bank", "Write the editor's default bank of 100 presets.",
            [&] { return newBank(out); })
        ->add_option("-o,--output", out, "bank file to write (.syx)")
        ->required();

    CLI::App* diffCommand =
        command("diff", "Show the presets and fields in which two files differ.",
                [&] { return diff(file, second); });
    diffCommand->add_option("A", file, "first preset file")->required();
    diffCommand->add_option("B", second, "second preset file")->required();

    CLI::App* splitCommand = command("split", "Write each preset of a bank as a one-preset file.",
                                     [&] { return split(file, second, force); });
    splitCommand->add_option("BANK", file, "bank file (.syx)")->required();
    splitCommand->add_option("DIR", second, "folder for the one-preset files")->required();
    splitCommand->add_flag("--force", force, "replace files that are already there");

    AddBankCommands(app, result);

    CLI::App* joinCommand = command("join", "Join preset files into one file, in preset order.",
                                    [&] { return join(files, out); });
    joinCommand->add_option("FILE", files, "preset files (.syx)")->required();
    joinCommand->add_option("-o,--output", out, "file to write (.syx)")->required();

    command("ports", "List the MIDI interfaces the editor would offer.", [&] {
        return ports(asJson);
    })->add_flag("--json", asJson, "as JSON, for scripts");

    midiOptions(command("identify", "Ask the keypad on an interface who it is.",
                        [&] { return identify(port, verbose); }));

    CLI::App* sendCommand = command("send", "Send every preset of a file, each acknowledged.",
                                    [&] { return send(port, file, verbose); });
    midiOptions(sendCommand);
    sendCommand->add_option("FILE", file, "preset file (.syx)")->required();

    command("outputs", "List the MIDI outputs a preset can be played to.", [&] {
        return outputs(asJson);
    })->add_flag("--json", asJson, "as JSON, for scripts");

    PlayOptions playOptions;
    CLI::App* playCommand =
        command("play",
                "Play a preset to a MIDI output: its MIDI data, bank selects and "
                "program changes, as the keypad would send them.",
                [&] { return play(file, playOptions); });
    playCommand->add_option("--to", playOptions.to, "MIDI output: its name or a part of it")
        ->required();
    playCommand->add_option("FILE", file, "preset file (.syx)")->required();
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
    playCommand->add_flag("-v,--verbose", playOptions.verbose, "print every message sent");

    CLI::App* firmwareCommand =
        command("firmware", "Send a firmware file to the keypad in upgrade mode.",
                [&] { return firmware(port, file, verbose); });
    midiOptions(firmwareCommand);
    firmwareCommand->add_option("FILE", file, "firmware file (.syx)")->required();

    AddLibraryCommands(app, result);
    app.add_option_function<std::string>(
           "--library",
           [](const std::string& path) {
               SetLibraryPath(path == "off" ? std::nullopt
                                            : std::optional<std::filesystem::path>(path));
           },
           "the library to record into and look in (default: $TARNWICK_LIBRARY, else "
           "~/.local/share/tarnwick-editor/library.sqlite); off: none")
        ->type_name("FILE");

    // CLI11 would call an unknown command an unexpected argument.
    if (argc > 1 && argv[1][0] != '-') {
        const auto subcommands = app.get_subcommands([](CLI::App*) { return true; });
        if (std::none_of(subcommands.begin(), subcommands.end(),
                         [&](const CLI::App* sub) { return sub->get_name() == argv[1]; })) {
            return usageError(std::string("unknown command '") + argv[1] + "'");
        }
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& help) {
        return app.exit(help);
    } catch (const CLI::CallForVersion& versionCall) {
        return app.exit(versionCall);
    } catch (const CLI::ParseError& error) {
        return usageError(error.what());
    }
    return result;
}
