// tarnwick-syx: the editor's librarian functions on the command line. Inspects, checks,
// converts, compares, splits and joins .syx preset files, and sends presets or firmware
// to the keypad, with the editor's own decoder, encoder, port layer and message texts.
#include "atomic_file.h"
#include "clock.h"
#include "firmware_file.h"
#include "firmware_sender.h"
#include "port_layer.h"
#include "preset_json.h"
#include "preset_text.h"
#include "rtmidi_backend.h"
#include "syx_file.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>

namespace {

using namespace tarnwick;
namespace fs = std::filesystem;

constexpr int kOk = 0;
constexpr int kBad = 1;

int fail(const std::string& text) {
    std::cerr << "tarnwick-syx: " << text << '\n';
    return kBad;
}

// Reads a file or says, in the `check` form, where it goes wrong.
bool load(const std::string& path, std::vector<SyxMessage>& messages) {
    SyxError error;
    if (ReadSyxFile(path, messages, error)) {
        return true;
    }
    if (error.message == 0) {
        std::cerr << path << ": " << error.text << '\n';
    } else {
        std::cerr << path << ": message " << error.message << " at byte " << error.offset << ": "
                  << error.text << '\n';
    }
    return false;
}

bool writeText(const std::string& path, const std::string& text) {
    AtomicFile file(path);
    return file.open() &&
           file.write(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()) &&
           file.commit();
}

std::string fileNameFor(const SyxMessage& message) {
    std::string name = PresetName(message.record);
    while (!name.empty() && name.back() == ' ') {
        name.pop_back();
    }
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

// The MIDI commands share this: the interface list and the one named on the command line.
class Keypad {
public:
    Keypad() : m_ports(m_backend, m_clock) { m_ports.refreshInterfaces(); }
    MidiPortLayer& ports() { return m_ports; }
    bool select(const std::string& name) {
        const auto& list = m_ports.interfaceList();
        const auto found = std::find_if(list.begin(), list.end(),
                                        [&](const MidiPortPair& p) { return p.name == name; });
        if (found == list.end()) {
            return false;
        }
        m_ports.setSelectedInterface(int(found - list.begin()));
        return true;
    }

private:
    RtMidiBackend m_backend{"tarnwick-syx"};
    SystemClock m_clock;
    MidiPortLayer m_ports;
};

int noSuchPort(const std::string& name) {
    return fail("no MIDI interface named \"" + name + "\" (tarnwick-syx ports lists them): " +
                DownloadResultText(TransferResult::NoInterface).text);
}

void progress(const std::string& what, std::size_t done, std::size_t total) {
    std::cerr << '\r' << what << ' ' << done << '/' << total << std::flush;
    if (done == total) {
        std::cerr << '\n';
    }
}

int show(const std::vector<std::string>& files) {
    int result = kOk;
    for (const std::string& file : files) {
        std::vector<SyxMessage> messages;
        if (!load(file, messages)) {
            result = kBad;
            continue;
        }
        std::cout << file << ": " << messages.size()
                  << (messages.size() == 1 ? " preset\n" : " presets\n");
        for (const SyxMessage& message : messages) {
            std::cout << DescribePreset(message);
        }
    }
    return result;
}

int check(const std::vector<std::string>& files) {
    for (const std::string& file : files) {
        std::vector<SyxMessage> messages;
        if (!load(file, messages)) {
            return kBad;
        }
        std::cout << file << ": " << messages.size() << " preset message"
                  << (messages.size() == 1 ? "" : "s") << ", all valid\n";
    }
    return kOk;
}

int exportJson(const std::string& file, const std::string& output) {
    std::vector<SyxMessage> messages;
    if (!load(file, messages)) {
        return kBad;
    }
    const std::string text = PresetsToJson(messages).dump(2, ' ', true) + "\n";
    if (output.empty()) {
        std::cout << text;
        return kOk;
    }
    return writeText(output, text) ? kOk : fail("cannot write " + output);
}

int importJson(const std::string& file, const std::string& output) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return fail(file + ": cannot read the file");
    }
    Json document;
    try {
        document = Json::parse(in);
    } catch (const Json::parse_error& error) {
        return fail(file + ": not JSON: " + error.what());
    }
    std::vector<JsonPreset> presets;
    std::string error;
    if (!PresetsFromJson(document, presets, error)) {
        return fail(file + ": " + error);
    }
    std::vector<PresetMessage> messages;
    for (const JsonPreset& preset : presets) {
        messages.push_back(EncodePresetMessage(preset.record, preset.number));
    }
    return WriteSyxFile(output, messages) ? kOk : fail("cannot write " + output);
}

