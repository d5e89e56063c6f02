// Moves, swaps, resets and pastes on the bank's 100 slots.
#include "preset/bank_operations.h"

#include <algorithm>

namespace tarnwick {

std::optional<int> MovePresets(PresetBank& bank, std::vector<int> slots, int before) {
    std::sort(slots.begin(), slots.end());
    slots.erase(std::unique(slots.begin(), slots.end()), slots.end());
    if (slots.empty() || slots.front() < 0 || slots.back() >= kPresetCount || before < 0 ||
        before > kPresetCount) {
        return std::nullopt;
    }
    const PresetBank::Presets& old = bank.presets();
    std::vector<PresetRecord> moved;
    std::vector<PresetRecord> rest;
    std::size_t insertAt = 0; // among the presets that stay, where the moved ones go
    for (int slot = 0; slot < kPresetCount; ++slot) {
        const bool chosen = std::binary_search(slots.begin(), slots.end(), slot);
        (chosen ? moved : rest).push_back(old[std::size_t(slot)]);
        if (!chosen && slot < before) {
            insertAt = rest.size();
        }
    }
    rest.insert(rest.begin() + std::ptrdiff_t(insertAt), moved.begin(), moved.end());
    PresetBank::Presets presets;
    std::copy(rest.begin(), rest.end(), presets.begin());
    bank.setPresets(presets);
    return int(insertAt);
}

void SwapPresets(PresetBank& bank, PresetIndex a, PresetIndex b) {
    std::swap(bank[a], bank[b]);
}

void ResetPresets(PresetBank& bank, const std::vector<PresetIndex>& slots) {
    for (const PresetIndex slot : slots) {
        bank[slot] = NewBankPreset(slot);
    }
}

std::size_t PastePresets(PresetBank& bank, PresetIndex at,
                         const std::vector<PresetRecord>& records) {
    const std::size_t room = std::size_t(kPresetCount - at.zeroBased());
    const std::size_t written = std::min(room, records.size());
    for (std::size_t i = 0; i < written; ++i) {
        bank[PresetIndex::fromZeroBase(at.zeroBased() + int(i))] = records[i];
    }
    return written;
}

} // namespace tarnwick
