// Reading what a MIDI input receives: the parser that turns the bytes an input hands over,
// in chunks of any size, into whole messages; and the learner that turns bank selects and
// program changes into a channel's values, as a player browsing on a synth's panel sends
// them.
#pragma once

#include "preset/preset_record.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace tarnwick {

struct MidiMessage {
    enum class Kind {
        NoteOff,
        NoteOn,
        PolyPressure,
        Control,
        Program,
        ChannelPressure,
        PitchBend,
        SystemCommon, // F1, F2, F3, F6
        SysEx,        // F0 ... F7, whole
        Realtime,     // F8 to FF but F9 and FD
    };
    Kind kind = Kind::Realtime;
    int channel = 0;                 // 1-16 for channel messages; 0 otherwise
    std::vector<std::uint8_t> bytes; // the whole message, status byte first
};

// Running status is followed; a realtime byte is a message of its own wherever it stands,
// inside another message too; a SysEx message may span chunks and ends at F7 (another
// status byte ends it too, and it is then dropped as cut short); data bytes without a
// status and undefined status bytes are dropped. SysEx longer than `kLongestSysEx` is
// dropped whole.
class MidiParser {
public:
    static constexpr std::size_t kLongestSysEx = 64 * 1024;
    using Sink = std::function<void(const MidiMessage&)>;

    void feed(const std::uint8_t* data, std::size_t size, const Sink& sink);
    // Forgets a message under way (the input was closed and opened again).
    void reset();

private:
    void statusByte(std::uint8_t byte, const Sink& sink);

    std::uint8_t m_status = 0; // the running status; 0: none
    std::vector<std::uint8_t> m_data;
    bool m_inSysEx = false;
    bool m_sysExTooLong = false;
};

// One channel's values learned from a program change.
struct LearnedSound {
    int channel = 1; // 1-16
    std::optional<std::uint8_t> msb;
    std::optional<std::uint8_t> lsb;
    std::uint8_t program = 0; // as received, 0-127
};

// Follows the bank a synth is in, channel by channel: the last bank select each channel
// received (CC 0 MSB, CC 32 LSB) holds until another comes, as it does in the synth, and a
// program change is answered with the bank and the program. A synth that stays in its
// bank sends only program changes, which then select that bank's sounds. Everything else
// is ignored. Used by Learn and by the monitor alike.
class ChannelLearner {
public:
    // Whether `message` is one the learner takes in: a bank select or a program change.
    static bool hears(const MidiMessage& message);
    std::optional<LearnedSound> take(const MidiMessage& message);
    void reset();

private:
    std::array<std::optional<std::uint8_t>, kChannelCount> m_msb{};
    std::array<std::optional<std::uint8_t>, kChannelCount> m_lsb{};
};

// What the editor itself sent to the synths (playing a preset, auditioning a sound), kept
// for a moment: a synth with MIDI thru sends it straight back, and that echo must not be
// learned as the player's choice. Each message sent stands for one echo, heard within
// `kEchoWindow` of its sending, by its bytes alone: the route it took does not matter.
class SentEchoes {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr auto kEchoWindow = std::chrono::seconds(1);

    void sent(const std::vector<std::vector<std::uint8_t>>& messages, Clock::time_point when);
    // True, and that sent message used up, when `message` heard at `when` is an echo.
    bool isEcho(const MidiMessage& message, Clock::time_point when);

private:
    std::deque<std::pair<Clock::time_point, std::vector<std::uint8_t>>> m_sent;
};

// `slot` with what was learned written in: each value received set and switched on, the
// program always; bank values not received are left as they were.
ChannelSlot LearnedSlot(ChannelSlot slot, const LearnedSound& learned);

} // namespace tarnwick