int newBank(const std::string& output) {
    const PresetBank bank;
    std::vector<PresetMessage> messages;
    for (int i = 0; i < kPresetCount; ++i) {
        const auto index = PresetIndex::fromZeroBase(i);
        messages.push_back(EncodePresetMessage(bank[index], index));
    }
    return WriteSyxFile(output, messages) ? kOk : fail("cannot write " + output);
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

int split(const std::string& bank, const std::string& directory) {
    std::vector<SyxMessage> messages;
    if (!load(bank, messages)) {
        return kBad;
    }
    std::error_code error;
    fs::create_directories(directory, error);
    for (const SyxMessage& message : messages) {
        const fs::path path = fs::path(directory) / fileNameFor(message);
        if (!WriteSyxFile(path.string(), {message.raw})) {
            return fail("cannot write " + path.string());
        }
    }
    std::cout << "wrote " << messages.size() << " files to " << directory << '\n';
    return kOk;
}

int join(const std::vector<std::string>& files, const std::string& output) {
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
    if (!WriteSyxFile(output, messages)) {
        return fail("cannot write " + output);
    }
    if (messages.size() != std::size_t(kPresetCount)) {
        std::cerr << "tarnwick-syx: note: " << output << " holds " << messages.size()
                  << " presets; a bank holds 100\n";
    }
    return kOk;
}

int ports() {
    Keypad keypad;
    for (const MidiPortPair& pair : keypad.ports().interfaceList()) {
        std::cout << pair.name << '\n';
    }
    if (keypad.ports().interfaceList().empty()) {
        std::cerr << "No MIDI interfaces found\n";
    }
    return kOk;
}

int identify(const std::string& port) {
    Keypad keypad;
    if (!keypad.select(port)) {
        return noSuchPort(port);
    }
    MidiPortLayer& layer = keypad.ports();
    if (!layer.openPortPair(layer.selectedInterface())) {
        return fail(DownloadResultText(TransferResult::PortsUnavailable).text);
    }
    layer.probeIdentity();
    layer.closePortPair();
    const std::string identity = layer.identityText();
    std::cout << (identity.empty() ? "(no identity reply)" : identity) << '\n';
    return kOk;
}

int send(const std::string& port, const std::string& file) {
    std::vector<SyxMessage> messages;
    if (!load(file, messages)) {
        return kBad;
    }
    Keypad keypad;
    if (!keypad.select(port)) {
        return noSuchPort(port);
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
            std::cerr << '\n';
            return fail("preset " + std::to_string(messages[i].presetByte + 1) + ": " +
                        DownloadResultText(result).text);
        }
    }
    progress("Sending preset", messages.size(), messages.size());
    // The keypad then shows the preset sent (one preset) or the bank's first.
    layer.sendPostDownloadPreset(messages.size() == 1 ? messages[0].presetByte : 0);
    std::cout << DownloadResultText(TransferResult::Acknowledged).text << '\n';
    return kOk;
}

