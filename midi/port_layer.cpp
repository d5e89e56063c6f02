// Port pairs, the send-and-wait cycle, and the preset transfers.
#include "port_layer.h"

#include "clock.h"
#include "cycle_lock.h"
#include "port_in_use.h"
#include "preset/preset_record.h"

#include <algorithm>
#include <optional>

namespace tarnwick {

namespace {

using namespace std::chrono_literals;

constexpr auto kReplyWait = 100ms;
constexpr auto kPoll = 1ms;

struct DeviceEntry {
    int index;
    std::string name;
};

// Up to ten devices, in the MIDI system's order; the first one that cannot be
// described ends the list.
template <typename CountFn, typename NameFn>
std::vector<DeviceEntry> listDevices(CountFn count, NameFn name) {
    std::vector<DeviceEntry> devices;
    const int total = count();
    for (int index = 0; index < total && index < MidiPortLayer::kMaxDevices; ++index) {
        std::optional<std::string> description = name(index);
        if (!description) {
            break;
        }
        devices.push_back({index, std::move(*description)});
    }
    return devices;
}

// Which of the devices named `name` a listed device index is: 0 for the first of them.
template <typename Member>
int rankAmong(const std::vector<MidiPortPair>& interfaces, const MidiPortPair& pair, Member index) {
    std::vector<int> smaller;
    for (const MidiPortPair& other : interfaces) {
        if (other.name == pair.name && other.*index < pair.*index &&
            std::find(smaller.begin(), smaller.end(), other.*index) == smaller.end()) {
            smaller.push_back(other.*index);
        }
    }
    return static_cast<int>(smaller.size());
}

// The index of the `rank`-th device now named `name`, among all devices the MIDI system
// lists; nothing when there are fewer.
template <typename CountFn, typename NameFn>
std::optional<int> findDevice(CountFn count, NameFn name, const std::string& wanted, int rank) {
    const int total = count();
    for (int index = 0; index < total; ++index) {
        if (name(index) == wanted && rank-- == 0) {
            return index;
        }
    }
    return std::nullopt;
}

} // namespace

// The lock and the open pair of one cycle, given back when it goes out of scope.
class MidiPortLayer::Cycle {
public:
    Cycle(MidiPortLayer& layer, int index) : m_layer(layer) {
        m_open = layer.openPortPair(index, m_state);
    }
    ~Cycle() {
        if (m_open) {
            m_layer.closePortPair(m_state);
        }
    }
    Cycle(const Cycle&) = delete;
    Cycle& operator=(const Cycle&) = delete;

