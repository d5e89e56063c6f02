// Editing the 16 raw MIDI bytes.
#include "preset/midi_data_buffer.h"

#include "preset/hex.h"

#include <algorithm>
#include <charconv>

namespace tarnwick {

namespace {

// A typed character that is no hexadecimal digit counts 0, as the entry always read it.
int hexDigit(char c) {
    return HexDigitValue(c).value_or(0);
}

} // namespace

const std::array<MidiEventKind, 12>& MidiEventKinds() {
    static const std::array<MidiEventKind, 12> kinds{{
        {"Note On", 0x90, 3, "Key (Note #) :", "Velocity :"},
        {"Note Off", 0x80, 3, "Key (Note #) :", "Velocity :"},
        {"Poly Aftertouch", 0xA0, 3, "Key (Note #) :", "Pressure :"},
        {"Mono Aftertouch", 0xD0, 2, "Pressure :", ""},
        {"Control Change", 0xB0, 3, "Controller :", "Value :"},
        {"Program Change", 0xC0, 2, "Patch Number :", ""},
        {"Pitch Wheel", 0xE0, 3, "LSB :", "MSB :"},
        {"Song Position", 0xF2, 3, "LSB :", "MSB :"},
        {"Song Select", 0xF3, 2, "Song Number :", ""},
        {"Start", 0xFA, 1, "", ""},
        {"Continue", 0xFB, 1, "", ""},
        {"Stop", 0xFC, 1, "", ""},
    }};
    return kinds;
}

const MidiEventKind& MidiEventKindOf(std::uint8_t status) {
    const auto& kinds = MidiEventKinds();
    const auto found = std::find_if(kinds.begin(), kinds.end(), [status](const MidiEventKind& k) {
        return k.status == status;
    });
    return found == kinds.end() ? kinds.front() : *found;
}

std::vector<std::uint8_t> ComposeEvent(const MidiEventKind& kind, int channel, int first,
                                       int second) {
    std::vector<std::uint8_t> bytes;
    bytes.push_back(kind.hasChannel() ? std::uint8_t(kind.status + channel - 1) : kind.status);
    if (kind.length >= 2) {
        bytes.push_back(std::uint8_t(first & 0x7F));
    }
    if (kind.length == 3) {
        bytes.push_back(std::uint8_t(second & 0x7F));
    }
    return bytes;
}

std::string EventPreview(const std::vector<std::uint8_t>& bytes) {
    return HexPairs(bytes);
}

std::string NoteName(int key) {
    static const char* const kNames[] = {"C ", "C#", "D ", "D#", "E ", "F ",
                                         "F#", "G ", "G#", "A ", "A#", "B "};
    if (key < 0 || key >= 120) {
        return "---";
    }
    return kNames[key % 12] + std::to_string(key / 12);
}

int ParseHexEntry(std::string_view text) {
    if (text.empty()) {
        return 0;
    }
    int value = hexDigit(text[0]);
    if (text.size() >= 2) {
        value = value * 16 + hexDigit(text[1]);
    }
    return value;
}

std::optional<int> ParseDecimalEntry(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') {
            return std::nullopt;
        }
    }
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

void MidiDataBuffer::setBytes(const Bytes& bytes) {
    m_bytes = bytes;
    m_insertPosition = byteCount();
}

int MidiDataBuffer::byteCount() const {
    const auto end = std::find(m_bytes.begin(), m_bytes.end(), kEnd);
    return int(end - m_bytes.begin());
}

void MidiDataBuffer::insert(const std::vector<std::uint8_t>& bytes) {
    for (std::uint8_t byte : bytes) {
        if (m_insertPosition >= kSize) {
            return;
        }
        for (int i = kSize - 1; i > m_insertPosition; --i) {
            m_bytes[std::size_t(i)] = m_bytes[std::size_t(i - 1)];
        }
        m_bytes[std::size_t(m_insertPosition)] = byte;
        ++m_insertPosition;
    }
}

MidiDataBuffer::TypedResult MidiDataBuffer::insertTyped(int value) {
    if (value >= kEnd) {
        return TypedResult::TooLarge;
    }
    if (value < 0) {
        return TypedResult::Negative;
    }
    if (!hasRoomFor(1)) {
        return TypedResult::NoRoom;
    }
    insert({std::uint8_t(value)});
    return TypedResult::Inserted;
}

int MidiDataBuffer::selectCell(int cell) {
    m_insertPosition = std::clamp(cell, 0, byteCount());
    return m_insertPosition;
}

void MidiDataBuffer::eraseAt(int cell) {
    if (cell < 0 || cell >= byteCount()) {
        return;
    }
    for (int i = cell; i < kSize - 1; ++i) {
        m_bytes[std::size_t(i)] = m_bytes[std::size_t(i + 1)];
    }
    m_bytes[kSize - 1] = kEnd;
}

void MidiDataBuffer::eraseAll() {
    m_bytes.fill(kEnd);
    m_insertPosition = 0;
}

std::string MidiDataBuffer::cellText(int cell) const {
    return cell < byteCount() ? HexPair(m_bytes[std::size_t(cell)]) : std::string(" ");
}

} // namespace tarnwick
