// Moving, swapping and copying presets in bank files, and printing a bank's sheet.
#include "commands.h"

#include "cli_support.h"
#include "preset/bank_operations.h"

#include <CLI/CLI.hpp>

#ifndef TARNWICK_WITHOUT_SHEET
#include "bank_sheet.h"
#include "platform/utf8_path.h"

#include <QGuiApplication>
#endif

#include <filesystem>

#include <iostream>
#include <regex>

namespace tarnwick::cli {

namespace {

std::string presets(std::size_t count) {
    return Counted(count, "preset");
}

// "N" or "N-M", preset numbers from 1 to 100, N <= M.
std::optional<std::pair<int, int>> numberRange(const std::string& text) {
    static const std::regex form(R"((\d{1,3})(?:-(\d{1,3}))?)");
    std::smatch match;
    if (!std::regex_match(text, match, form)) {
        return std::nullopt;
    }
    const int first = std::stoi(match[1]);
    const int last = match[2].matched ? std::stoi(match[2]) : first;
    if (first < 1 || last < first || last > kPresetCount) {
        return std::nullopt;
    }
    return std::pair{first, last};
}

// A bank file: 100 presets, each number once; slot N holds the preset numbered N.
std::optional<PresetBank> loadBank(const std::string& path) {
    std::vector<SyxMessage> messages;
    if (!load(path, messages)) {
        return std::nullopt;
    }
    if (messages.size() != std::size_t(kPresetCount)) {
        fail(path + ": holds " + std::to_string(messages.size()) + " presets; a bank holds 100");
        return std::nullopt;
    }
    PresetBank bank;
    std::vector<bool> seen(kPresetCount, false);
    for (const SyxMessage& message : messages) {
        if (seen[message.presetByte]) {
            fail(path + ": preset " + std::to_string(message.presetByte + 1) +
                 " stands in this file more than once");
            return std::nullopt;
        }
        seen[message.presetByte] = true;
        bank[PresetIndex::fromZeroBase(message.presetByte)] = message.record;
    }
    return bank;
}

// The bank as a file: slot N as preset N, every name byte as it stands.
int writeBank(const PresetBank& bank, const std::string& path) {
    std::vector<PresetMessage> messages;
    for (int i = 0; i < kPresetCount; ++i) {
        const auto index = PresetIndex::fromZeroBase(i);
        messages.push_back(MessageKeepingName(bank[index], index));
    }
    return outputPresets(path, SyxBytes(messages));
}

struct Arguments {
    std::string bank;
    std::string range; // move: FROM[-TO]; copy: SRC[:N[-M]]
    int before = 0;    // move
    int a = 0, b = 0;  // swap
    std::string dest;  // copy
    int at = 0;        // copy
    bool clip = false; // copy
    bool all = false;  // sheet: the unused slots too
    std::string out;
};

int move(const Arguments& args) {
    const auto range = numberRange(args.range);
    if (!range) {
        return usageError("FROM[-TO] must be preset numbers from 1 to 100, as 10 or 10-12");
    }
    auto bank = loadBank(args.bank);
    if (!bank) {
        return kBad;
    }
    std::vector<int> chosen;
    for (int n = range->first; n <= range->second; ++n) {
        chosen.push_back(n - 1);
    }
    MovePresets(*bank, chosen, args.before - 1);
    return writeBank(*bank, args.out.empty() ? args.bank : args.out);
}

int swap(const Arguments& args) {
    auto bank = loadBank(args.bank);
    if (!bank) {
        return kBad;
    }
    SwapPresets(*bank, PresetIndex::fromOneBase(args.a), PresetIndex::fromOneBase(args.b));
    return writeBank(*bank, args.out.empty() ? args.bank : args.out);
}

int copy(const Arguments& args) {
    // SRC:N or SRC:N-M picks presets of a bank; a path that ends otherwise is all of it.
    std::string source = args.range;
    std::optional<std::pair<int, int>> picked;
    if (const auto colon = source.rfind(':'); colon != std::string::npos) {
        picked = numberRange(source.substr(colon + 1));
        if (picked) {
            source.erase(colon);
        }
    }
    std::vector<SyxMessage> messages;
    if (!load(source, messages)) {
        return kBad;
    }
    std::vector<PresetRecord> records;
    for (const SyxMessage& message : messages) {
        const int number = message.presetByte + 1;
        if (!picked || (number >= picked->first && number <= picked->second)) {
            records.push_back(message.record);
        }
    }
    if (records.empty()) {
        return fail(source + ": holds none of presets " + args.range.substr(source.size() + 1));
    }
    auto bank = loadBank(args.dest);
    if (!bank) {
        return kBad;
    }
    const std::size_t room = std::size_t(kPresetCount - args.at + 1);
    if (records.size() > room && !args.clip) {
        return fail(presets(records.size()) + " from slot " + std::to_string(args.at) +
                    " run past slot 100 (--clip leaves out what does not fit: " +
                    presets(records.size() - room) + ")");
    }
    const std::size_t written = PastePresets(*bank, PresetIndex::fromOneBase(args.at), records);
    if (written < records.size()) {
        std::cerr << "tarnwick-syx: " << presets(records.size() - written)
                  << " left out past slot 100\n";
    }
    return writeBank(*bank, args.out.empty() ? args.dest : args.out);
}

#ifndef TARNWICK_WITHOUT_SHEET
int sheet(const Arguments& args) {
    const auto bank = loadBank(args.bank);
    if (!bank) {
        return kBad;
    }
    // The fonts need an application of Qt's; the sheet needs no screen. On Windows the
    // offscreen platform knows no font (a sheet without a word on it): the minimal one
    // reads Windows' own.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
#ifdef _WIN32
        qputenv("QT_QPA_PLATFORM", "minimal:enable_fonts:freetype");
#else
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    }
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {
        // Qt's notes on the platform are not the user's business: errors are ours to say.
    });
    int argc = 1;
    char name[] = "tarnwick-syx";
    char* argv[] = {name, nullptr};
    const QGuiApplication qt(argc, argv);
    const std::string title =
        args.bank == "-" ? std::string("Untitled") : Utf8Text(Utf8Path(args.bank).filename());
    return output(args.out, BankSheetPdf(*bank, QString::fromStdString(title), QDate::currentDate(),
                                         {args.all, RigNamer()})
                                .toStdString());
}
#endif

} // namespace