    bool isOpen() const { return m_open; }
    CycleState& state() { return m_state; }
    // Closes the pair and gives the lock back now; false when the input would not close.
    bool close() {
        m_open = false;
        return m_layer.closePortPair(m_state);
    }

private:
    MidiPortLayer& m_layer;
    CycleState m_state;
    bool m_open = false;
};

MidiPortLayer::MidiPortLayer(MidiBackend& backend, Clock& clock, CycleLock& lock)
    : m_backend(backend), m_clock(clock), m_lock(lock) {}

int MidiPortLayer::refreshInterfaces() {
    m_interfaces.clear();
    const auto outputs = listDevices([this] { return m_backend.outputCount(); },
                                     [this](int i) { return m_backend.outputName(i); });
    const auto inputs = listDevices([this] { return m_backend.inputCount(); },
                                    [this](int i) { return m_backend.inputName(i); });
    // Only devices under the same name on both sides are interfaces; a name that
    // matches several devices gives one entry per match.
    for (const DeviceEntry& output : outputs) {
        for (const DeviceEntry& input : inputs) {
            if (output.name == input.name && m_interfaces.size() < std::size_t(kMaxInterfaces)) {
                m_interfaces.push_back({output.index, input.index, output.name});
            }
        }
    }
    m_selectedInterface = -1;
    return static_cast<int>(m_interfaces.size());
}

bool MidiPortLayer::openPortPair(int index, CycleState& state) {
    if (index < 0 || index >= static_cast<int>(m_interfaces.size()) || !lockCycle(state)) {
        return false;
    }
    // Devices come and go and their indexes move: the interface is looked up by its name
    // each time, and fails only when that name is gone.
    const MidiPortPair& pair = m_interfaces[std::size_t(index)];
    const std::optional<int> output =
        findDevice([this] { return m_backend.outputCount(); },
                   [this](int i) { return m_backend.outputName(i); }, pair.name,
                   rankAmong(m_interfaces, pair, &MidiPortPair::outputIndex));
    const std::optional<int> input = findDevice(
        [this] { return m_backend.inputCount(); }, [this](int i) { return m_backend.inputName(i); },
        pair.name, rankAmong(m_interfaces, pair, &MidiPortPair::inputIndex));
    if (!output || !input || !m_backend.openOutput(*output)) {
        unlockCycle(state);
        return false;
    }
    state.outputOpen = true;
    if (!m_backend.openInput(*input, [this](const std::uint8_t* data, std::size_t size,
                                            Clock::TimePoint) { m_capture.onSysEx(data, size); })) {
        m_backend.closeOutput();
        state.outputOpen = false;
        unlockCycle(state);
        return false;
    }
    state.inputOpen = true;
    return true;
}

bool MidiPortLayer::lockCycle(CycleState& state) {
    const auto giveUp = m_clock.now() + kCycleLockLimit;
    while (!m_lock.tryLock()) {
        if (m_clock.now() >= giveUp) {
            m_lock.stopWaiting();
            return false;
        }
        m_clock.pause(kPoll);
    }
    state.locked = true;
    return true;
}

void MidiPortLayer::unlockCycle(CycleState& state) {
    if (!state.locked) {
        return;
    }
    state.locked = false;
    if (m_lock.unlock()) {
        m_clock.pause(kTurnGap);
    }
}

ReplyCapture& MidiPortLayer::capture() {
    m_backend.takeInput();
    return m_capture;
}

bool MidiPortLayer::closePortPair(CycleState& state) {
    // No answer: a late one may still come. More than one: more may be on their way.
    if (const std::size_t replies = capture().replies(); state.expectingReply && replies != 1) {
        m_lateRepliesUntil = m_clock.now() + kLateReplyWindow;
        m_untilQuiet = replies > 1;
    }
    state.expectingReply = false;
    if (state.outputOpen) {
        m_backend.closeOutput();
        state.outputOpen = false;
    }
    if (state.inputOpen) {
        const auto giveUp = m_clock.now() + kInputCloseLimit;
        bool closed = m_backend.closeInput();
        while (!closed && m_clock.now() < giveUp) {
            m_clock.pause(kPoll);
            closed = m_backend.closeInput();
        }
        state.inputOpen = false;
        if (!closed) {
            state.failed = true;
            unlockCycle(state);
            return false;
        }
    }
    unlockCycle(state);
    return true;
}

void MidiPortLayer::handOver(CycleState& state, const std::uint8_t* data, std::size_t size) {
    // Only System Exclusive goes out this way; anything else is refused.
    const bool sysEx = data[0] == kSysExStart;
    // The connections made on opening must be in effect before the message goes out.
    // Should they never be, it goes anyway: the missing acknowledgement then tells.
    if (sysEx) {
        WaitUntilConnected(m_backend, m_clock, kConnectLimit);
    }
    if (!sysEx || !m_backend.send(data, size, m_clock.now())) {
        state.sendRefused = sysEx; // the output could not take it: the pair failed
        m_clock.pause(kPoll);
        return;
    }
    m_clock.pause(kReplyWait);
    if (!WaitUntilSent(m_backend, m_clock, kOutputReleaseLimit)) {
        state.failed = true;
    }
}

bool MidiPortLayer::waitOutLateReplies(const std::vector<std::uint8_t>& message) {
    if (m_clock.now() >= m_lateRepliesUntil) {
        return true;
    }
    capture().arm(message);
    std::size_t heard = 0;
    auto quietSince = m_clock.now();
    while (m_clock.now() < m_lateRepliesUntil) {
        if (m_untilQuiet && m_clock.now() - quietSince >= kQuietSpell) {
            m_lateRepliesUntil = m_clock.now();
            return true;
        }
        m_clock.pause(kPoll);
        if (const std::size_t replies = capture().replies(); replies != heard) {
            heard = replies;
            quietSince = m_clock.now();
        }
    }
    return !m_untilQuiet || m_clock.now() - quietSince >= kQuietSpell;
}

void MidiPortLayer::sendSysEx(CycleState& state, const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return;
    }
    std::vector<std::uint8_t> message(data, data + size);
    if (!waitOutLateReplies(message)) {
        state.failed = true; // no answer could be told from the noise: nothing goes out
        return;
    }
    capture().arm(std::move(message));
    state.expectingReply = data[0] == kSysExStart;
    handOver(state, data, size);
}

