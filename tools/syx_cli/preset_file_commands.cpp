// The preset file commands of tarnwick-syx.
#include "commands.h"

#include "cli_support.h"
#include "instruments/sound_names.h"
#include "platform/utf8_path.h"
#include "preset/preset_json.h"
#include "preset/preset_text.h"
#include "preset/syx_file.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <memory>

namespace tarnwick::cli {

namespace {

namespace fs = std::filesystem;

struct Arguments {
    std::vector<std::string> files;
    std::string file;
    std::string second; // diff: B; split: DIR
    std::string out;
    int version = kJsonVersion;
    bool partial = false;
    bool force = false;
    bool asJson = false;
};

std::string fileNameFor(const SyxMessage& message) {
    std::string name = ShownName(message);
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

// Runs `each` on the content of every file that can be read: kBad when a file cannot be
// read or `each` finds it bad, and every file is tried all the same.
int eachInput(const std::vector<std::string>& files,
              const std::function<bool(const std::string&, const std::string&)>& each) {
    int result = kOk;
    for (const std::string& file : files) {
        const auto content = input(file);
        if (!content || !each(file, *content)) {
            result = kBad;
        }
    }
    return result;
}

int show(const std::vector<std::string>& files, bool asJson) {
    return eachInput(files, [asJson](const std::string& file, const std::string& content) {
        std::vector<SyxMessage> messages;
        SyxError error;
        const bool whole = DecodeSyx(content, messages, error);
        if (asJson) {
            // The JSON form of export, each channel with the sound the rig names for it.
            Json shown = Json::parse(PresetsToJsonText(messages, kJsonVersion));
            const ChannelNamer names = RigNamer();
            for (std::size_t i = 0; names && i < messages.size(); ++i) {
                for (auto& [channel, values] : shown["presets"][i]["channels"].items()) {
                    const int number = std::stoi(channel);
                    const std::string sound = names(number, messages[i].record.channel(number));
                    if (!sound.empty()) {
                        values["sound"] = sound;
                    }
                }
            }
            std::cout << JsonText(Json{{"file", file}, {"presets", shown["presets"]}}) << '\n';
        } else {
            std::cout << file << ": " << Counted(messages.size(), "preset") << '\n';
        }
        bool uncertain = false;
        for (const SyxMessage& message : asJson ? std::vector<SyxMessage>() : messages) {
            const std::string described = DescribePreset(message, RigNamer());
            uncertain = uncertain || described.find("?\n") != std::string::npos;
            std::cout << described;
        }
        if (uncertain) {
            std::cout << kUncertainLegend << '\n';
        }
        if (!whole) {
            std::cout.flush();
            report(file, error);
        }
        return whole;
    });
}

int check(const std::vector<std::string>& files) {
    return eachInput(files, [](const std::string& file, const std::string& content) {
        const std::vector<SyxError> problems = CheckSyx(content);
        for (const SyxError& problem : problems) {
            report(file, problem);
        }
        if (problems.empty()) {
            std::cout << file << ": "
                      << Counted(content.size() / kPresetMessageSize, "preset message")
                      << ", all valid\n";
        }
        return problems.empty();
    });
}

int exportJson(const std::string& file, const std::string& out, int version) {
    std::vector<SyxMessage> messages;
    if (!load(file, messages)) {
        return kBad;
    }
    const std::string path = out.empty() ? "-" : out;
    const int written = output(path, PresetsToJsonText(messages, version));
    if (written == kOk && path != "-") {
        std::error_code ignored;
        RecordInLibrary(messages, Utf8Text(std::filesystem::absolute(Utf8Path(path), ignored)),
                        "written");
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
    const std::vector<std::string> lines = DiffPresets(a, b, RigNamer());
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
    fs::create_directories(Utf8Path(directory), error);
    if (error) {
        return fail("cannot make " + directory + ": " + error.message());
    }
    // Nothing is written when a file is in the way, so a refusal leaves no half of a split.
    for (const SyxMessage& message : messages) {
        const fs::path path = Utf8Path(directory) / Utf8Path(fileNameFor(message));
        if (!force && fs::exists(path, error)) {
            return fail(Utf8Text(path) + ": exists (--force replaces it)");
        }
    }
    for (const SyxMessage& message : messages) {
        const fs::path path = Utf8Path(directory) / Utf8Path(fileNameFor(message));
        if (output(Utf8Text(path), SyxBytes({message.raw})) != kOk) {
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

} // namespace

void AddPresetFileCommands(CLI::App& app, int& result) {
    auto args = std::make_shared<Arguments>();
    const auto command = [&app, &result](const char* name, const char* description,
                                         std::function<int()> action) {
        return AddCommand(app, result, name, description, std::move(action));
    };

    CLI::App* showCommand =
        command("show", "List every preset of each file: number, name, values, MIDI data.",
                [args] { return show(args->files, args->asJson); });
    showCommand->add_option("FILE", args->files, "preset files (.syx)")->required();
    showCommand->add_flag("--json", args->asJson,
                          "as JSON, one object a file (a channel's \"sound\" with a rig)");
    command("check", "Check every message of each file; report everything wrong.",
            [args] { return check(args->files); })
        ->add_option("FILE", args->files, "preset files (.syx)")
        ->required();

    CLI::App* exportCommand = command("export", "Write a preset file as JSON.", [args] {
        return exportJson(args->file, args->out, args->version);
    });
    exportCommand->add_option("FILE", args->file, "preset file (.syx)")->required();
    exportCommand->add_option("-o,--output", args->out,
                              "JSON file to write (default: standard output)");
    exportCommand->add_option("--format-version", args->version, "JSON form: 2 (compact) or 1")
        ->check(CLI::Range(1, 2));

    CLI::App* importCommand = command("import", "Write a preset file from its JSON form.", [args] {
        return importJson(args->file, args->out, args->partial);
    });
    importCommand->add_option("FILE", args->file, "JSON file (version 1 or 2)")->required();
    importCommand->add_option("-o,--output", args->out, "preset file to write (.syx)")->required();
    importCommand->add_flag("--partial", args->partial,
                            "write the presets present even when they are neither 1 nor 100");

    command("new-bank", "Write the editor's default bank of 100 presets.",
            [args] { return newBank(args->out); })
        ->add_option("-o,--output", args->out, "bank file to write (.syx)")
        ->required();

    CLI::App* diffCommand =
        command("diff", "Show the presets and fields in which two files differ.",
                [args] { return diff(args->file, args->second); });
    diffCommand->add_option("A", args->file, "first preset file")->required();
    diffCommand->add_option("B", args->second, "second preset file")->required();

    CLI::App* splitCommand =
        command("split", "Write each preset of a bank as a one-preset file.",
                [args] { return split(args->file, args->second, args->force); });
    splitCommand->add_option("BANK", args->file, "bank file (.syx)")->required();
    splitCommand->add_option("DIR", args->second, "folder for the one-preset files")->required();
    splitCommand->add_flag("--force", args->force, "replace files that are already there");

    CLI::App* joinCommand = command("join", "Join preset files into one file, in preset order.",
                                    [args] { return join(args->files, args->out); });
    joinCommand->add_option("FILE", args->files, "preset files (.syx)")->required();
    joinCommand->add_option("-o,--output", args->out, "file to write (.syx)")->required();
}

} // namespace tarnwick::cli