void AddBankCommands(CLI::App& app, int& result) {
    auto args = std::make_shared<Arguments>();
    const auto slot = CLI::Range(1, kPresetCount);
    const auto outOption = [&args](CLI::App* sub) {
        sub->add_option("-o,--output", args->out,
                        "file to write instead of the bank itself (- for standard output)");
    };

    CLI::App* moveCommand = AddCommand(
        app, result, "move",
        "Move presets FROM to TO of a bank in front of preset BEFORE; the rest close up.",
        [args] { return move(*args); });
    moveCommand->add_option("BANK", args->bank, "bank file (.syx)")->required();
    moveCommand->add_option("FROM[-TO]", args->range, "the presets to move, as 10 or 10-12")
        ->required();
    moveCommand
        ->add_option("BEFORE", args->before,
                     "the preset, in the bank as it was, they land in front of (101: the end)")
        ->required()
        ->check(CLI::Range(1, kPresetCount + 1));
    outOption(moveCommand);

    CLI::App* swapCommand = AddCommand(app, result, "swap", "Exchange two presets of a bank.",
                                       [args] { return swap(*args); });
    swapCommand->add_option("BANK", args->bank, "bank file (.syx)")->required();
    swapCommand->add_option("A", args->a, "one preset (1-100)")->required()->check(slot);
    swapCommand->add_option("B", args->b, "the other (1-100)")->required()->check(slot);
    outOption(swapCommand);

    CLI::App* copyCommand =
        AddCommand(app, result, "copy",
                   "Copy a one-preset file, or presets N to M of a bank, into a bank from slot AT.",
                   [args] { return copy(*args); });
    copyCommand->add_option("SRC[:N[-M]]", args->range, "preset file, and which presets of it")
        ->required();
    copyCommand->add_option("DEST", args->dest, "bank file (.syx) to copy into")->required();
    copyCommand->add_option("AT", args->at, "the first slot written (1-100)")
        ->required()
        ->check(slot);
    copyCommand->add_flag("--clip", args->clip, "leave out what would run past slot 100");
    outOption(copyCommand);

#ifndef TARNWICK_WITHOUT_SHEET
    CLI::App* sheetCommand =
        AddCommand(app, result, "sheet",
                   "Write a PDF of a bank for the stage: number, name and values of each preset.",
                   [args] { return sheet(*args); });
    sheetCommand->add_option("BANK", args->bank, "bank file (.syx)")->required();
    sheetCommand->add_option("-o,--output", args->out, "PDF file to write (- for standard output)")
        ->required();
    sheetCommand->add_flag("--all", args->all,
                           "the unused slots (default name, nothing switched on) too, a short "
                           "line each; else they are left out and counted");
#endif
}

} // namespace tarnwick::cli
