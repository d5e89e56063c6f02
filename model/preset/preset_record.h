// The in-memory preset: one 81-byte record per keypad preset, the default record,
// and the bank of all 100 presets that the editor keeps.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarnwick {

inline constexpr int kPresetCount = 100;
inline constexpr int kChannelCount = 16;
inline constexpr std::size_t kNameLength = 13;
inline constexpr std::size_t kMidiDataLength = 16;

// Bit 7 of a slot byte switches the slot off; bits 0 to 6 keep its value either way.
inline constexpr std::uint8_t kSlotDisabled = 0x80;
inline constexpr std::uint8_t kSlotValueMask = 0x7F;
// The first 0xFF ends a preset's MIDI data; everything after it is 0xFF too.
inline constexpr std::uint8_t kMidiDataEnd = 0xFF;
// Bit 0 of the placement byte: MIDI data after ("Post") the channel messages.
inline constexpr std::uint8_t kPlacementPost = 0x01;

// A preset's position in the bank. Users see numbers 1 to 100; the bank and the
// SysEx message use indexes 0 to 99. Keeping the two apart in the type avoids
// off-by-one mix-ups between them.
class PresetIndex {
public:
    constexpr PresetIndex() = default;
    static constexpr PresetIndex fromZeroBase(int index) { return PresetIndex(index); }
    static constexpr PresetIndex fromOneBase(int number) { return PresetIndex(number - 1); }
    constexpr int zeroBased() const { return m_index; }
    constexpr int oneBased() const { return m_index + 1; }
    static constexpr bool isValidNumber(int number) {
        return number >= 1 && number <= kPresetCount;
    }
    constexpr bool operator==(const PresetIndex&) const = default;

private:
    constexpr explicit PresetIndex(int index) : m_index(index) {}
    int m_index = 0;
};

// Program numbers are shown 1 to 128 and stored 0 to 127.
constexpr int ProgramNumberFromStored(std::uint8_t stored) {
    return (stored & kSlotValueMask) + 1;
}
constexpr std::uint8_t StoredFromProgramNumber(int program) {
    return static_cast<std::uint8_t>(program - 1);
}

enum class SlotKind { Msb = 0, Lsb = 1, Program = 2 };
inline constexpr std::array<SlotKind, 3> kSlotKinds{SlotKind::Msb, SlotKind::Lsb,
                                                    SlotKind::Program};

// One MIDI channel's bank select MSB, bank select LSB and program change.
struct ChannelSlot {
    std::array<std::uint8_t, 3> bytes{};

    std::uint8_t& operator[](SlotKind kind) { return bytes[static_cast<std::size_t>(kind)]; }
    std::uint8_t operator[](SlotKind kind) const { return bytes[static_cast<std::size_t>(kind)]; }
    bool operator==(const ChannelSlot&) const = default;
};

constexpr bool SlotEnabled(std::uint8_t slotByte) {
    return (slotByte & kSlotDisabled) == 0;
}

struct PresetRecord {
    std::array<std::uint8_t, kNameLength + 1> name{}; // 13 characters and a terminator
    std::array<ChannelSlot, kChannelCount> channels{};
    std::array<std::uint8_t, kMidiDataLength> data{}; // the preset's arbitrary MIDI data
    std::uint8_t placement = 0;
    std::uint8_t reservedA = 0;
    std::uint8_t reservedB = 0;

    ChannelSlot& channel(int channelNumber) {
        return channels[static_cast<std::size_t>(channelNumber - 1)];
    }
    const ChannelSlot& channel(int channelNumber) const {
        return channels[static_cast<std::size_t>(channelNumber - 1)];
    }
    bool operator==(const PresetRecord&) const = default;
};
static_assert(sizeof(PresetRecord) == 81, "a preset record is 81 bytes");

// "New Name " with an empty MIDI data string, every slot switched off, program = channel.
PresetRecord DefaultPresetRecord();
// The preset that a new bank holds at `index`: the default record named "New Name <number>".
PresetRecord NewBankPreset(PresetIndex index);

// The name as shown: the name bytes up to the first NUL, at most 13.
std::string PresetName(const PresetRecord& record);
// Writes the first 13 characters of `text` into name bytes 0 to 12 (NUL-filled when
// shorter); the terminator byte is left alone.
void SetPresetName(PresetRecord& record, std::string_view text);

// The MIDI data as the main window shows it: each byte before the first 0xFF as two
// upper-case hex digits and a blank ("B0 07 64 ").
std::string MidiDataText(const PresetRecord& record);

// All 100 presets and the one the editor shows.
class PresetBank {
public:
    using Presets = std::array<PresetRecord, kPresetCount>;

    PresetBank() { reset(); }

    // Every preset back to its new-bank default and preset 1 current.
    void reset();

    PresetRecord& operator[](PresetIndex index) { return m_presets[slot(index)]; }
    const PresetRecord& operator[](PresetIndex index) const { return m_presets[slot(index)]; }

    PresetIndex currentPresetIndex() const { return m_current; }
    void setCurrentPresetIndex(PresetIndex index);
    PresetRecord& current() { return (*this)[m_current]; }
    const PresetRecord& current() const { return (*this)[m_current]; }

    // All 100 at once, as undo keeps them.
    const Presets& presets() const { return m_presets; }
    void setPresets(const Presets& presets) { m_presets = presets; }

private:
    static std::size_t slot(PresetIndex index);

    Presets m_presets{};
    PresetIndex m_current;
};

} // namespace tarnwick
