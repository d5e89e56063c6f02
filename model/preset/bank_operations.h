// Arranging the bank: moving presets to another place, swapping two, putting slots back to
// their defaults and pasting records over slots. Slots are positions: whatever stands in
// slot N is saved and sent as preset N. The operations change the presets only; which
// preset is current stays with its number.
#pragma once

#include "preset/preset_record.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace tarnwick {

// Takes the presets of `slots` (any of 0 to 99, in any order; each counts once) out of the
// bank and puts them back, in slot order, in front of the preset that stood in slot
// `before` (0 to 99; 100 for the end). The others close up; the bank stays 100. The slot
// where the first of them landed; nothing, and nothing changed, when a slot or `before` is
// out of range or no slot is given.
std::optional<int> MovePresets(PresetBank& bank, std::vector<int> slots, int before);

// Exchanges the presets of two slots.
void SwapPresets(PresetBank& bank, PresetIndex a, PresetIndex b);

// Puts each of `slots` back to the new-bank default of its number ("New Name N",
// everything switched off).
void ResetPresets(PresetBank& bank, const std::vector<PresetIndex>& slots);

// Writes `records` over the slots from `at` on; those that would go past slot 100 are left
// out. The number of records written.
std::size_t PastePresets(PresetBank& bank, PresetIndex at,
                         const std::vector<PresetRecord>& records);

} // namespace tarnwick
