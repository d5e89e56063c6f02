// What the keypad does with each SysEx message it receives, as a plain state machine:
// stores presets and acknowledges them, selects a preset after a download, answers the
// identity request, and acknowledges firmware in upgrade mode. Its fault switches let
// tests and users try every way a real keypad or cable can fail.
#pragma once

#include "preset/preset_message.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick {

struct KeypadBehaviour {
    std::string identity = "Tarnwick Keypad ";
    int stopAcknowledgingAt = 0; // preset number from which no acknowledgement comes; 0: never
    bool answerIdentity = true;
    bool standardIdentity = false; // the 15-byte MIDI identity reply instead of the keypad's own
    bool echo = false;             // sends every message straight back (a MIDI thru loop)
    bool upgradeMode = false;
};

class KeypadProtocol {
public:
    using Bytes = std::vector<std::uint8_t>;

    explicit KeypadProtocol(KeypadBehaviour behaviour = {});

    // The messages the keypad sends in answer to `message`, in order.
    std::vector<Bytes> receive(const Bytes& message);

    // All 100 presets as a bank file: preset n is the message last stored for it, or the
    // editor's new-bank default when none came.
    Bytes memoryAsBank() const;
    int selectedPreset() const { return m_selectedPreset; }
    int presetsStored() const { return m_presetsStored; }
    int firmwareMessages() const { return m_firmwareMessages; }

    static Bytes identityReply(const std::string& text);
    static Bytes standardIdentityReply();

private:
    KeypadBehaviour m_behaviour;
    std::array<PresetMessage, kPresetCount> m_memory{};
    int m_selectedPreset = 0;
    int m_presetsStored = 0;
    int m_firmwareMessages = 0;
};

} // namespace tarnwick
