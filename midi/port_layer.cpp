// Port pairs, the send-and-wait cycle, and the preset transfers.
#include "port_layer.h"

#include "clock.h"
#include "cycle_lock.h"
#include "preset_record.h"

#include <algorithm>
#include <fstream>
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

// Reads up to `capacity` bytes of `path` into `buffer`: nothing when all went well, else
// the transfer's failure (the file cannot be opened, or not read).
std::optional<TransferResult> readFile(const std::filesystem::path& path, std::uint8_t* buffer,
                                       std::size_t capacity, std::size_t& count) {
    count = 0;
    std::ifstream file(path, std::ios::binary);
    if (!file.is_open()) {
        return TransferResult::CannotOpenFile;
    }
    file.read(reinterpret_cast<char*>(buffer), static_cast<std::streamsize>(capacity));
    if (file.bad()) {
        return TransferResult::ReadFailed;
    }
    count = static_cast<std::size_t>(file.gcount());
    return std::nullopt;
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

MidiPortLayer::MidiPortLayer(MidiBackend& backend, Clock& clock, CycleLock& lock)
    : m_backend(backend), m_clock(clock), m_lock(lock), m_bankBuffer(kBankFileSize, 0) {}

MidiPortLayer::~MidiPortLayer() {
    closePortPair();
}

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

bool MidiPortLayer::openPortPair(int index) {
    m_outputOpen = false;
    m_inputOpen = false;
    m_cycleFailed = false;
    m_sendRefused = false;
    m_expectingReply = false;
    if (index < 0 || index >= static_cast<int>(m_interfaces.size()) || !lockCycle()) {
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
        unlockCycle();
        return false;
    }
    m_outputOpen = true;
    if (!m_backend.openInput(*input, [this](const std::uint8_t* data, std::size_t size) {
            m_capture.onSysEx(data, size);
        })) {
        m_backend.closeOutput();
        m_outputOpen = false;
        unlockCycle();
        return false;
    }
    m_inputOpen = true;
    return true;
}

bool MidiPortLayer::lockCycle() {
    const auto giveUp = m_clock.now() + kCycleLockLimit;
    while (!m_lock.tryLock()) {
        if (m_clock.now() >= giveUp) {
            m_lock.stopWaiting();
            return false;
        }
        m_clock.pause(kPoll);
    }
    m_cycleLocked = true;
    return true;
}

void MidiPortLayer::unlockCycle() {
    if (!m_cycleLocked) {
        return;
    }
    m_cycleLocked = false;
    if (m_lock.unlock()) {
        m_clock.pause(kTurnGap);
    }
}

bool MidiPortLayer::closePortPair() {
    // No answer: a late one may still come. More than one: more may be on their way.
    if (const std::size_t replies = m_capture.replies(); m_expectingReply && replies != 1) {
        m_lateRepliesUntil = m_clock.now() + kLateReplyWindow;
        m_untilQuiet = replies > 1;
    }
    m_expectingReply = false;
    if (m_outputOpen) {
        m_backend.closeOutput();
        m_outputOpen = false;
    }
    if (m_inputOpen) {
        const auto giveUp = m_clock.now() + kInputCloseLimit;
        bool closed = m_backend.closeInput();
        while (!closed && m_clock.now() < giveUp) {
            m_clock.pause(kPoll);
            closed = m_backend.closeInput();
        }
        m_inputOpen = false;
        if (!closed) {
            m_cycleFailed = true;
            unlockCycle();
            return false;
        }
    }
    unlockCycle();
    return true;
}

void MidiPortLayer::handOver(const std::uint8_t* data, std::size_t size) {
    // Only System Exclusive goes out this way; anything else is refused.
    const bool sysEx = data[0] == kSysExStart;
    // The connections made on opening must be in effect before the message goes out.
    // Should they never be, it goes anyway: the missing acknowledgement then tells.
    if (sysEx) {
        WaitUntilConnected(m_backend, m_clock, kConnectLimit);
    }
    if (!sysEx || !m_backend.send(data, size, m_clock.now())) {
        m_sendRefused = sysEx; // the output could not take it: the pair failed
        m_clock.pause(kPoll);
        return;
    }
    m_clock.pause(kReplyWait);
    if (!WaitUntilSent(m_backend, m_clock, kOutputReleaseLimit)) {
        m_cycleFailed = true;
    }
}

bool MidiPortLayer::waitOutLateReplies(const std::vector<std::uint8_t>& message) {
    if (m_clock.now() >= m_lateRepliesUntil) {
        return true;
    }
    m_capture.arm(message);
    std::size_t heard = 0;
    auto quietSince = m_clock.now();
    while (m_clock.now() < m_lateRepliesUntil) {
        if (m_untilQuiet && m_clock.now() - quietSince >= kQuietSpell) {
            m_lateRepliesUntil = m_clock.now();
            return true;
        }
        m_clock.pause(kPoll);
        if (const std::size_t replies = m_capture.replies(); replies != heard) {
            heard = replies;
            quietSince = m_clock.now();
        }
    }
    return !m_untilQuiet || m_clock.now() - quietSince >= kQuietSpell;
}

void MidiPortLayer::sendSysEx(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return;
    }
    std::vector<std::uint8_t> message(data, data + size);
    if (!waitOutLateReplies(message)) {
        m_cycleFailed = true; // no answer could be told from the noise: nothing goes out
        return;
    }
    m_capture.arm(std::move(message));
    m_expectingReply = data[0] == kSysExStart;
    handOver(data, size);
}

