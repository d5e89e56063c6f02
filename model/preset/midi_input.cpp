// Parsing a MIDI input's bytes, and learning from what it receives.
#include "preset/midi_input.h"

#include <algorithm>

namespace tarnwick {

namespace {

// The data bytes a status byte's message holds; -1: none defined (F4, F5, F7, SysEx).
int dataLength(std::uint8_t status) {
    if (status < 0xF0) {
        const std::uint8_t kind = status & 0xF0;
        return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
    }
    switch (status) {
    case 0xF1:
    case 0xF3:
        return 1;
    case 0xF2:
        return 2;
    case 0xF6:
        return 0;
    default:
        return -1;
    }
}

MidiMessage message(std::uint8_t status, const std::vector<std::uint8_t>& data) {
    MidiMessage made;
    made.bytes.reserve(data.size() + 1);
    made.bytes.push_back(status);
    made.bytes.insert(made.bytes.end(), data.begin(), data.end());
    if (status >= 0xF0) {
        made.kind = MidiMessage::Kind::SystemCommon;
        return made;
    }
    made.channel = (status & 0x0F) + 1;
    static constexpr MidiMessage::Kind kKinds[] = {
        MidiMessage::Kind::NoteOff,  MidiMessage::Kind::NoteOn,  MidiMessage::Kind::PolyPressure,
        MidiMessage::Kind::Control,  MidiMessage::Kind::Program, MidiMessage::Kind::ChannelPressure,
        MidiMessage::Kind::PitchBend};
    made.kind = kKinds[(status >> 4) - 8];
    return made;
}

} // namespace

void MidiParser::reset() {
    m_status = 0;
    m_data.clear();
    m_inSysEx = false;
    m_sysExTooLong = false;
}

void MidiParser::statusByte(std::uint8_t byte, const Sink& sink) {
    if (m_inSysEx) {
        m_inSysEx = false;
        if (byte == 0xF7 && !m_sysExTooLong) {
            MidiMessage sysEx;
            sysEx.kind = MidiMessage::Kind::SysEx;
            sysEx.bytes.reserve(m_data.size() + 2);
            sysEx.bytes.push_back(0xF0);
            sysEx.bytes.insert(sysEx.bytes.end(), m_data.begin(), m_data.end());
            sysEx.bytes.push_back(0xF7);
            sink(sysEx);
        }
        m_data.clear();
        m_status = 0;
        if (byte == 0xF7) {
            return;
        }
        // Any other status byte cuts the SysEx short (dropped) and starts its own message.
    }
    m_data.clear();
    m_status = 0;
    if (byte == 0xF0) {
        m_inSysEx = true;
        m_sysExTooLong = false;
        return;
    }
    const int length = dataLength(byte);
    if (length < 0) {
        return; // a stray F7, or F4 and F5, which mean nothing
    }
    if (length == 0) {
        sink(message(byte, m_data));
        return;
    }
    m_status = byte;
}

void MidiParser::feed(const std::uint8_t* data, std::size_t size, const Sink& sink) {
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t byte = data[i];
        if (byte >= 0xF8) { // realtime: a message of its own, wherever it stands
            if (byte != 0xF9 && byte != 0xFD) {
                sink({MidiMessage::Kind::Realtime, 0, {byte}});
            }
            continue;
        }
        if (byte & 0x80) {
            statusByte(byte, sink);
            continue;
        }
        if (m_inSysEx) {
            if (!m_sysExTooLong) {
                m_data.push_back(byte);
                if (m_data.size() > kLongestSysEx) {
                    m_sysExTooLong = true;
                    m_data.clear();
                    m_data.shrink_to_fit();
                }
            }
            continue;
        }
        if (m_status == 0) {
            continue; // a data byte without a status
        }
        m_data.push_back(byte);
        if (int(m_data.size()) == dataLength(m_status)) {
            sink(message(m_status, m_data));
            m_data.clear();
            if (m_status >= 0xF0) {
                m_status = 0; // system common messages leave no running status
            }
        }
    }
}

bool ChannelLearner::hears(const MidiMessage& message) {
    return message.kind == MidiMessage::Kind::Program ||
           (message.kind == MidiMessage::Kind::Control &&
            (message.bytes[1] == 0 || message.bytes[1] == 32));
}

std::optional<LearnedSound> ChannelLearner::take(const MidiMessage& message) {
    if (message.channel < 1) {
        return std::nullopt;
    }
    const auto at = std::size_t(message.channel - 1);
    if (message.kind == MidiMessage::Kind::Control) {
        if (message.bytes[1] == 0) {
            m_msb[at] = message.bytes[2];
        } else if (message.bytes[1] == 32) {
            m_lsb[at] = message.bytes[2];
        }
        return std::nullopt;
    }
    if (message.kind != MidiMessage::Kind::Program) {
        return std::nullopt;
    }
    return LearnedSound{message.channel, m_msb[at], m_lsb[at], message.bytes[1]};
}

void ChannelLearner::reset() {
    m_msb.fill(std::nullopt);
    m_lsb.fill(std::nullopt);
}

void SentEchoes::sent(const std::vector<std::vector<std::uint8_t>>& messages,
                      Clock::time_point when) {
    for (const auto& bytes : messages) {
        m_sent.emplace_back(when, bytes);
    }
}

bool SentEchoes::isEcho(const MidiMessage& message, Clock::time_point when) {
    while (!m_sent.empty() && m_sent.front().first + kEchoWindow < when) {
        m_sent.pop_front();
    }
    const auto echoed = std::find_if(m_sent.begin(), m_sent.end(), [&](const auto& sent) {
        return sent.second == message.bytes;
    });
    if (echoed == m_sent.end()) {
        return false;
    }
    m_sent.erase(echoed);
    return true;
}

ChannelSlot LearnedSlot(ChannelSlot slot, const LearnedSound& learned) {
    if (learned.msb) {
        slot[SlotKind::Msb] = *learned.msb;
    }
    if (learned.lsb) {
        slot[SlotKind::Lsb] = *learned.lsb;
    }
    slot[SlotKind::Program] = learned.program;
    return slot;
}

} // namespace tarnwick
