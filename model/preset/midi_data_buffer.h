// The MIDI data editor's working copy of a preset's 16 raw MIDI bytes: the bytes before
// the first 0xFF are the data, new bytes go in at the insert position, and standard
// events are composed from a kind, a channel and two values.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// One kind of standard MIDI event the editor can insert.
struct MidiEventKind {
    const char* caption;     // "Note On", ...
    std::uint8_t status;     // base status byte; channel kinds add the channel minus 1
    int length;              // bytes inserted: 1, 2 or 3
    const char* firstLabel;  // "" when the kind has no first value
    const char* secondLabel; // "" when it has no second value

    bool hasChannel() const { return status < 0xF0; }
    bool showsNoteName() const { return status == 0x90 || status == 0x80 || status == 0xA0; }
};

// The twelve kinds in the order of their buttons.
const std::array<MidiEventKind, 12>& MidiEventKinds();
const MidiEventKind& MidiEventKindOf(std::uint8_t status);

// The bytes of an event: status (plus channel), then the values the kind takes.
std::vector<std::uint8_t> ComposeEvent(const MidiEventKind& kind, int channel, int first,
                                       int second);
// The same bytes as text: "90 3C 7F".
std::string EventPreview(const std::vector<std::uint8_t>& bytes);
// "C 5", "C#5", "B 9"; "---" for keys 120 to 127.
std::string NoteName(int key);

// How a typed byte reads. Hex: the first two characters, each 0-9/A-F/a-f or else 0.
int ParseHexEntry(std::string_view text);
// Decimal: the whole text as a number; nothing when it is not one.
std::optional<int> ParseDecimalEntry(std::string_view text);

class MidiDataBuffer {
public:
    static constexpr int kSize = 16;
    static constexpr std::uint8_t kEnd = 0xFF;

    using Bytes = std::array<std::uint8_t, kSize>;

    MidiDataBuffer() { eraseAll(); }

    void setBytes(const Bytes& bytes);
    const Bytes& bytes() const { return m_bytes; }

    // Bytes before the first 0xFF (16 when there is none).
    int byteCount() const;
    int insertPosition() const { return m_insertPosition; }
    bool hasRoomFor(int count) const { return byteCount() + count <= kSize; }

    // Inserts at the insert position, shifting the tail (hidden bytes included) right
    // and moving the insert position past the new bytes. The caller checks for room.
    void insert(const std::vector<std::uint8_t>& bytes);

    enum class TypedResult { Inserted, TooLarge, Negative, NoRoom };
    // A byte typed in the custom entry: values over 254 and below 0 never go in.
    TypedResult insertTyped(int value);

    // Selects cell `cell`, or the first free cell when `cell` lies beyond it; the
    // selection is the insert position. Returns the cell selected.
    int selectCell(int cell);
    // Removes the byte at `cell`, shifting the tail left; the first free cell and beyond
    // hold no byte and change nothing. The insert position stays.
    void eraseAt(int cell);
    void eraseAll();

    // A cell's text: two upper-case hex digits, or a blank for a free cell.
    std::string cellText(int cell) const;

private:
    Bytes m_bytes{};
    int m_insertPosition = 0;
};

} // namespace tarnwick
