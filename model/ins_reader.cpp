// Reading Cakewalk instrument definitions (.ins): an INI-like text of sections (".Patch
// Names", ".Instrument Definitions", ...) holding [entries] of key=value lines.
#include "instrument.h"
#include "instrument_text.h"

#include <algorithm>
#include <map>
#include <set>
#include <sstream>

namespace tarnwick {

namespace {

bool validUtf8(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto b = std::uint8_t(text[i]);
        const int more = b < 0x80         ? 0
                         : (b >> 5) == 6  ? 1
                         : (b >> 4) == 14 ? 2
                         : (b >> 3) == 30 ? 3
                                          : -1;
        if (more < 0 || text.size() - i <= std::size_t(more)) {
            return false;
        }
        for (int k = 1; k <= more; ++k) {
            if ((std::uint8_t(text[i + std::size_t(k)]) >> 6) != 2) {
                return false;
            }
        }
        i += std::size_t(more) + 1;
    }
    return true;
}

// These files are mostly written on Windows in its Western code page: such text is taken
// as Latin-1.
std::string asUtf8(const std::string& text) {
    if (validUtf8(text)) {
        return text;
    }
    std::string utf8;
    for (const char c : text) {
        const auto b = std::uint8_t(c);
        if (b < 0x80) {
            utf8 += c;
        } else {
            utf8 += char(0xC0 | (b >> 6));
            utf8 += char(0x80 | (b & 0x3F));
        }
    }
    return utf8;
}

bool startsWithNoCase(std::string_view text, std::string_view start) {
    return text.size() >= start.size() &&
           std::equal(start.begin(), start.end(), text.begin(),
                      [](char a, char b) { return std::tolower(a) == std::tolower(b); });
}

using Entries = std::vector<std::pair<std::string, std::string>>; // key=value, in order
using Section = std::map<std::string, Entries>;                   // [name] -> its lines

struct Parsed {
    Section patchNames;
    Section instruments;
    std::vector<std::string> instrumentOrder;
};

Parsed parse(const std::string& content) {
    Parsed parsed;
    std::istringstream lines(content);
    std::string line;
    Section* section = nullptr;
    Entries* entry = nullptr;
    while (std::getline(lines, line)) {
        line = TrimmedText(line);
        if (line.empty() || line[0] == ';') {
            continue;
        }
        if (line[0] == '.') {
            section = startsWithNoCase(line, ".Patch Names")              ? &parsed.patchNames
                      : startsWithNoCase(line, ".Instrument Definitions") ? &parsed.instruments
                                                                          : nullptr;
            entry = nullptr;
        } else if (line[0] == '[' && line.back() == ']') {
            if (section) {
                const std::string name = asUtf8(TrimmedText(line.substr(1, line.size() - 2)));
                if (section == &parsed.instruments && !section->count(name)) {
                    parsed.instrumentOrder.push_back(name);
                }
                entry = &(*section)[name];
            }
        } else if (const auto equals = line.find('='); entry && equals != std::string::npos) {
            entry->emplace_back(TrimmedText(line.substr(0, equals)),
                                asUtf8(TrimmedText(line.substr(equals + 1))));
        }
    }
    return parsed;
}

// A patch name list's programs, with those of the list it is based on under its own.
std::map<int, std::string> programs(const Section& lists, const std::string& name,
                                    std::set<std::string>& seen) {
    std::map<int, std::string> found;
    const auto list = lists.find(name);
    if (list == lists.end() || !seen.insert(name).second) {
        return found; // missing, or based on itself in a ring
    }
    for (const auto& [key, value] : list->second) {
        if (startsWithNoCase(key, "BasedOn")) {
            found = programs(lists, value, seen);
        }
    }
    for (const auto& [key, value] : list->second) {
        if (const auto program = WholeNumber(key); program && *program >= 0 && *program <= 127) {
            if (value.empty()) {
                found.erase(*program); // a program without a name names no sound
            } else {
                found[*program] = value;
            }
        }
    }
    return found;
}

} // namespace

InstrumentFile ReadInstrumentDefinitions(const std::string& content, const std::string& file) {
    InstrumentFile result;
    if (content.size() > kLargestInstrumentFile) {
        result.error = "larger than 16 MiB";
        return result;
    }
    const Parsed parsed = parse(content);
    for (const std::string& name : parsed.instrumentOrder) {
        const Entries& lines = parsed.instruments.at(name);
        Instrument instrument;
        instrument.name = name;
        instrument.file = file;
        int method = 0;
        for (const auto& [key, value] : lines) {
            if (startsWithNoCase(key, "BankSelMethod")) {
                method = WholeNumber(value).value_or(0);
            }
        }
        NameSet set;
        set.name = "Patches";
        for (const auto& [key, listName] : lines) {
            if (!startsWithNoCase(key, "Patch[") || key.back() != ']') {
                continue;
            }
            const std::string bankKey = key.substr(6, key.size() - 7);
            Sound bank;
            bank.bank = listName;
            if (bankKey != "*") {
                const auto n = WholeNumber(bankKey);
                const int largest = method == 0 ? 16383 : 127;
                if (!n || *n < 0 || *n > largest) {
                    instrument.problems.push_back("bank [" + bankKey + "] left out: not a bank " +
                                                  "number 0 to " + std::to_string(largest));
                    continue;
                }
                if (method == 0) {
                    bank.msb = std::uint8_t(*n / 128);
                    bank.lsb = std::uint8_t(*n % 128);
                } else if (method == 1) {
                    bank.msb = std::uint8_t(*n);
                } else if (method == 2) {
                    bank.lsb = std::uint8_t(*n);
                }
            }
            if (!parsed.patchNames.count(listName)) {
                instrument.problems.push_back("bank [" + bankKey + "] left out: its list \"" +
                                              listName + "\" is nowhere in the file");
                continue;
            }
            std::set<std::string> seen;
            for (const auto& [program, patchName] : programs(parsed.patchNames, listName, seen)) {
                Sound sound = bank;
                sound.program = std::uint8_t(program);
                sound.number = std::to_string(program + 1);
                sound.name = patchName;
                set.sounds.push_back(std::move(sound));
            }
        }
        set.index();
        instrument.nameSets.push_back(std::move(set));
        instrument.channelNameSets.fill("Patches");
        result.instruments.push_back(std::move(instrument));
    }
    if (result.instruments.empty()) {
        result.error = "defines no instrument (no .Instrument Definitions entry)";
    }
    return result;
}

} // namespace tarnwick
