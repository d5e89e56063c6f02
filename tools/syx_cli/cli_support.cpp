// Messages, inputs and outputs of the commands.
#include "cli_support.h"

#include "library/preset_library.h"
#include "platform/ascii_case.h"
#include "platform/utf8_path.h"
#include "preset/preset_json.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <iostream>

namespace tarnwick::cli {

CLI::App* AddCommand(CLI::App& parent, int& result, const std::string& name,
                     const std::string& description, std::function<int()> action) {
    CLI::App* command = parent.add_subcommand(name, description);
    // A command of commands does its own work only when none of its commands was given.
    command->callback([&result, command, action = std::move(action)] {
        if (command->get_subcommands().empty()) {
            result = action();
        }
    });
    return command;
}

std::string ShownName(const SyxMessage& message) {
    std::string name = PresetName(message.record);
    while (!name.empty() && name.back() == ' ') {
        name.pop_back();
    }
    return name;
}

std::string Counted(std::size_t count, const std::string& noun) {
    return std::to_string(count) + ' ' + noun + (count == 1 ? "" : "s");
}

int fail(const std::string& text) {
    std::cerr << "tarnwick-syx: " << text << '\n';
    return kBad;
}

std::string JsonText(const Json& json, int indent) {
    return json.dump(indent, ' ', false, Json::error_handler_t::replace);
}

int usageError(const std::string& text) {
    std::cerr << "tarnwick-syx: " << text << " (see tarnwick-syx --help)\n";
    return kUsage;
}

void report(const std::string& path, const SyxError& error) {
    fail(path + ": message " + std::to_string(error.message) + " at byte " +
         std::to_string(error.offset) + ": " + error.text);
}

std::optional<std::string> input(const std::string& path) {
    std::string content;
    std::string reason;
    if (!ReadInput(path, content, reason)) {
        fail(path + ": " + reason);
        return std::nullopt;
    }
    return content;
}

bool load(const std::string& path, std::vector<SyxMessage>& messages) {
    messages.clear();
    const auto content = input(path);
    if (!content) {
        return false;
    }
    SyxError error;
    if (!DecodeSyx(*content, messages, error)) {
        report(path, error);
        return false;
    }
    return true;
}

namespace {
std::optional<std::filesystem::path> libraryPath = DefaultLibraryPath();
}

void SetLibraryPath(std::optional<std::filesystem::path> path) {
    libraryPath = std::move(path);
}

std::optional<std::filesystem::path> LibraryPath() {
    return libraryPath;
}

namespace {
void recordRead(const SyxFileRead& read, const std::string& source, const std::string& action) {
    if (!libraryPath || !read.whole()) {
        return;
    }
    PresetLibrary library;
    if (!library.open(*libraryPath, LibraryAccess::Create) ||
        !library.record(read.records, source, "tarnwick-syx", action)) {
        fail(LibraryProblemText(*libraryPath, library.error()) + " Not recorded.");
    }
}
} // namespace

void RecordInLibrary(const std::vector<SyxMessage>& messages, const std::string& source,
                     const std::string& action) {
    std::vector<PresetMessage> raw;
    for (const SyxMessage& message : messages) {
        raw.push_back(message.raw);
    }
    recordRead(ReadSyxFile(SyxBytes(raw)), source, action);
}

void RecordWritten(const std::string& path, const std::string& bytes) {
    if (path != "-") {
        std::error_code ignored;
        recordRead(ReadSyxFile(bytes), Utf8Text(std::filesystem::absolute(Utf8Path(path), ignored)),
                   "written");
    }
}

int output(const std::string& path, const std::string& bytes) {
    std::string reason;
    return WriteOutput(path, bytes, reason) ? kOk : fail("cannot write " + path + ": " + reason);
}

NameMatch matchName(const std::vector<std::string>& names, const std::string& wanted,
                    const std::string& kind, const std::string& lister,
                    const std::string& noneSuffix) {
    std::vector<std::size_t> matches;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == wanted) {
            return {i, kOk};
        }
        if (LowerCase(names[i]).find(LowerCase(wanted)) != std::string::npos) {
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

int printNames(const std::vector<std::string>& names, bool asJson, const std::string& none) {
    if (asJson) {
        Json list = Json::array();
        for (const std::string& name : names) {
            list.push_back({{"name", name}});
        }
        std::cout << JsonText(list) << '\n';
        return kOk;
    }
    for (const std::string& name : names) {
        std::cout << name << '\n';
    }
    if (names.empty()) {
        std::cerr << none << '\n';
    }
    return kOk;
}

SyxMessage* presetIn(std::vector<SyxMessage>& messages, int preset, const std::string& path) {
    const auto target = std::find_if(messages.begin(), messages.end(), [&](const SyxMessage& m) {
        return m.presetByte + 1 == preset;
    });
    if (target == messages.end()) {
        fail(path + ": holds no preset " + std::to_string(preset));
        return nullptr;
    }
    return &*target;
}

int outputMessages(const std::string& path, const std::vector<SyxMessage>& messages) {
    std::vector<PresetMessage> raw;
    for (const SyxMessage& message : messages) {
        raw.push_back(
            MessageKeepingName(message.record, PresetIndex::fromZeroBase(message.presetByte)));
    }
    return outputPresets(path, SyxBytes(raw));
}

int outputPresets(const std::string& path, const std::string& bytes) {
    const int written = output(path, bytes);
    if (written == kOk) {
        RecordWritten(path, bytes);
    }
    return written;
}

namespace {
std::optional<std::filesystem::path> rigPath = DefaultRigPath();
} // namespace

void SetRigPath(std::optional<std::filesystem::path> path) {
    rigPath = std::move(path);
}

std::optional<std::filesystem::path> RigPath() {
    return rigPath;
}

const InstrumentLibrary& Instruments() {
    static const InstrumentLibrary library = [] {
        InstrumentLibrary loaded;
        loaded.load(InstrumentLibrary::DefaultFolders());
        return loaded;
    }();
    return library;
}

const RigNames& CurrentRig() {
    static const RigNames names = []() -> RigNames {
        if (!rigPath) {
            return {};
        }
        std::string error;
        const auto rig = ReadRig(*rigPath, error);
        if (!rig) {
            std::cerr << "tarnwick-syx: note: the rig " << Utf8Text(*rigPath) << ' ' << error
                      << "; no sound is named\n";
            return {};
        }
        if (rig->empty()) {
            return {};
        }
        RigNames resolved(*rig, Instruments());
        for (const std::string& problem : resolved.problems()) {
            std::cerr << "tarnwick-syx: note: rig " << problem << '\n';
        }
        return resolved;
    }();
    return names;
}

ChannelNamer RigNamer() {
    if (!CurrentRig().any()) {
        return {};
    }
    return [](int channel, const ChannelSlot& slot) {
        return CurrentRig().name(channel, slot).shown;
    };
}

} // namespace tarnwick::cli
