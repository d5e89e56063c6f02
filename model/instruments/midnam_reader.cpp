// Reading MIDI Name Documents with pugixml: it reads no DTD and expands no entity beyond
// XML's own five, so a document cannot make it fetch or grow anything.
#include "instruments/instrument.h"
#include "instruments/instrument_text.h"

#include <pugixml.hpp>

#include <cstring>
#include <map>

namespace tarnwick {

namespace {

// A 7-bit value, or nothing.
std::optional<std::uint8_t> dataByte(const char* text) {
    const auto value = WholeNumber(text);
    if (!value || *value < 0 || *value > 127) {
        return std::nullopt;
    }
    return std::uint8_t(*value);
}

// The bank selects of a MIDICommands or PatchMIDICommands element.
void bankSelects(const pugi::xml_node& commands, Sound& sound) {
    for (const pugi::xml_node& change : commands.children("ControlChange")) {
        const auto control = WholeNumber(change.attribute("Control").value());
        const auto value = dataByte(change.attribute("Value").value());
        if (control == 0) {
            sound.msb = value;
        } else if (control == 32) {
            sound.lsb = value;
        }
    }
}

// The patches of a PatchNameList into `set`, under `bank` with its bank selects. Patches
// without a program they can be selected by are counted into `skipped`.
void addPatches(const pugi::xml_node& list, const Sound& bank, NameSet& set, int& skipped) {
    for (const pugi::xml_node& patch : list.children("Patch")) {
        Sound sound = bank;
        sound.number = NameText(patch.attribute("Number").value());
        sound.name = NameText(patch.attribute("Name").value());
        std::optional<std::uint8_t> program = dataByte(patch.attribute("ProgramChange").value());
        if (const pugi::xml_node own = patch.child("PatchMIDICommands")) {
            // The patch's own commands say all it sends, instead of its bank's.
            sound.msb.reset();
            sound.lsb.reset();
            bankSelects(own, sound);
            if (const pugi::xml_node change = own.child("ProgramChange")) {
                program = dataByte(change.attribute("Number").value());
            }
        }
        if (!program || sound.name.empty()) {
            ++skipped;
            continue;
        }
        sound.program = *program;
        set.sounds.push_back(std::move(sound));
    }
}

// The named patch lists anywhere under `root`, by name.
std::map<std::string, pugi::xml_node> namedLists(const pugi::xml_node& root) {
    std::map<std::string, pugi::xml_node> lists;
    for (const pugi::xpath_node& found : root.select_nodes(".//PatchNameList[@Name]")) {
        lists.emplace(found.node().attribute("Name").value(), found.node());
    }
    return lists;
}

std::vector<std::string> modelNames(const pugi::xml_node& device) {
    const std::string maker = NameText(device.child_value("Manufacturer"));
    std::vector<std::string> names;
    for (const pugi::xml_node& model : device.children("Model")) {
        const std::string name = NameText(model.child_value());
        if (!name.empty()) {
            names.push_back(maker.empty() ? name : maker + ' ' + name);
        }
    }
    return names;
}

void readMaster(const pugi::xml_node& device, const pugi::xml_node& document,
                const std::string& file, InstrumentFile& result) {
    Instrument instrument;
    instrument.file = file;
    const auto lists = namedLists(document);
    int skipped = 0;
    for (const pugi::xml_node& setNode : device.children("ChannelNameSet")) {
        NameSet set;
        set.name = NameText(setNode.attribute("Name").value());
        for (const pugi::xml_node& bankNode : setNode.children("PatchBank")) {
            Sound bank;
            bank.bank = NameText(bankNode.attribute("Name").value());
            bankSelects(bankNode.child("MIDICommands"), bank);
            if (const pugi::xml_node list = bankNode.child("PatchNameList")) {
                addPatches(list, bank, set, skipped);
            } else if (const pugi::xml_node uses = bankNode.child("UsesPatchNameList")) {
                const std::string listName = uses.attribute("Name").value();
                if (const auto found = lists.find(listName); found != lists.end()) {
                    addPatches(found->second, bank, set, skipped);
                } else {
                    instrument.problems.push_back("bank \"" + bank.bank + "\" of name set \"" +
                                                  set.name + "\" left out: its list \"" + listName +
                                                  "\" is nowhere in the file");
                }
            }
        }
        set.index();
        instrument.nameSets.push_back(std::move(set));
    }
    if (skipped > 0) {
        instrument.problems.push_back(std::to_string(skipped) +
                                      (skipped == 1 ? " patch" : " patches") +
                                      " without a name or a program 0 to 127 left out");
    }
    if (const pugi::xml_node mode = device.child("CustomDeviceMode")) {
        for (const pugi::xml_node& assign :
             mode.child("ChannelNameSetAssignments").children("ChannelNameSetAssign")) {
            const auto channel = WholeNumber(assign.attribute("Channel").value());
            if (channel && *channel >= 1 && *channel <= kRigChannels) {
                instrument.channelNameSets[std::size_t(*channel - 1)] =
                    NameText(assign.attribute("NameSet").value());
            }
        }
    }
    for (std::string& assigned : instrument.channelNameSets) {
        if ((assigned.empty() || !instrument.nameSet(assigned)) && !instrument.nameSets.empty()) {
            assigned = instrument.nameSets.front().name;
        }
    }
    for (const std::string& name : modelNames(device)) {
        Instrument one = instrument;
        one.name = name;
        result.instruments.push_back(std::move(one));
    }
}

void readExtension(const pugi::xml_node& device, const std::string& file, InstrumentFile& result) {
    InstrumentFile::Extension extension;
    extension.file = file;
    extension.instruments = modelNames(device);
    int skipped = 0;
    for (const pugi::xml_node& list : device.children("PatchNameList")) {
        NameSet set;
        set.name = NameText(list.attribute("Name").value());
        Sound bank; // an expansion's list selects by program only
        bank.bank = set.name;
        addPatches(list, bank, set, skipped);
        set.index();
        extension.nameSets.push_back(std::move(set));
    }
    if (!extension.instruments.empty() && !extension.nameSets.empty()) {
        result.extensions.push_back(std::move(extension));
    }
}

} // namespace

InstrumentFile ReadMidnam(const std::string& content, const std::string& file) {
    InstrumentFile result;
    if (content.size() > kLargestInstrumentFile) {
        result.error = "larger than 16 MiB";
        return result;
    }
    pugi::xml_document document;
    // No DOCTYPE processing: its external subset and entities are never read.
    const pugi::xml_parse_result parsed =
        document.load_buffer(content.data(), content.size(),
                             pugi::parse_default & ~pugi::parse_doctype, pugi::encoding_utf8);
    if (!parsed) {
        // Where, in words; the parser's own text means nothing to a musician.
        result.error = "not well-formed XML (it breaks off or its tags do not match) near "
                       "byte " +
                       std::to_string(parsed.offset);
        return result;
    }
    const pugi::xml_node root = document.child("MIDINameDocument");
    if (!root) {
        result.error = "not a MIDI Name Document (no MIDINameDocument element)";
        return result;
    }
    for (const pugi::xml_node& device : root.children("MasterDeviceNames")) {
        readMaster(device, root, file, result);
    }
    for (const pugi::xml_node& device : root.children("ExtendingDeviceNames")) {
        readExtension(device, file, result);
    }
    if (result.instruments.empty() && result.extensions.empty()) {
        result.error = "names no instrument";
    }
    return result;
}

} // namespace tarnwick
