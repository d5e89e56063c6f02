// Splitting the MIDI data into messages, and the channel messages of a preset.
#include "preset/audition.h"

#include "preset/sysex.h"

#include <cstdio>

namespace tarnwick {

namespace {

// The length of the message a status byte starts, itself included; 0 for bytes that
// start no message (F4, F5, F9, FD are undefined, F7 only ends System Exclusive).
std::size_t messageLength(std::uint8_t status) {
    if (status < 0xF0) {
        const std::uint8_t kind = status & 0xF0;
        return kind == 0xC0 || kind == 0xD0 ? 2 : 3;
    }
    switch (status) {
    case 0xF1:
    case 0xF3:
        return 2;
    case 0xF2:
        return 3;
    case 0xF6:
    case 0xF8:
    case 0xFA:
    case 0xFB:
    case 0xFC:
    case 0xFE:
        return 1;
    default:
        return 0;
    }
}

std::string byteAt(std::size_t position, std::uint8_t value) {
    char text[32];
    std::snprintf(text, sizeof text, "byte %zu (%02X)", position + 1, unsigned(value));
    return text;
}

} // namespace

AuditionMessages SplitMidiData(const PresetRecord& record) {
    AuditionMessages split;
    std::size_t end = 0;
    while (end < record.data.size() && record.data[end] != kMidiDataEnd) {
        ++end;
    }
    const auto refuse = [&split](const std::string& why) {
        split.messages.clear();
        split.refusal = "The MIDI data is not whole MIDI messages: " + why + ".";
        return split;
    };
    for (std::size_t at = 0; at < end;) {
        const std::uint8_t status = record.data[at];
        if (status < 0x80) {
            return refuse(byteAt(at, status) + " follows no status byte");
        }
        std::size_t length = messageLength(status);
        if (status == kSysExStart) {
            length = 0;
            for (std::size_t i = at + 1; i < end && length == 0; ++i) {
                length = record.data[i] == kSysExEnd ? i - at + 1 : 0;
            }
            if (length == 0) {
                return refuse("the System Exclusive message at " + byteAt(at, status) +
                              " has no F7");
            }
        } else if (length == 0) {
            return refuse(byteAt(at, status) + " starts no MIDI message");
        } else {
            for (std::size_t i = at + 1; i < at + length; ++i) {
                if (i >= end || record.data[i] >= 0x80) {
                    return refuse("the message at " + byteAt(at, status) + " is cut short");
                }
            }
        }
        split.messages.emplace_back(record.data.begin() + long(at),
                                    record.data.begin() + long(at + length));
        at += length;
    }
    return split;
}

AuditionMessages PresetAudition(const PresetRecord& record) {
    AuditionMessages data = SplitMidiData(record);
    if (!data.refusal.empty()) {
        return data;
    }
    const bool post = (record.placement & kPlacementPost) != 0;
    AuditionMessages play;
    if (!post) {
        play.messages = data.messages;
    }
    for (int channel = 1; channel <= kChannelCount; ++channel) {
        const ChannelSlot& slot = record.channel(channel);
        const auto n = std::uint8_t(channel - 1);
        if (SlotEnabled(slot[SlotKind::Msb])) {
            play.messages.push_back({std::uint8_t(0xB0 | n), 0x00, slot[SlotKind::Msb]});
        }
        if (SlotEnabled(slot[SlotKind::Lsb])) {
            play.messages.push_back({std::uint8_t(0xB0 | n), 0x20, slot[SlotKind::Lsb]});
        }
        if (SlotEnabled(slot[SlotKind::Program])) {
            play.messages.push_back({std::uint8_t(0xC0 | n), slot[SlotKind::Program]});
        }
    }
    if (post) {
        play.messages.insert(play.messages.end(), data.messages.begin(), data.messages.end());
    }
    return play;
}

} // namespace tarnwick
