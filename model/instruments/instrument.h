// A synth's sounds by name, as an instrument file describes them: name sets of sounds, each
// sound with the bank select values its bank sends and the program change that selects it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick {

inline constexpr int kRigChannels = 16;

struct Sound {
    std::string bank; // the bank's name as the file gives it
    // The bank select values the sound's bank sends; nothing: that controller is not sent.
    std::optional<std::uint8_t> msb;
    std::optional<std::uint8_t> lsb;
    std::uint8_t program = 0; // as sent, 0 to 127 (the editor shows it plus one)
    std::string number;       // the file's label for the sound ("001", "A-12", "exp-3")
    std::string name;
};

// The sounds a channel may select, in file order, and an index of them by program.
struct NameSet {
    std::string name;
    std::vector<Sound> sounds;
    std::array<std::vector<std::uint32_t>, 128> byProgram; // indexes into `sounds`

    void index();
};

struct Instrument {
    std::string name; // "Manufacturer Model", or the definition's own name
    std::string file; // where it was read from; empty for the built-in one
    std::vector<NameSet> nameSets;
    // The name set each channel (1-16 at 0-15) uses unless the rig says otherwise: what the
    // file's first device mode assigns, else the first name set.
    std::array<std::string, kRigChannels> channelNameSets;
    std::vector<std::string> problems; // parts left out, each with its reason

    const NameSet* nameSet(const std::string& setName) const;
    std::size_t soundCount() const;
};

// What reading one instrument file gave: its instruments, or why it gave none.
struct InstrumentFile {
    std::vector<Instrument> instruments;
    std::string error; // the whole file refused: why
    // Name lists of an expansion document, for the models it names ("Manufacturer Model").
    struct Extension {
        std::string file;
        std::vector<std::string> instruments;
        std::vector<NameSet> nameSets;
    };
    std::vector<Extension> extensions;
};

// Files larger than this are refused unread.
inline constexpr std::uintmax_t kLargestInstrumentFile = 16u << 20;

// A MIDI Name Document (.midnam). No DTD or external entity is ever read.
InstrumentFile ReadMidnam(const std::string& content, const std::string& file);
// A Cakewalk instrument definition file (.ins).
InstrumentFile ReadInstrumentDefinitions(const std::string& content, const std::string& file);
// The 128 General MIDI programs, no bank select: named "General MIDI". Channel 10 uses
// the name set "General MIDI Drums": its programs are drum sets.
const Instrument& GeneralMidi();

} // namespace tarnwick
