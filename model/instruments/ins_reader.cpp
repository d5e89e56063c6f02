// Reading Cakewalk instrument definitions (.ins): an INI-like text of sections (".Patch
// Names", ".Instrument Definitions", ...) holding [entries] of key=value lines.
#include "instruments/instrument.h"
#include "instruments/instrument_text.h"
#include "platform/ascii_case.h"

#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string_view>

namespace tarnwick {

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>; // key=value, in order
using Section = std::map<std::string, Entries>;                   // [name] -> its lines

struct Parsed {
    Section patchNames;
    Section instruments;
    std::vector<std::string> instrumentOrder;
};

// Appends the code point `c` to `out` in UTF-8.
void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// UTF-16 text (after its byte order mark) as UTF-8; a surrogate without its partner becomes
// U+FFFD, an odd last byte is dropped.
std::string utf16AsUtf8(std::string_view bytes, bool bigEndian) {
    std::string out;
    out.reserve(bytes.size() / 2);
    const auto unit = [&](std::size_t i) {
        const auto hi = std::uint8_t(bytes[bigEndian ? i : i + 1]);
        const auto lo = std::uint8_t(bytes[bigEndian ? i + 1 : i]);
        return char32_t(hi << 8 | lo);
    };
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char32_t c = unit(i);
        if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size()) {
            const char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            } else {
                c = 0xFFFD;
            }
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        appendUtf8(out, c);
    }
    return out;
}

// The file's text without its byte order mark; UTF-16 (told by its mark) as UTF-8.
// `encoding` names what was read when it was not plain 8-bit text.
std::string insText(const std::string& content, std::string& encoding) {
    const std::string_view bytes(content);
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        encoding = "UTF-8 with a byte order mark";
        return content.substr(3);
    }
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        const bool bigEndian = bytes[0] == '\xFE';
        encoding = bigEndian ? "UTF-16 big-endian" : "UTF-16 little-endian";
        return utf16AsUtf8(bytes.substr(2), bigEndian);
    }
    if (std::count(content.begin(), content.end(), '\0') > std::ptrdiff_t(content.size() / 4)) {
        encoding = "UTF-16 without a byte order mark, which is not read";
    }
    return content;
}

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
            section = StartsWithNoCase(line, ".Patch Names")              ? &parsed.patchNames
                      : StartsWithNoCase(line, ".Instrument Definitions") ? &parsed.instruments
                                                                          : nullptr;
            entry = nullptr;
        } else if (line[0] == '[' && line.back() == ']') {
            if (section) {
                const std::string name = TextAsUtf8(TrimmedText(line.substr(1, line.size() - 2)));
                if (section == &parsed.instruments && !section->count(name)) {
                    parsed.instrumentOrder.push_back(name);
                }
                entry = &(*section)[name];
            }
        } else if (const auto equals = line.find('='); entry && equals != std::string::npos) {
            entry->emplace_back(TrimmedText(line.substr(0, equals)),
                                TextAsUtf8(TrimmedText(line.substr(equals + 1))));
        }
    }
    return parsed;
}

// Each program's name in the file's text, or none.
using Programs = std::array<const std::string*, 128>;

// The programs of the patch name lists, each list with those of the list it is based on
// under its own. Each list is resolved once and kept, and a chain of lists is followed in
// a loop, never by recursion: a file may base lists on each other thousands deep.
class ListResolver {
public:
    // How deep lists may be based on each other before the deeper ones are left out.
    static constexpr std::size_t kDeepest = 4096;

    explicit ListResolver(const Section& lists) : m_lists(lists) {}

    // `name`'s programs; what was wrong with the chain under it goes to `problems`, once
    // for each list.
    const Programs& resolve(const std::string& name, std::vector<std::string>& problems) {
        std::vector<const Section::value_type*> chain; // `name` first, its bases after
        std::set<std::string> onChain;
        const Programs* base = &m_none;
        for (std::string at = name; !at.empty();) {
            if (const auto done = m_done.find(at); done != m_done.end()) {
                base = done->second.get();
                break;
            }
            const auto list = m_lists.find(at);
            if (list == m_lists.end()) {
                break; // based on a list that is not there: nothing under it
            }
            if (!onChain.insert(at).second) {
                problems.push_back("list \"" + at +
                                   "\" is based on itself in a ring; the ring is " + "cut there");
                break;
            }
            if (chain.size() == kDeepest) {
                problems.push_back("list \"" + name + "\" is based on lists more than " +
                                   std::to_string(kDeepest) +
                                   " deep; the deeper ones are left out");
                break;
            }
            chain.push_back(&*list);
            at.clear();
            for (const auto& [key, value] : list->second) {
                if (StartsWithNoCase(key, "BasedOn")) {
                    at = value; // the last one counts
                }
            }
        }
        for (auto list = chain.rbegin(); list != chain.rend(); ++list) {
            auto programs = std::make_shared<Programs>(*base);
            for (const auto& [key, value] : (*list)->second) {
                const auto program = WholeNumber(key);
                if (!program || *program < 0 || *program > 127) {
                    continue;
                }
                // A program without a name names no sound.
                (*programs)[std::size_t(*program)] = value.empty() ? nullptr : &value;
            }
            base = programs.get();
            m_done.emplace((*list)->first, std::move(programs));
        }
        return *base;
    }

private:
    const Section& m_lists;
    const Programs m_none{};
    std::map<std::string, std::shared_ptr<const Programs>> m_done;
};

} // namespace

InstrumentFile ReadInstrumentDefinitions(const std::string& content, const std::string& file) {
    InstrumentFile result;
    if (content.size() > kLargestInstrumentFile) {
        result.error = "larger than 16 MiB";
        return result;
    }
    std::string encoding;
    const Parsed parsed = parse(insText(content, encoding));
    ListResolver lists(parsed.patchNames);
    for (const std::string& name : parsed.instrumentOrder) {
        const Entries& lines = parsed.instruments.at(name);
        Instrument instrument;
        instrument.name = name;
        instrument.file = file;
        int method = 0;
        for (const auto& [key, value] : lines) {
            if (StartsWithNoCase(key, "BankSelMethod")) {
                method = WholeNumber(value).value_or(0);
            }
        }
        NameSet set;
        set.name = "Patches";
        for (const auto& [key, listName] : lines) {
            if (!StartsWithNoCase(key, "Patch[") || key.back() != ']') {
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
            const Programs& programs = lists.resolve(listName, instrument.problems);
            for (std::size_t program = 0; program < programs.size(); ++program) {
                if (!programs[program]) {
                    continue;
                }
                Sound sound = bank;
                sound.program = std::uint8_t(program);
                sound.number = std::to_string(program + 1);
                sound.name = *programs[program];
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
        if (!encoding.empty()) {
            result.error += "; read as " + encoding;
        }
    }
    return result;
}

} // namespace tarnwick
