// What playing a preset to a synth sends, as whole MIDI messages in order: the preset's
// MIDI data first when it is placed before ("Pre"), then for channels 1 to 16 the bank
// select MSB (Bn 00 vv), bank select LSB (Bn 20 vv) and program change (Cn pp) of every
// value switched on, then the MIDI data when it is placed after ("Post").
#pragma once

#include "preset/preset_record.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick {

struct AuditionMessages {
    std::vector<std::vector<std::uint8_t>> messages;
    // Why nothing may be sent: the MIDI data is not whole MIDI messages. Empty otherwise.
    std::string refusal;
};

// The MIDI data (the bytes before the first FF) split at its status bytes. Running
// status is not taken: a data byte must follow a status byte of its own message. A
// System Exclusive message runs to its F7 and goes whole.
AuditionMessages SplitMidiData(const PresetRecord& record);

AuditionMessages PresetAudition(const PresetRecord& record);

} // namespace tarnwick
