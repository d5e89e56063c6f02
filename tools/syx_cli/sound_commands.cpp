// The synths' sounds by name on the command line: the instruments found, their sounds, the
// rig, and writing a sound chosen by name into a preset.
#include "commands.h"
#include "platform/utf8_path.h"

#include "cli_support.h"
#include "preset/preset_json.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <iostream>

namespace tarnwick::cli {

namespace {

struct Arguments {
    std::string text;
    std::string instrument;
    std::string nameSet;
    std::string bank; // pick: of the banks whose name holds it
    bool asJson = false;
    bool check = false;
    int channel = 0;
    std::string file;
    int preset = 0;
    std::string sound;
    std::string out;
};

bool holds(const std::string& text, const std::string& part) {
    return part.empty() || LowerCase(text).find(LowerCase(part)) != std::string::npos;
}

// The one instrument `name` names in any spelling (said on standard error when it was not
// its very name); else exit 1 listing those it names, or naming the nearest.
const Instrument* instrumentNamed(const std::string& name) {
    const std::vector<const Instrument*> found = Instruments().named(name);
    if (found.size() == 1) {
        if (LowerCase(found.front()->name) != LowerCase(name)) {
            std::cerr << "tarnwick-syx: \"" << name << "\" is " << found.front()->name << '\n';
        }
        return found.front();
    }
    if (found.size() > 1) {
        std::string list;
        for (const Instrument* instrument : found) {
            list += "\n  " + instrument->name;
        }
        fail(std::to_string(found.size()) + " instruments answer to \"" + name + "\":" + list +
             "\nname one of them");
        return nullptr;
    }
    std::string nearest;
    for (const std::string& near : Instruments().closest(name, 3)) {
        nearest += (nearest.empty() ? "" : ", ") + ('"' + near + '"');
    }
    fail("no instrument \"" + name + "\" is found; the nearest: " + nearest);
    return nullptr;
}

Json soundJson(const Sound& sound) {
    const auto value = [](const std::optional<std::uint8_t>& v) {
        return v ? Json(*v) : Json();
    };
    return Json{{"bank", sound.bank},      {"msb", value(sound.msb)},
                {"lsb", value(sound.lsb)}, {"program", sound.program + 1},
                {"number", sound.number},  {"name", sound.name}};
}

int instruments(const Arguments& args) {
    const InstrumentLibrary& library = Instruments();
    Json list = Json::array();
    for (const Instrument& instrument : library.instruments()) {
        if (!holds(instrument.name, args.text)) {
            continue;
        }
        Json sets = Json::array();
        std::string setsText;
        for (const NameSet& set : instrument.nameSets) {
            sets.push_back({{"name", set.name}, {"sounds", set.sounds.size()}});
            setsText += (setsText.empty() ? "" : ", ") + set.name;
        }
        const std::string file = instrument.file.empty() ? "built in" : instrument.file;
        list.push_back({{"name", instrument.name},
                        {"file", file},
                        {"sounds", instrument.soundCount()},
                        {"nameSets", sets},
                        {"shadowed", false}});
        if (!args.asJson) {
            std::cout << instrument.name << "  " << Counted(instrument.soundCount(), "sound")
                      << " (" << setsText << ")  " << file << '\n';
        }
    }
    for (const auto& shadowed : library.shadowed()) {
        if (!holds(shadowed.name, args.text)) {
            continue;
        }
        list.push_back({{"name", shadowed.name}, {"file", shadowed.file}, {"shadowed", true}});
        if (!args.asJson) {
            std::cout << shadowed.name << "  shadowed (found first elsewhere)  " << shadowed.file
                      << '\n';
        }
    }
    if (args.asJson) {
        std::cout << JsonText(list) << '\n';
    }
    if (list.empty() && !args.text.empty()) {
        std::cerr << "tarnwick-syx: no instrument's name holds \"" << args.text << "\"\n";
    }
    if (!args.check) {
        return kOk;
    }
    // Only what concerns the instruments asked for: a refused file by its name, as it has
    // no instrument to match.
    bool faults = false;
    for (const auto& problem : library.fileProblems()) {
        if (holds(std::filesystem::path(problem.file).filename().string(), args.text)) {
            std::cerr << "tarnwick-syx: " << problem.file << ": " << problem.reason << '\n';
            faults = true;
        }
    }
    for (const Instrument& instrument : library.instruments()) {
        if (!holds(instrument.name, args.text)) {
            continue;
        }
        for (const std::string& problem : instrument.problems) {
            std::cerr << "tarnwick-syx: note: " << instrument.file << ": " << instrument.name
                      << ": " << problem << '\n';
            faults = true;
        }
    }
    return faults ? kBad : kOk;
}

// The name set `wanted`, or the instrument's own for channel 1; else exit 1.
const NameSet* nameSetOf(const Instrument& instrument, const std::string& wanted) {
    const std::string name = wanted.empty() ? instrument.channelNameSets[0] : wanted;
    if (const NameSet* set = instrument.nameSet(name)) {
        return set;
    }
    std::string sets;
    for (const NameSet& set : instrument.nameSets) {
        sets += (sets.empty() ? "" : ", ") + ('"' + set.name + '"');
    }
    fail(instrument.name + " has no name set \"" + name + "\"; it has " +
         (sets.empty() ? "none" : sets));
    return nullptr;
}

int sounds(const Arguments& args) {
    const Instrument* instrument = instrumentNamed(args.instrument);
    const NameSet* set = instrument ? nameSetOf(*instrument, args.nameSet) : nullptr;
    if (!set) {
        return kBad;
    }
    Json list = Json::array();
    bool any = false;
    for (const Sound& sound : set->sounds) {
        if (!holds(sound.name, args.text)) {
            continue;
        }
        any = true;
        if (args.asJson) {
            list.push_back(soundJson(sound));
        } else {
            std::cout << sound.bank << "  " << SoundValues(sound) << "  " << sound.number << "  "
                      << sound.name << '\n';
        }
    }
    if (args.asJson) {
        std::cout << JsonText(list) << '\n';
    }
    if (!any && !args.text.empty()) {
        std::cerr << "tarnwick-syx: no sound of " << instrument->name << " (" << set->name
                  << ") has a name that holds \"" << args.text << "\"\n";
    }
    return kOk;
}

// The rig from its file; else exit 1.
std::optional<Rig> rigFile() {
    const auto path = RigPath();
    if (!path) {
        fail("the rig is switched off (TARNWICK_RIG=off)");
        return std::nullopt;
    }
    std::string error;
    auto rig = ReadRig(*path, error);
    if (!rig) {
        fail("the rig " + Utf8Text(*path) + ' ' + error);
    }
    return rig;
}

int showRig(const Arguments& args) {
    const auto rig = rigFile();
    if (!rig) {
        return kBad;
    }
    const RigNames names(*rig, Instruments());
    Json channels = Json::object();
    for (int channel = 1; channel <= kRigChannels; ++channel) {
        const RigChannel& slot = rig->channels[std::size_t(channel - 1)];
        const NameSet* set = names.nameSet(channel);
        if (args.asJson) {
            if (!slot.instrument.empty()) {
                channels[std::to_string(channel)] = {{"instrument", slot.instrument},
                                                     {"nameSet", set ? Json(set->name) : Json()},
                                                     {"found", set != nullptr}};
            }
            continue;
        }
        std::cout << channel << ": "
                  << (slot.instrument.empty()
                          ? std::string("-")
                          : slot.instrument + " (" + (set ? set->name : "not found") + ")")
                  << '\n';
    }
    if (args.asJson) {
        std::cout << JsonText(Json{{"file", Utf8Text(*RigPath())}, {"channels", channels}}) << '\n';
    }
    for (const std::string& problem : names.problems()) {
        std::cerr << "tarnwick-syx: note: " << problem << '\n';
    }
    return kOk;
}

int changeRig(const Arguments& args, bool set) {
    auto rig = rigFile();
    if (!rig) {
        return kBad;
    }
    RigChannel& slot = rig->channels[std::size_t(args.channel - 1)];
    if (set) {
        const Instrument* instrument = instrumentNamed(args.instrument);
        if (!instrument || (!args.nameSet.empty() && !nameSetOf(*instrument, args.nameSet))) {
            return kBad;
        }
        slot = {instrument->name, args.nameSet};
    } else {
        slot = {};
    }
    std::string error;
    if (!WriteRig(*RigPath(), *rig, error)) {
        return fail("cannot write " + Utf8Text(*RigPath()) + ": " + error);
    }
    return kOk;
}

int pick(const Arguments& args) {
    std::vector<SyxMessage> messages;
    if (!load(args.file, messages)) {
        return kBad;
    }
    SyxMessage* target = presetIn(messages, args.preset, args.file);
    if (!target) {
        return kBad;
    }
    const NameSet* set = CurrentRig().nameSet(args.channel);
    if (!set) {
        return fail("channel " + std::to_string(args.channel) +
                    " has no instrument in the rig (tarnwick-syx rig set)");
    }
    // The exact name (any case) first, else every name that answers to it in any spelling;
    // of the banks whose name holds --bank, when given.
    std::vector<const Sound*> found;
    for (const bool exact : {true, false}) {
        for (const Sound& sound : set->sounds) {
            if (holds(sound.bank, args.bank) &&
                (exact ? LowerCase(sound.name) == LowerCase(args.sound)
                       : AnswersTo(sound.name, args.sound))) {
                found.push_back(&sound);
            }
        }
        if (!found.empty()) {
            break;
        }
    }
    if (found.empty()) {
        return fail("no sound \"" + args.sound + "\" in " + set->name +
                    (args.bank.empty() ? "" : " in a bank whose name holds \"" + args.bank + '"'));
    }
    if (found.size() > 1) {
        std::string list;
        for (const Sound* sound : found) {
            list += "\n  " + sound->bank + "  " + SoundValues(*sound) + "  " + sound->name;
        }
        return fail(std::to_string(found.size()) + " sounds match \"" + args.sound + "\":" + list +
                    "\nchoose one with a fuller name, or with --bank and a part of its bank's "
                    "name");
    }
    const Sound& sound = *found.front();
    ChannelSlot& slot = target->record.channel(args.channel);
    slot = SoundSlot(slot, sound);
    const int written = outputMessages(args.out.empty() ? args.file : args.out, messages);
    if (written == kOk) {
        std::cout << "Preset " << args.preset << " channel " << args.channel << ": "
                  << SoundValues(sound) << ' ' << sound.name << '\n';
    }
    return written;
}

} // namespace

void AddSoundCommands(CLI::App& app, int& result) {
    auto args = std::make_shared<Arguments>();
    CLI::App* list = AddCommand(app, result, "instruments",
                                "List the instruments found (MIDNAM and .ins files, General MIDI).",
                                [args] { return instruments(*args); });
    list->add_option("TEXT", args->text, "only those whose name holds TEXT (any case)");
    list->add_flag("--json", args->asJson, "as JSON");
    list->add_flag("--check", args->check,
                   "also name every file that could not be read and every part left out, and why "
                   "(exit 1 if any)");

    CLI::App* soundsCommand = AddCommand(app, result, "sounds",
                                         "List an instrument's sounds: bank, MSB/LSB/program, "
                                         "number and name.",
                                         [args] { return sounds(*args); });
    soundsCommand
        ->add_option("INSTRUMENT", args->instrument,
                     "its name in any spelling (\"jv1080\", \"yamaha es7\")")
        ->required();
    soundsCommand->add_option("TEXT", args->text, "only sounds whose name holds TEXT (any case)");
    soundsCommand->add_option("--name-set", args->nameSet,
                              "which of its name sets (default: the one of channel 1)");
    soundsCommand->add_flag("--json", args->asJson, "as JSON");

    CLI::App* rig = AddCommand(app, result, "rig",
                               "Show the rig: the instrument on each MIDI channel (see --rig).",
                               [args] { return showRig(*args); });
    rig->add_flag("--json", args->asJson, "as JSON");
    rig->require_subcommand(0, 1);
    CLI::App* rigSet = AddCommand(*rig, result, "set", "Put an instrument on a channel.",
                                  [args] { return changeRig(*args, true); });
    rigSet->add_option("CHANNEL", args->channel, "1-16")->required()->check(CLI::Range(1, 16));
    rigSet->add_option("INSTRUMENT", args->instrument, "its name in any spelling (\"jv1080\")")
        ->required();
    rigSet->add_option("--name-set", args->nameSet,
                       "which name set (default: the instrument's own for that channel)");
    CLI::App* rigClear = AddCommand(*rig, result, "clear", "Take the instrument off a channel.",
                                    [args] { return changeRig(*args, false); });
    rigClear->add_option("CHANNEL", args->channel, "1-16")->required()->check(CLI::Range(1, 16));

    CLI::App* pickCommand = AddCommand(
        app, result, "pick",
        "Write a sound chosen by name into a channel of a preset: bank selects and program.",
        [args] { return pick(*args); });
    pickCommand->add_option("FILE", args->file, "bank or one-preset file (.syx)")->required();
    pickCommand->add_option("PRESET", args->preset, "1-100")
        ->required()
        ->check(CLI::Range(1, kPresetCount));
    pickCommand->add_option("CHANNEL", args->channel, "1-16")->required()->check(CLI::Range(1, 16));
    pickCommand
        ->add_option("NAME", args->sound,
                     "the sound's name (any case), or words only one name holds, in any order")
        ->required();
    pickCommand->add_option("--bank", args->bank,
                            "only of banks whose name holds TEXT (any case), where banks share "
                            "a name");
    pickCommand->add_option("-o,--output", args->out, "file to write instead of FILE");
}

} // namespace tarnwick::cli
