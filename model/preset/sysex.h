// The keypad's System Exclusive wire format: the bytes, sizes and positions that the
// editor, the port layer, the firmware reader, tarnwick-syx and the keypad simulator share.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tarnwick {

inline constexpr std::uint8_t kSysExStart = 0xF0;
inline constexpr std::uint8_t kSysExEnd = 0xF7;

// F0 7D 22 cc ...: the keypad's manufacturer and device IDs and its commands.
inline constexpr std::uint8_t kManufacturerId = 0x7D;
inline constexpr std::uint8_t kKeypadDeviceId = 0x22;
inline constexpr std::uint8_t kFirmwareDeviceId = 0x21; // third byte of firmware messages
inline constexpr std::size_t kDeviceIdPosition = 2;
inline constexpr std::uint8_t kPresetCommand = 0x24;
inline constexpr std::uint8_t kPresetCommandAlternate = 0x23; // accepted when reading only
inline constexpr std::uint8_t kSelectPresetCommand = 0x07;    // F0 7D 22 07 nn F7

// One preset's message, and a bank file of 100 of them back to back.
inline constexpr std::size_t kPresetMessageSize = 153;
inline constexpr std::size_t kBankFileSize = kPresetMessageSize * 100;
// Where the 13 name bytes stand in a preset's message.
inline constexpr std::size_t kNameOffset = 5;
// Firmware files: messages of at most this many bytes.
inline constexpr std::size_t kFirmwareBlockSize = 2048;

// The keypad acknowledges with "A": at byte 5 of its reply to a preset, at byte 4 of its
// reply to a firmware message.
inline constexpr std::uint8_t kAcknowledge = 0x41;
inline constexpr std::size_t kPresetAckPosition = 5;
inline constexpr std::size_t kFirmwareAckPosition = 4;

// The MIDI standard identity request to all devices; the keypad answers with 24 bytes
// whose bytes 7 to 22 are its identity text.
inline constexpr std::array<std::uint8_t, 6> kIdentityRequest{0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};
inline constexpr std::size_t kIdentityReplySize = 24;
inline constexpr std::size_t kIdentityTextPosition = 7;
inline constexpr std::size_t kIdentityTextLength = 16;

} // namespace tarnwick
