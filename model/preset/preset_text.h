// Presets as readable text: the listing of `show` and the differences of `diff`.
#pragma once

#include "preset/syx_file.h"

#include <functional>

#include <string>
#include <vector>

namespace tarnwick {

// The sound's name a channel (1-16) with these values selects, or empty: how the texts
// below add names from the rig.
using ChannelNamer = std::function<std::string(int channel, const ChannelSlot& slot)>;

// Number, name, placement, each value that is switched on (programs 1 to 128) and the
// MIDI data of one preset, on a few indented lines; " = NAME" after a channel whose
// sound `names` names.
std::string DescribePreset(const SyxMessage& message, const ChannelNamer& names = {});

// The values switched on, channel by channel, as the main window shows them, in one line:
// "1: 0/-/41  2: -/-/57" for bank select MSB, LSB and program, "-" where off; empty when
// every value is off. With `names`, a channel's sound name follows its values
// ("1: 80/0/1 Symphonique").
std::string ChannelsSummary(const PresetRecord& record, const ChannelNamer& names = {});
// One channel's values as ChannelsSummary shows them: "80/0/1", "-/-/57".
std::string ChannelValues(const ChannelSlot& slot);
// The MIDI data before its end mark as hex pairs, then "Pre" or "Post"; empty when none.
std::string MidiDataSummary(const PresetRecord& record);

// One line per difference between the presets of `a` and `b` with the same number, and
// for numbers only one side has; empty when they are the same. With `names`, a channel's
// last changed value also says how its sound changed ("= Symphonique -> Velo Tekno 1").
std::vector<std::string> DiffPresets(const std::vector<SyxMessage>& a,
                                     const std::vector<SyxMessage>& b,
                                     const ChannelNamer& names = {});

} // namespace tarnwick
