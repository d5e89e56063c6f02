// The files tarnwick-syx reads and writes: any input read whole and safely ("-" is standard
// input), .syx content decoded message by message with the editor's own decoder and
// checked beyond it, and outputs written whole or not at all ("-" is standard output).
#pragma once

#include "preset_message.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick {

// No preset or firmware file comes near this size; a larger input is refused unread.
inline constexpr std::uintmax_t kMaxInputSize = 1 << 20;

// Reads `path` whole into `content`. Folders, pipes, devices, empty files and files over
// kMaxInputSize are refused before anything is read; false and the system's reason
// ("No such file or directory", "Is a directory", "Permission denied", ...) otherwise.
bool ReadInput(const std::string& path, std::string& content, std::string& reason);
// Writes `bytes` as the whole file `path`, replacing it only when all went well; false and
// the system's reason otherwise.
bool WriteOutput(const std::string& path, const std::string& bytes, std::string& reason);

struct SyxMessage {
    std::size_t offset = 0;      // where the message starts in its file
    std::uint8_t presetByte = 0; // preset number minus 1
    PresetRecord record;
    PresetMessage raw{}; // the 153 bytes as they stand in the file
};

struct SyxError {
    std::size_t message = 0; // 1-based
    std::size_t offset = 0;
    std::string text;
};

// Decodes the messages of `content` one after another; false and `error` at the first that
// fails, with the messages before it in `messages`.
bool DecodeSyx(const std::string& content, std::vector<SyxMessage>& messages, SyxError& error);

// Everything wrong with `content` as a preset file: what the editor's decoder refuses, and
// what it lets through: a message that does not start with F0 or does not end with F7 at
// its 153rd byte, a byte of 0x80 or more inside a message, a byte that export and import
// would write otherwise (a switched-off value kept, no nibble pair, command 23), a length
// that is no whole number of messages, a preset number that stands twice.
std::vector<SyxError> CheckSyx(const std::string& content);

// The message of `record` with all 13 of its name bytes: the editor's encoder ends a name
// at a zero byte, which would lose what a file hides behind it.
PresetMessage MessageKeepingName(const PresetRecord& record, PresetIndex number);

// The records of `messages` in slot order: by their preset numbers when no number stands
// twice, else as they stand in the file.
std::vector<PresetRecord> RecordsInSlotOrder(const std::vector<SyxMessage>& messages);

// The messages back to back, as file content.
std::string SyxBytes(const std::vector<PresetMessage>& messages);

} // namespace tarnwick