int firmware(const std::string& port, const std::string& file) {
    FirmwareImage image;
    const TransferResult read = FirmwareReadTransferResult(ReadFirmwareFile(file, image));
    if (read != TransferResult::Acknowledged) {
        return fail(file + ": " + UpgradeResultText(read).text);
    }
    Keypad keypad;
    if (!keypad.select(port)) {
        return noSuchPort(port);
    }
    std::size_t sent = 0;
    const TransferResult result = SendFirmware(
        keypad.ports(), image, [&] { progress("Sending firmware message", ++sent, image.size()); });
    if (result != TransferResult::Acknowledged) {
        std::cerr << '\n';
        return fail(UpgradeResultText(result).text);
    }
    std::cout << UpgradeResultText(result).text << '\n';
    return kOk;
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"tarnwick-syx: inspect, check, convert, compare and send Tarnwick preset files."};
    app.require_subcommand(1);
    std::vector<std::string> files;
    std::string file;
    std::string second;
    std::string output;
    std::string port;
    int result = kOk;

    auto* cmdShow = app.add_subcommand(
        "show", "List every preset of each file: number, name, values, MIDI data.");
    cmdShow->add_option("FILE", files, "preset files (.syx)")->required();
    cmdShow->callback([&] { result = show(files); });

    auto* cmdCheck =
        app.add_subcommand("check", "Decode every message; report the first that fails.");
    cmdCheck->add_option("FILE", files, "preset files (.syx)")->required();
    cmdCheck->callback([&] { result = check(files); });

    auto* cmdExport = app.add_subcommand("export", "Write a preset file as JSON.");
    cmdExport->add_option("FILE", file, "preset file (.syx)")->required();
    cmdExport->add_option("-o,--output", output, "JSON file to write (default: standard output)");
    cmdExport->callback([&] { result = exportJson(file, output); });

    auto* cmdImport = app.add_subcommand("import", "Write a preset file from its JSON form.");
    cmdImport->add_option("FILE", file, "JSON file")->required();
    cmdImport->add_option("-o,--output", output, "preset file to write (.syx)")->required();
    cmdImport->callback([&] { result = importJson(file, output); });

    auto* cmdNew =
        app.add_subcommand("new-bank", "Write the editor's default bank of 100 presets.");
    cmdNew->add_option("-o,--output", output, "bank file to write (.syx)")->required();
    cmdNew->callback([&] { result = newBank(output); });

    auto* cmdDiff =
        app.add_subcommand("diff", "Show the presets and fields in which two files differ.");
    cmdDiff->add_option("A", file, "first preset file")->required();
    cmdDiff->add_option("B", second, "second preset file")->required();
    cmdDiff->callback([&] { result = diff(file, second); });

    auto* cmdSplit =
        app.add_subcommand("split", "Write each preset of a bank as a one-preset file.");
    cmdSplit->add_option("BANK", file, "bank file (.syx)")->required();
    cmdSplit->add_option("DIR", second, "folder for the one-preset files")->required();
    cmdSplit->callback([&] { result = split(file, second); });

    auto* cmdJoin = app.add_subcommand("join", "Join preset files into one file, in preset order.");
    cmdJoin->add_option("FILE", files, "preset files (.syx)")->required();
    cmdJoin->add_option("-o,--output", output, "file to write (.syx)")->required();
    cmdJoin->callback([&] { result = join(files, output); });

    auto* cmdPorts =
        app.add_subcommand("ports", "List the MIDI interfaces the editor would offer.");
    cmdPorts->callback([&] { result = ports(); });

    auto* cmdIdentify = app.add_subcommand("identify", "Ask the keypad on an interface who it is.");
    cmdIdentify->add_option("--port", port, "MIDI interface name")->required();
    cmdIdentify->callback([&] { result = identify(port); });

    auto* cmdSend = app.add_subcommand("send", "Send every preset of a file, each acknowledged.");
    cmdSend->add_option("--port", port, "MIDI interface name")->required();
    cmdSend->add_option("FILE", file, "preset file (.syx)")->required();
    cmdSend->callback([&] { result = send(port, file); });

    auto* cmdFirmware =
        app.add_subcommand("firmware", "Send a firmware file to the keypad in upgrade mode.");
    cmdFirmware->add_option("--port", port, "MIDI interface name")->required();
    cmdFirmware->add_option("FILE", file, "firmware file (.syx)")->required();
    cmdFirmware->callback([&] { result = firmware(port, file); });

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& help) {
        return app.exit(help);
    } catch (const CLI::ParseError& error) {
        std::cerr << "tarnwick-syx: " << error.what() << " (see tarnwick-syx --help)\n";
        return 2;
    }
    return result;
}
