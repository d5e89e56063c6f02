// Instruments' lookups, and the built-in General MIDI instrument.
#include "instruments/instrument.h"

#include <algorithm>
#include <array>
#include <utility>

namespace tarnwick {

void NameSet::index() {
    for (auto& list : byProgram) {
        list.clear();
    }
    for (std::size_t i = 0; i < sounds.size(); ++i) {
        byProgram[sounds[i].program].push_back(std::uint32_t(i));
    }
}

const NameSet* Instrument::nameSet(const std::string& setName) const {
    const auto found = std::find_if(nameSets.begin(), nameSets.end(),
                                    [&setName](const NameSet& set) { return set.name == setName; });
    return found == nameSets.end() ? nullptr : &*found;
}

std::size_t Instrument::soundCount() const {
    std::size_t count = 0;
    for (const NameSet& set : nameSets) {
        count += set.sounds.size();
    }
    return count;
}

namespace {

const char* const kGeneralMidiNames[128] = {"Acoustic Grand Piano",
                                            "Bright Acoustic Piano",
                                            "Electric Grand Piano",
                                            "Honky-tonk Piano",
                                            "Electric Piano 1",
                                            "Electric Piano 2",
                                            "Harpsichord",
                                            "Clavi",
                                            "Celesta",
                                            "Glockenspiel",
                                            "Music Box",
                                            "Vibraphone",
                                            "Marimba",
                                            "Xylophone",
                                            "Tubular Bells",
                                            "Dulcimer",
                                            "Drawbar Organ",
                                            "Percussive Organ",
                                            "Rock Organ",
                                            "Church Organ",
                                            "Reed Organ",
                                            "Accordion",
                                            "Harmonica",
                                            "Tango Accordion",
                                            "Acoustic Guitar (nylon)",
                                            "Acoustic Guitar (steel)",
                                            "Electric Guitar (jazz)",
                                            "Electric Guitar (clean)",
                                            "Electric Guitar (muted)",
                                            "Overdriven Guitar",
                                            "Distortion Guitar",
                                            "Guitar harmonics",
                                            "Acoustic Bass",
                                            "Electric Bass (finger)",
                                            "Electric Bass (pick)",
                                            "Fretless Bass",
                                            "Slap Bass 1",
                                            "Slap Bass 2",
                                            "Synth Bass 1",
                                            "Synth Bass 2",
                                            "Violin",
                                            "Viola",
                                            "Cello",
                                            "Contrabass",
                                            "Tremolo Strings",
                                            "Pizzicato Strings",
                                            "Orchestral Harp",
                                            "Timpani",
                                            "String Ensemble 1",
                                            "String Ensemble 2",
                                            "SynthStrings 1",
                                            "SynthStrings 2",
                                            "Choir Aahs",
                                            "Voice Oohs",
                                            "Synth Voice",
                                            "Orchestra Hit",
                                            "Trumpet",
                                            "Trombone",
                                            "Tuba",
                                            "Muted Trumpet",
                                            "French Horn",
                                            "Brass Section",
                                            "SynthBrass 1",
                                            "SynthBrass 2",
                                            "Soprano Sax",
                                            "Alto Sax",
                                            "Tenor Sax",
                                            "Baritone Sax",
                                            "Oboe",
                                            "English Horn",
                                            "Bassoon",
                                            "Clarinet",
                                            "Piccolo",
                                            "Flute",
                                            "Recorder",
                                            "Pan Flute",
                                            "Blown Bottle",
                                            "Shakuhachi",
                                            "Whistle",
                                            "Ocarina",
                                            "Lead 1 (square)",
                                            "Lead 2 (sawtooth)",
                                            "Lead 3 (calliope)",
                                            "Lead 4 (chiff)",
                                            "Lead 5 (charang)",
                                            "Lead 6 (voice)",
                                            "Lead 7 (fifths)",
                                            "Lead 8 (bass + lead)",
                                            "Pad 1 (new age)",
                                            "Pad 2 (warm)",
                                            "Pad 3 (polysynth)",
                                            "Pad 4 (choir)",
                                            "Pad 5 (bowed)",
                                            "Pad 6 (metallic)",
                                            "Pad 7 (halo)",
                                            "Pad 8 (sweep)",
                                            "FX 1 (rain)",
                                            "FX 2 (soundtrack)",
                                            "FX 3 (crystal)",
                                            "FX 4 (atmosphere)",
                                            "FX 5 (brightness)",
                                            "FX 6 (goblin)",
                                            "FX 7 (echoes)",
                                            "FX 8 (sci-fi)",
                                            "Sitar",
                                            "Banjo",
                                            "Shamisen",
                                            "Koto",
                                            "Kalimba",
                                            "Bag pipe",
                                            "Fiddle",
                                            "Shanai",
                                            "Tinkle Bell",
                                            "Agogo",
                                            "Steel Drums",
                                            "Woodblock",
                                            "Taiko Drum",
                                            "Melodic Tom",
                                            "Synth Drum",
                                            "Reverse Cymbal",
                                            "Guitar Fret Noise",
                                            "Breath Noise",
                                            "Seashore",
                                            "Bird Tweet",
                                            "Telephone Ring",
                                            "Helicopter",
                                            "Applause",
                                            "Gunshot"};

// The drum sets that General MIDI 2 names, by program (0-127, as sent).
constexpr std::array<std::pair<int, const char*>, 9> kGeneralMidiDrumSets{{{0, "Standard"},
                                                                           {8, "Room"},
                                                                           {16, "Power"},
                                                                           {24, "Electronic"},
                                                                           {25, "Analog"},
                                                                           {32, "Jazz"},
                                                                           {40, "Brush"},
                                                                           {48, "Orchestra"},
                                                                           {56, "SFX"}}};

Instrument makeGeneralMidi() {
    Instrument gm;
    gm.name = "General MIDI";
    NameSet set;
    set.name = "General MIDI";
    for (int program = 0; program < 128; ++program) {
        set.sounds.push_back({"General MIDI", std::nullopt, std::nullopt, std::uint8_t(program),
                              std::to_string(program + 1), kGeneralMidiNames[program]});
    }
    set.index();
    gm.nameSets.push_back(std::move(set));
    // Channel 10 plays drums: its program changes choose drum sets, named as General MIDI
    // 2 names them; a set without a name there is "Drum Set N".
    NameSet drums;
    drums.name = "General MIDI Drums";
    for (int program = 0; program < 128; ++program) {
        const auto named =
            std::find_if(kGeneralMidiDrumSets.begin(), kGeneralMidiDrumSets.end(),
                         [program](const auto& kit) { return kit.first == program; });
        drums.sounds.push_back({"General MIDI Drums", std::nullopt, std::nullopt,
                                std::uint8_t(program), std::to_string(program + 1),
                                named != kGeneralMidiDrumSets.end()
                                    ? std::string(named->second)
                                    : "Drum Set " + std::to_string(program + 1)});
    }
    drums.index();
    gm.nameSets.push_back(std::move(drums));
    gm.channelNameSets.fill("General MIDI");
    gm.channelNameSets[9] = "General MIDI Drums";
    return gm;
}

} // namespace

const Instrument& GeneralMidi() {
    static const Instrument gm = makeGeneralMidi();
    return gm;
}

} // namespace tarnwick
