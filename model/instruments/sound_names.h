// A preset channel's sound by name: which of a name set's sounds its bank selects and
// program change select.
#pragma once

#include "instruments/instrument.h"
#include "preset/preset_record.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// What a name shown with "?" after it means, where names are listed.
inline constexpr const char* kUncertainLegend =
    "?: the bank select is not sent, so the synth's current bank decides which of the sounds "
    "plays";

struct SoundName {
    // The name to show: one sound's name; the first of several different names with "?"
    // after it (the synth's current bank decides); empty when no sound matches.
    std::string shown;
    std::vector<std::string> candidates; // every different name, in file order
    std::vector<std::string> banks;      // each candidate's bank(s), " / " between them
};

// The sound a channel (1-16) with these values selects, by the rig: how windows ask.
using SoundNamer = std::function<SoundName(int channel, const ChannelSlot& slot)>;

// The candidates are the sounds whose program is the channel's program (switched on) and
// whose bank agrees with each bank select the channel switches on; a bank select the
// sound's bank does not send, or that the channel leaves off, matches any value. Of those,
// only the sounds whose banks agree on the most bank selects stay: a bank of program
// changes only does not make a name of a bank that sends 80/0 uncertain.
SoundName NameSound(const NameSet& set, const ChannelSlot& slot);

// `slot` with `sound` written in: its bank selects and program switched on, a bank select
// the sound's bank does not send switched off (its value kept). How a sound chosen by name
// becomes a channel's values, in the editor and tarnwick-syx alike.
ChannelSlot SoundSlot(ChannelSlot slot, const Sound& sound);

// A sound's values as a channel's are shown: "81/-/2" (MSB, LSB, program 1 to 128; "-"
// where its bank sends no such bank select).
std::string SoundValues(const Sound& sound);

// Whether a channel of `preset` (`onChannel` alone, when given) selects, by `names`, a
// sound whose name (any candidate's) holds `text` in any ASCII letter case: how the Library
// and tarnwick-syx find a preset by its sound.
bool SelectsSound(const PresetRecord& preset, const SoundNamer& names, std::string_view text,
                  std::optional<int> onChannel = std::nullopt);

} // namespace tarnwick
