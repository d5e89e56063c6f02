// Default presets, name and MIDI data helpers, and the bank.
#include "preset/preset_record.h"

#include "preset/hex.h"

#include <algorithm>
#include <stdexcept>

namespace tarnwick {

PresetRecord DefaultPresetRecord() {
    PresetRecord record;
    SetPresetName(record, "New Name ");
    record.name[kNameLength] = 0;
    for (int c = 1; c <= kChannelCount; ++c) {
        ChannelSlot& slot = record.channel(c);
        slot[SlotKind::Msb] = kSlotDisabled;
        slot[SlotKind::Lsb] = kSlotDisabled;
        slot[SlotKind::Program] = static_cast<std::uint8_t>(kSlotDisabled | (c - 1));
    }
    record.data.fill(kMidiDataEnd);
    return record;
}

PresetRecord NewBankPreset(PresetIndex index) {
    PresetRecord record = DefaultPresetRecord();
    SetPresetName(record, "New Name " + std::to_string(index.oneBased()));
    return record;
}

std::string PresetName(const PresetRecord& record) {
    const auto end = std::find(record.name.begin(), record.name.begin() + kNameLength, 0);
    return std::string(record.name.begin(), end);
}

void SetPresetName(PresetRecord& record, std::string_view text) {
    for (std::size_t i = 0; i < kNameLength; ++i) {
        record.name[i] = i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0;
    }
}

std::string MidiDataText(const PresetRecord& record) {
    std::string text;
    for (std::uint8_t byte : record.data) {
        if (byte == kMidiDataEnd) {
            break;
        }
        text += HexPair(byte) + ' ';
    }
    return text;
}

void PresetBank::reset() {
    for (int i = 0; i < kPresetCount; ++i) {
        const auto index = PresetIndex::fromZeroBase(i);
        (*this)[index] = NewBankPreset(index);
    }
    m_current = PresetIndex::fromZeroBase(0);
}

void PresetBank::setCurrentPresetIndex(PresetIndex index) {
    slot(index); // range check
    m_current = index;
}

std::size_t PresetBank::slot(PresetIndex index) {
    if (index.zeroBased() < 0 || index.zeroBased() >= kPresetCount) {
        throw std::out_of_range("Preset index out of range");
    }
    return static_cast<std::size_t>(index.zeroBased());
}

} // namespace tarnwick
