// The keypad's answers.
#include "keypad_protocol.h"

namespace tarnwick {

namespace {
constexpr std::uint8_t kAck = 0x41;
constexpr std::uint8_t kFirmwareDevice = 0x21;
constexpr std::uint8_t kSelectPreset = 0x07;
} // namespace

KeypadProtocol::KeypadProtocol(KeypadBehaviour behaviour) : m_behaviour(std::move(behaviour)) {
    for (int i = 0; i < kPresetCount; ++i) {
        const auto index = PresetIndex::fromZeroBase(i);
        m_memory[std::size_t(i)] = EncodePresetMessage(NewBankPreset(index), index);
    }
}

KeypadProtocol::Bytes KeypadProtocol::identityReply(const std::string& text) {
    Bytes reply{0xF0, 0x7E, 0x7F, 0x06, 0x02, kManufacturerId, kKeypadDeviceId};
    for (std::size_t i = 0; i < 16; ++i) {
        reply.push_back(i < text.size() ? std::uint8_t(text[i] & 0x7F) : std::uint8_t(' '));
    }
    reply.push_back(0xF7);
    return reply; // 24 bytes, text at 7 to 22
}

KeypadProtocol::Bytes KeypadProtocol::standardIdentityReply() {
    return {0xF0, 0x7E, 0x7F, 0x06, 0x02, kManufacturerId, 0x22, 0x00, 0x01, 0x00,
            0x02, 0x07, 0x00, 0x00, 0xF7};
}

std::vector<KeypadProtocol::Bytes> KeypadProtocol::receive(const Bytes& message) {
    std::vector<Bytes> replies;
    if (m_behaviour.echo) {
        replies.push_back(message);
    }
    if (message.size() < 4 || message.front() != 0xF0) {
        return replies;
    }
    const bool ours = message[1] == kManufacturerId;
    if (message.size() == 6 && message[1] == 0x7E && message[3] == 0x06 && message[4] == 0x01) {
        if (m_behaviour.answerIdentity) {
            replies.push_back(m_behaviour.standardIdentity ? standardIdentityReply()
                                                           : identityReply(m_behaviour.identity));
        }
    } else if (ours && message[2] == kKeypadDeviceId &&
               (message[3] == kPresetCommand || message[3] == kPresetCommandAlternate) &&
               message.size() == kPresetMessageSize && message[4] < kPresetCount) {
        const int number = message[4] + 1;
        std::copy(message.begin(), message.end(), m_memory[message[4]].begin());
        ++m_presetsStored;
        if (m_behaviour.stopAcknowledgingAt == 0 || number < m_behaviour.stopAcknowledgingAt) {
            replies.push_back(
                {0xF0, kManufacturerId, kKeypadDeviceId, message[3], message[4], kAck, 0xF7});
        }
    } else if (ours && message[2] == kKeypadDeviceId && message[3] == kSelectPreset &&
               message.size() == 6 && message[4] < kPresetCount) {
        m_selectedPreset = message[4];
    } else if (ours && message[2] == kFirmwareDevice && m_behaviour.upgradeMode) {
        ++m_firmwareMessages;
        replies.push_back({0xF0, kManufacturerId, kFirmwareDevice, 0x01, kAck, 0xF7});
    }
    return replies;
}

KeypadProtocol::Bytes KeypadProtocol::memoryAsBank() const {
    Bytes bank;
    bank.reserve(kPresetMessageSize * kPresetCount);
    for (const PresetMessage& message : m_memory) {
        bank.insert(bank.end(), message.begin(), message.end());
    }
    return bank;
}

} // namespace tarnwick
