// The library on the command line.
#include "commands.h"

#include "cli_support.h"
#include "library/preset_library.h"
#include "platform/ascii_case.h"
#include "platform/utf8_path.h"
#include "preset/preset_json.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <iostream>

namespace tarnwick::cli {

namespace fs = std::filesystem;

namespace {

struct Arguments {
    std::vector<std::string> paths; // add: files and folders; get: IDs
    std::string text;
    std::optional<int> channel;
    std::optional<int> program;
    bool asJson = false;
    bool compact = false;
    bool defaults = false;
    std::string sound;
    std::string out;
};

// The library opened; else its reason said as "LIBRARY: REASON".
bool opened(PresetLibrary& library, bool create) {
    const auto path = LibraryPath();
    if (!path) {
        fail("the library is switched off (TARNWICK_LIBRARY=off)");
        return false;
    }
    if (!library.open(*path, create ? LibraryAccess::Create : LibraryAccess::Write)) {
        fail(LibraryProblemText(*path, library.error()));
        return false;
    }
    return true;
}

int libraryFailure(PresetLibrary& library) {
    return fail(LibraryProblemText(*LibraryPath(), library.error()));
}

bool isSyx(const fs::path& path) {
    return LowerCase(Utf8Text(path.extension())) == ".syx";
}

// Every .syx file named or under a folder named, in name order, each once.
std::vector<fs::path> syxFiles(const std::vector<std::string>& paths, bool& missing) {
    std::vector<fs::path> files;
    for (const std::string& name : paths) {
        const fs::path path = Utf8Path(name);
        std::error_code error;
        if (fs::is_directory(path, error)) {
            for (auto it = fs::recursive_directory_iterator(
                     path, fs::directory_options::skip_permission_denied, error);
                 !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
                if (it->is_regular_file(error) && isSyx(it->path())) {
                    files.push_back(it->path());
                }
            }
        } else if (fs::exists(path, error)) {
            files.push_back(path); // named: tried whatever its name
        } else {
            fail(name + ": No such file or directory");
            missing = true;
        }
    }
    std::sort(files.begin(), files.end());
    files.erase(std::unique(files.begin(), files.end()), files.end());
    return files;
}

int add(const Arguments& args) {
    PresetLibrary library;
    if (!opened(library, true)) {
        return kBad;
    }
    bool bad = false;
    RecordOutcome total;
    // Banks, then one-preset files: new, and already there from that same file.
    std::size_t entries[2][2] = {};
    for (const fs::path& file : syxFiles(args.paths, bad)) {
        const auto content = input(Utf8Text(file));
        if (!content) {
            bad = true;
            continue;
        }
        const SyxFileRead read = ReadSyxFile(*content);
        if (!read.whole()) {
            report(Utf8Text(file), read.error);
            bad = true;
            continue;
        }
        std::error_code ignored;
        const auto outcome = library.record(read.records, Utf8Text(fs::absolute(file, ignored)),
                                            "tarnwick-syx", "added");
        if (!outcome) {
            return libraryFailure(library);
        }
        total.newPresets += outcome->newPresets;
        total.knownPresets += outcome->knownPresets;
        ++entries[read.bank ? 0 : 1][outcome->newEntry ? 0 : 1];
    }
    std::cout << "banks: " << entries[0][0] << " new, " << entries[0][1]
              << " already there; one-preset files: " << entries[1][0] << " new, " << entries[1][1]
              << " already there; presets: " << total.newPresets << " new, " << total.knownPresets
              << " already there\n";
    return bad ? kBad : kOk;
}

// Opens the library, asks it `query`, and prints each item found through `asJson` (one
// list) or `asText`.
template <typename Query, typename AsJson, typename AsText>
int printFound(bool json, Query query, AsJson asJson, AsText asText) {
    PresetLibrary library;
    if (!opened(library, false)) {
        return kBad;
    }
    const auto found = query(library);
    if (!found) {
        return libraryFailure(library);
    }
    if (json) {
        Json list = Json::array();
        for (const auto& item : *found) {
            list.push_back(asJson(item));
        }
        std::cout << JsonText(list) << '\n';
        return kOk;
    }
    for (const auto& item : *found) {
        asText(item);
    }
    return kOk;
}

int search(const Arguments& args) {
    return printFound(
        args.asJson,
        [&](PresetLibrary& library) {
            auto found =
                library.search({args.text, args.channel, args.program, 0, {}, args.defaults});
            if (found && !args.sound.empty()) {
                const SoundNamer names = [](int channel, const ChannelSlot& slot) {
                    return CurrentRig().name(channel, slot);
                };
                // With --channel, the sound is the one that channel plays.
                std::erase_if(*found, [&](const LibraryPreset& preset) {
                    return !SelectsSound(preset.record, names, args.sound, args.channel);
                });
                if (found->empty()) {
                    std::cerr << "tarnwick-syx: no preset in the library selects a sound whose "
                                 "name holds \""
                              << args.sound << '"'
                              << (args.channel ? " on channel " + std::to_string(*args.channel)
                                               : std::string())
                              << '\n';
                }
            }
            return found;
        },
        [](const LibraryPreset& preset) {
            return Json{{"id", PresetId(preset.id)},
                        {"name", preset.name},
                        {"channels", ChannelsJson(preset.record)},
                        {"source", preset.source},
                        {"when", preset.when}};
        },
        [](const LibraryPreset& preset) {
            const std::string channels = ChannelsSummary(preset.record, RigNamer());
            std::cout << PresetId(preset.id) << "  " << preset.name << "  " << preset.when << "  "
                      << preset.source << (channels.empty() ? "" : "\n    ") << channels << '\n';
        });
}

int banks(const Arguments& args) {
    return printFound(
        args.asJson, [](PresetLibrary& library) { return library.banks(); },
        [](const LibraryBank& bank) {
            return Json{{"id", BankId(bank.id)}, {"source", bank.source},
                        {"when", bank.when},     {"program", bank.program},
                        {"action", bank.action}, {"first", bank.firstNames}};
        },
        [](const LibraryBank& bank) {
            std::cout << BankId(bank.id) << "  " << bank.when << "  "
                      << (bank.action.empty() ? "" : bank.action + " ") << bank.source << "\n   ";
            for (const std::string& name : bank.firstNames) {
                std::cout << " " << name << " |";
            }
            std::cout << " ...\n";
        });
}

int get(const Arguments& args) {
    PresetLibrary library;
    if (!opened(library, false)) {
        return kBad;
    }
    std::vector<PresetRecord> presets;
    if (args.paths.size() == 1 && ParseLibraryId(args.paths[0], 'b')) {
        const auto bank = library.bank(*ParseLibraryId(args.paths[0], 'b'));
        if (!bank) {
            return libraryFailure(library);
        }
        presets = *bank;
    } else if (args.paths.size() == 1 || args.paths.size() == std::size_t(kPresetCount)) {
        for (const std::string& text : args.paths) {
            const auto id = ParseLibraryId(text, 'p');
            if (!id) {
                return usageError("'" + text + "' is no preset ID (p12) or bank ID (b3)");
            }
            const auto preset = library.preset(*id);
            if (!preset) {
                return libraryFailure(library);
            }
            presets.push_back(preset->record);
        }
    } else {
        return usageError("give one preset ID, 100 preset IDs or one bank ID");
    }
    std::vector<PresetMessage> messages;
    for (std::size_t i = 0; i < presets.size(); ++i) {
        messages.push_back(MessageKeepingName(presets[i], PresetIndex::fromZeroBase(int(i))));
    }
    return output(args.out, SyxBytes(messages));
}

int check(const Arguments& args) {
    PresetLibrary library;
    if (!opened(library, false)) {
        return kBad;
    }
    const auto counts = library.check();
    if (!counts) {
        return libraryFailure(library);
    }
    for (const std::int64_t id : counts->indexMismatches) {
        fail(Utf8Text(*LibraryPath()) + ": " + PresetId(id) +
             ": the channels it is found by disagree with its content");
    }
    if (!counts->indexMismatches.empty()) {
        return kBad;
    }
    if (args.compact && !library.compact()) {
        return libraryFailure(library);
    }
    std::cout << Utf8Text(*LibraryPath()) << ": ok; " << Counted(counts->presets, "preset") << ", "
              << Counted(counts->banks, "bank") << ", "
              << Counted(counts->singles, "one-preset file") << (args.compact ? "; compacted" : "")
              << '\n';
    return kOk;
}

int remove(const Arguments& args) {
    std::vector<std::int64_t> banks;
    std::vector<std::int64_t> presets;
    for (const std::string& text : args.paths) {
        if (const auto bank = ParseLibraryId(text, 'b')) {
            banks.push_back(*bank);
        } else if (const auto preset = ParseLibraryId(text, 'p')) {
            presets.push_back(*preset);
        } else {
            return usageError("'" + text + "' is no preset ID (p12) or bank ID (b3)");
        }
    }
    PresetLibrary library;
    if (!opened(library, false)) {
        return kBad;
    }
    const auto removed = library.remove(banks, presets);
    if (!removed) {
        return libraryFailure(library);
    }
    std::cout << "removed " << Counted(removed->banks, "bank") << ", "
              << Counted(removed->singles, "one-preset file") << "; "
              << Counted(removed->presets, "preset") << " no longer held by any entry\n";
    return kOk;
}

} // namespace

void AddLibraryCommands(CLI::App& app, int& result) {
    auto args = std::make_shared<Arguments>();
    CLI::App* library = app.add_subcommand(
        "library", "The library of every bank and preset read, written or sent (see 'library "
                   "--help').");
    library->require_subcommand(1);

    CLI::App* addCommand =
        AddCommand(*library, result, "add",
                   "Record preset files, and the .syx files of folders (recursively).",
                   [args] { return add(*args); });
    addCommand->add_option("PATH", args->paths, "preset files and folders")->required();

    CLI::App* searchCommand =
        AddCommand(*library, result, "search",
                   "Presets whose name holds TEXT (any letter case), newest first.",
                   [args] { return search(*args); });
    searchCommand->add_option("TEXT", args->text, "a part of the name; none: every preset");
    searchCommand->add_option("--channel", args->channel, "with a value switched on on channel N")
        ->check(CLI::Range(1, kChannelCount));
    searchCommand->add_option("--program", args->program, "with program P (on --channel, if given)")
        ->check(CLI::Range(1, 128));
    searchCommand->add_option("--sound", args->sound,
                              "selecting, under the rig, a sound whose name holds TEXT (any case)");
    searchCommand->add_flag("--json", args->asJson, "as JSON, for scripts");
    searchCommand->add_flag("--defaults", args->defaults,
                            "the slots' untouched defaults (\"New Name 5\", nothing on) too");

    CLI::App* banksCommand =
        AddCommand(*library, result, "banks", "The banks recorded, newest first.",
                   [args] { return banks(*args); });
    banksCommand->add_flag("--json", args->asJson, "as JSON, for scripts");

    CLI::App* getCommand =
        AddCommand(*library, result, "get",
                   "Write presets as a file: one preset ID, 100 preset IDs, or a bank ID.",
                   [args] { return get(*args); });
    getCommand->add_option("ID", args->paths, "p12 (a preset) or b3 (a bank)")->required();
    getCommand->add_option("-o,--output", args->out, "preset file to write (- for standard output)")
        ->required();

    AddCommand(*library, result, "check", "Check the library's integrity and count what it holds.",
               [args] { return check(*args); })
        ->add_flag("--compact", args->compact,
                   "then rebuild the file without its free space (it never shrinks otherwise)");

    AddCommand(*library, result, "remove",
               "Forget banks (b3) and the one-preset files of presets (p12), with every preset "
               "no bank or file holds any more.",
               [args] { return remove(*args); })
        ->add_option("ID", args->paths, "b3 (a bank) or p12 (a preset's one-preset files)")
        ->required();
}

} // namespace tarnwick::cli