CycleResult MidiPortLayer::identify(int index) {
    CycleResult cycle;
    if (!openPortPair(index)) {
        cycle.result = TransferResult::PortsUnavailable;
        return cycle;
    }
    // The whole buffer is cleared, so nothing of an earlier reply can pass for an identity.
    m_capture.arm(std::vector<std::uint8_t>(kIdentityRequest.begin(), kIdentityRequest.end()));
    m_capture.clearIdentityText();
    handOver(kIdentityRequest.data(), kIdentityRequest.size());
    closePortPair();
    cycle.result = TransferResult::Acknowledged;
    cycle.reply = m_capture.buffer();
    return cycle;
}

void MidiPortLayer::sendPostDownloadPreset(int presetIndex) {
    if (presetIndex < 0 || presetIndex >= kPresetCount) {
        return;
    }
    const std::uint8_t message[] = {
        kSysExStart,          kManufacturerId,           kKeypadDeviceId,
        kSelectPresetCommand, std::uint8_t(presetIndex), kSysExEnd};
    openPortPair(m_selectedInterface);
    if (m_outputOpen) {
        handOver(message, sizeof message);
    }
    closePortPair();
}

CycleResult MidiPortLayer::runCycle(int index, const std::uint8_t* data, std::size_t size,
                                    std::optional<std::size_t> ackPosition,
                                    const std::function<void()>& whileOpen) {
    CycleResult cycle;
    if (index < 0) {
        cycle.result = TransferResult::NoInterface;
        return cycle;
    }
    if (!openPortPair(index)) {
        cycle.result = TransferResult::PortsUnavailable;
        return cycle;
    }
    sendSysEx(data, size);
    if (whileOpen) {
        whileOpen();
    }
    const bool closed = closePortPair();
    cycle.reply = m_capture.buffer();
    if (m_sendRefused) {
        cycle.result = TransferResult::PortsUnavailable;
    } else if (!ackPosition) {
        cycle.result = TransferResult::Acknowledged;
    } else {
        cycle.result = closed && !m_cycleFailed && m_capture.acknowledged(*ackPosition)
                           ? TransferResult::Acknowledged
                           : TransferResult::NoAcknowledge;
    }
    return cycle;
}

TransferResult MidiPortLayer::sendAcknowledged(const std::uint8_t* data, std::size_t size,
                                               std::size_t ackPosition) {
    return runCycle(m_selectedInterface, data, size, ackPosition).result;
}

TransferResult MidiPortLayer::sendPresetMessage(const std::uint8_t* message) {
    if (message[0] != kSysExStart || message[kPresetMessageSize - 1] != kSysExEnd) {
        return TransferResult::NotSysEx;
    }
    return sendAcknowledged(message, kPresetMessageSize, kPresetAckPosition);
}

TransferResult MidiPortLayer::downloadPresetFile(const std::filesystem::path& path) {
    m_presetBuffer.fill(0);
    std::size_t count = 0;
    if (const auto failed = readFile(path, m_presetBuffer.data(), m_presetBuffer.size(), count)) {
        return *failed;
    }
    if (count < kPresetMessageSize) {
        return TransferResult::WrongSize;
    }
    return sendPresetMessage(m_presetBuffer.data());
}

TransferResult MidiPortLayer::readBankFile(const std::filesystem::path& path) {
    std::fill(m_bankBuffer.begin(), m_bankBuffer.end(), 0);
    std::size_t count = 0;
    if (const auto failed = readFile(path, m_bankBuffer.data(), m_bankBuffer.size(), count)) {
        return *failed;
    }
    return count < kBankFileSize ? TransferResult::WrongSize : TransferResult::Acknowledged;
}

TransferResult MidiPortLayer::sendBankPreset(int presetIndex) {
    if (presetIndex < 0 || presetIndex >= kPresetCount) {
        return TransferResult::NotSysEx;
    }
    return sendPresetMessage(m_bankBuffer.data() + std::size_t(presetIndex) * kPresetMessageSize);
}

} // namespace tarnwick
