// The MIDI port layer: lists the machine's MIDI interfaces (an output and an input of
// the same name), opens one pair at a time, sends SysEx through it, captures the
// keypad's reply and judges it. Every message goes in its own cycle: open the pair,
// send, wait, close, look at the reply. A cycle is a scoped object inside the layer, so
// the pair is closed and the lock released however the work inside ends. It shows
// nothing, reads no files (it is handed bytes); transfers return codes.
#pragma once

#include "midi_backend.h"
#include "preset/preset_message.h"
#include "reply_capture.h"
#include "transfer_result.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick {

class Clock;
class CycleLock;

struct MidiPortPair {
    int outputIndex = 0;
    int inputIndex = 0;
    std::string name;
    bool operator==(const MidiPortPair&) const = default;
};

// What one send-and-answer cycle gave.
struct CycleResult {
    // Acknowledged, NoInterface (none given), PortsUnavailable (the pair would not open) or
    // NoAcknowledge (also when the output refused the message).
    TransferResult result = TransferResult::NoAcknowledge;
    ReplyCapture::Buffer reply{}; // the first reply captured; zeros when none came
};

class MidiPortLayer {
public:
    static constexpr int kMaxDevices = 10;
    static constexpr int kMaxInterfaces = 10;

    // `lock` keeps the cycles of all of our programs apart (CycleLock); it outlives the layer.
    MidiPortLayer(MidiBackend& backend, Clock& clock, CycleLock& lock);
    MidiPortLayer(const MidiPortLayer&) = delete;
    MidiPortLayer& operator=(const MidiPortLayer&) = delete;

    // Rebuilds the interface list; leaves no interface selected. Returns the count.
    int refreshInterfaces();
    const std::vector<MidiPortPair>& interfaceList() const { return m_interfaces; }
    int selectedInterface() const { return m_selectedInterface; }
    void setSelectedInterface(int index) { m_selectedInterface = index; }
    // After PortsUnavailable: what to say when another program holds the selected
    // interface (WinMM); empty otherwise.
    std::string heldElsewhereText();

    // One whole exchange through interface `index`: the cross-program lock taken, the pair
    // opened (found again by its name), the waits for late or repeated answers to earlier
    // messages, the message handed over and the output waited for, `whileOpen` run, the
    // pair closed and the lock released, however it ends. With `ackPosition` the reply must
    // hold "A" there; without, the cycle counts as acknowledged once the message went out
    // (or, not being SysEx, was passed over).
    CycleResult runCycle(int index, const std::uint8_t* data, std::size_t size,
                         std::optional<std::size_t> ackPosition,
                         const std::function<void()>& whileOpen = {});
    // The MIDI identity request through interface `index` in a cycle of its own; sets
    // identityText() from the answer. PortsUnavailable when the pair would not open.
    CycleResult identify(int index);
    // Asks the keypad on the selected interface to show preset `presetIndex` (0 to 99);
    // nothing is waited for.
    void sendPostDownloadPreset(int presetIndex);

    // One preset message through the selected interface, acknowledged; NotSysEx when it
    // does not start with F0 and end with F7.
    TransferResult sendPresetMessage(const PresetMessage& message);
    // One acknowledged message through the selected interface: open, send, close, and
    // "A" at `ackPosition` of the reply. Checks nothing about the message itself.
    TransferResult sendAcknowledged(const std::uint8_t* data, std::size_t size,
                                    std::size_t ackPosition);

    std::string identityText() const { return m_capture.identityText(); }

    // Bounds on the waits for the connections to take effect, the output to finish and
    // the input to close.
    static constexpr auto kConnectLimit = std::chrono::milliseconds(250);
    static constexpr auto kOutputReleaseLimit = std::chrono::seconds(5);
    static constexpr auto kInputCloseLimit = std::chrono::seconds(1);
    // How long after a message that got no reply in time a late reply may still come. The
    // next message waits until then with the input open, so that such a reply is never
    // taken for its own: any "A" at the right byte counts as an acknowledgement.
    static constexpr auto kLateReplyWindow = std::chrono::seconds(3);
    // After a message that was answered more than once, the next one waits until the
    // input has been this long without a message (within the late-reply window), so that
    // no answer still on its way passes for its own. An input that never goes quiet
    // fails the message unsent.
    static constexpr auto kQuietSpell = std::chrono::milliseconds(100);
    // How long a cycle waits for another program's cycle to end before it fails.
    static constexpr auto kCycleLockLimit = std::chrono::seconds(10);
    // How long a cycle that another program waits for leaves it the turn. The waiter tries
    // every millisecond; without this the one that just ended would start its next cycle
    // first, time after time.
    static constexpr auto kTurnGap = std::chrono::milliseconds(10);

private:
    // How the message of a cycle is answered.
    enum class Exchange {
        Acknowledged, // waits out late replies to earlier messages; judged by its reply
        Identity,     // the identity request: the whole capture cleared, any reply taken
        Unanswered,   // handed over, nothing expected back
    };
    class Cycle;
    // What happened in the open cycle; the result is judged from it.
    struct CycleState {
        bool outputOpen = false;
        bool inputOpen = false;
        bool locked = false;
        bool failed = false;         // gave up waiting for the output or the input
        bool sendRefused = false;    // the output refused the message: the pair failed
        bool expectingReply = false; // the message is one the keypad answers
    };

    CycleResult exchange(int index, const std::uint8_t* data, std::size_t size, Exchange kind,
                         std::optional<std::size_t> ackPosition,
                         const std::function<void()>& whileOpen);
    bool openPortPair(int index, CycleState& state);
    // False when the input would not close in time; the cycle then counts as failed.
    bool closePortPair(CycleState& state);
    void sendSysEx(CycleState& state, const std::uint8_t* data, std::size_t size);
    // Steps shared by every send: hand over, pause 100 ms, wait for the output.
    void handOver(CycleState& state, const std::uint8_t* data, std::size_t size);
    // Listens, discarding what comes, until a late reply to an unanswered message can no
    // longer arrive, or a chattering input has gone quiet. False when it never did.
    bool waitOutLateReplies(const std::vector<std::uint8_t>& message);
    // The capture, with every reply that arrived so far in it: read and armed only
    // through this, so that a reply to an earlier message never passes for a later one's.
    ReplyCapture& capture();
    // Waits, up to kCycleLockLimit, until no other program of ours runs a cycle.
    bool lockCycle(CycleState& state);
    void unlockCycle(CycleState& state);

    MidiBackend& m_backend;
    Clock& m_clock;
    CycleLock& m_lock;
    std::vector<MidiPortPair> m_interfaces;
    int m_selectedInterface = -1;
    // Carried from one cycle to the next: how long a late reply may still come, and
    // whether that wait ends once the input is quiet.
    Clock::TimePoint m_lateRepliesUntil{};
    bool m_untilQuiet = false;
    ReplyCapture m_capture;
};

} // namespace tarnwick