CycleResult MidiPortLayer::exchange(int index, const std::uint8_t* data, std::size_t size,
                                    Exchange kind, std::optional<std::size_t> ackPosition,
                                    const std::function<void()>& whileOpen) {
    CycleResult cycle;
    if (index < 0) {
        cycle.result = TransferResult::NoInterface;
        return cycle;
    }
    Cycle pair(*this, index);
    if (!pair.isOpen()) {
        cycle.result = TransferResult::PortsUnavailable;
        return cycle;
    }
    CycleState& state = pair.state();
    switch (kind) {
    case Exchange::Acknowledged:
        sendSysEx(state, data, size);
        break;
    case Exchange::Identity:
        // The whole buffer is cleared, so nothing of an earlier reply can pass for an
        // identity.
        capture().arm(std::vector<std::uint8_t>(data, data + size));
        capture().clearIdentityText();
        handOver(state, data, size);
        break;
    case Exchange::Unanswered:
        handOver(state, data, size);
        break;
    }
    if (whileOpen) {
        whileOpen();
    }
    const bool closed = pair.close();
    cycle.reply = capture().buffer();
    if (kind == Exchange::Identity) {
        cycle.result = TransferResult::Acknowledged; // the pair was there to ask
    } else if (state.sendRefused) {
        // A hand-over the output refuses ends the send silently: no acknowledgement came.
        cycle.result = TransferResult::NoAcknowledge;
    } else if (!ackPosition) {
        cycle.result = TransferResult::Acknowledged;
    } else {
        cycle.result = closed && !state.failed && capture().acknowledged(*ackPosition)
                           ? TransferResult::Acknowledged
                           : TransferResult::NoAcknowledge;
    }
    return cycle;
}

CycleResult MidiPortLayer::runCycle(int index, const std::uint8_t* data, std::size_t size,
                                    std::optional<std::size_t> ackPosition,
                                    const std::function<void()>& whileOpen) {
    return exchange(index, data, size, Exchange::Acknowledged, ackPosition, whileOpen);
}

CycleResult MidiPortLayer::identify(int index) {
    CycleResult cycle = exchange(index, kIdentityRequest.data(), kIdentityRequest.size(),
                                 Exchange::Identity, std::nullopt, {});
    if (cycle.result == TransferResult::NoInterface) {
        cycle.result = TransferResult::PortsUnavailable;
    }
    return cycle;
}

void MidiPortLayer::sendPostDownloadPreset(int presetIndex) {
    if (presetIndex < 0 || presetIndex >= kPresetCount) {
        return;
    }
    const std::uint8_t message[] = {
        kSysExStart,          kManufacturerId,           kKeypadDeviceId,
        kSelectPresetCommand, std::uint8_t(presetIndex), kSysExEnd};
    exchange(m_selectedInterface, message, sizeof message, Exchange::Unanswered, std::nullopt, {});
}

TransferResult MidiPortLayer::sendAcknowledged(const std::uint8_t* data, std::size_t size,
                                               std::size_t ackPosition) {
    return runCycle(m_selectedInterface, data, size, ackPosition).result;
}

TransferResult MidiPortLayer::sendPresetMessage(const PresetMessage& message) {
    if (message[0] != kSysExStart || message[kPresetMessageSize - 1] != kSysExEnd) {
        return TransferResult::NotSysEx;
    }
    return sendAcknowledged(message.data(), message.size(), kPresetAckPosition);
}

std::string MidiPortLayer::heldElsewhereText() {
    if (!m_backend.portHeldElsewhere() || m_selectedInterface < 0 ||
        m_selectedInterface >= int(m_interfaces.size())) {
        return {};
    }
    return PortInUseText(m_interfaces[std::size_t(m_selectedInterface)].name);
}

} // namespace tarnwick
