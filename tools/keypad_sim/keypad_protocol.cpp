// The keypad's answers.
#include "keypad_protocol.h"

namespace tarnwick {

KeypadProtocol::KeypadProtocol(KeypadBehaviour behaviour) : m_behaviour(std::move(behaviour)) {
    for (int i = 0; i < kPresetCount; ++i) {
        const auto index = PresetIndex::fromZeroBase(i);
        m_memory[std::size_t(i)] = EncodePresetMessage(NewBankPreset(index), index);
    }
}

KeypadProtocol::Bytes KeypadProtocol::identityReply(const std::string& text) {
    Bytes reply{kSysExStart, 0x7E, 0x7F, 0x06, 0x02, kManufacturerId, kKeypadDeviceId};
    for (std::size_t i = 0; i < kIdentityTextLength; ++i) {
        reply.push_back(i < text.size() ? std::uint8_t(text[i] & 0x7F) : std::uint8_t(' '));
    }
    reply.push_back(kSysExEnd);
    return reply; // 24 bytes, text at 7 to 22
}

KeypadProtocol::Bytes KeypadProtocol::standardIdentityReply() {
    return {kSysExStart, 0x7E, 0x7F, 0x06, 0x02, kManufacturerId, kKeypadDeviceId, 0x00, 0x01,
            0x00,        0x02, 0x07, 0x00, 0x00, kSysExEnd};
}

std::vector<KeypadProtocol::Bytes> KeypadProtocol::receive(const Bytes& message) {
    std::vector<Bytes> replies;
    if (m_behaviour.echo) {
        replies.push_back(message);
    }
    if (message.size() < 4 || message.front() != kSysExStart) {
        return replies;
    }
    const bool ours = message[1] == kManufacturerId;
    if (std::equal(message.begin(), message.end(), kIdentityRequest.begin(),
                   kIdentityRequest.end())) {
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
            replies.push_back({kSysExStart, kManufacturerId, kKeypadDeviceId, message[3],
                               message[4], kAcknowledge, kSysExEnd});
        }
    } else if (ours && message[2] == kKeypadDeviceId && message[3] == kSelectPresetCommand &&
               message.size() == 6 && message[4] < kPresetCount) {
        m_selectedPreset = message[4];
    } else if (ours && message[2] == kFirmwareDeviceId && m_behaviour.upgradeMode) {
        ++m_firmwareMessages;
        replies.push_back(
            {kSysExStart, kManufacturerId, kFirmwareDeviceId, 0x01, kAcknowledge, kSysExEnd});
    }
    return replies;
}

KeypadProtocol::Bytes KeypadProtocol::memoryAsBank() const {
    Bytes bank;
    bank.reserve(kBankFileSize);
    for (const PresetMessage& message : m_memory) {
        bank.insert(bank.end(), message.begin(), message.end());
    }
    return bank;
}

} // namespace tarnwick
