// The files tarnwick-syx reads and writes: any input read whole and safely ("-" is standard
// input), .syx content decoded message by message with the editor's own decoder and
// checked beyond it, and outputs written whole or not at all ("-" is standard output).
#pragma once

#include "preset/preset_message.h"

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
    DecodeError decode = DecodeError::None; // the decoder's reason, when it refused the message
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

// A file of at most one message's size holds one preset; anything larger is a bank.
inline constexpr bool IsBankSize(std::uintmax_t size) {
    return size > kPresetMessageSize;
}

// Why reading a preset file stopped short of giving its presets.
enum class SyxStop {
    None,       // read whole
    BadMessage, // a message the decoder refuses (the error says which and why)
    TooFew,     // a bank of fewer than 100 messages
};

// A preset file as every reader that places presets in slots takes it: one preset, or a bank
// of the first 100 messages (what follows them is not read, as the keypad and Open All do).
struct SyxFileRead {
    bool bank = false;
    std::vector<SyxMessage> messages;  // as they stand in the file, up to the first stop
    std::vector<PresetRecord> records; // the preset, or the 100 in slot order; empty on a stop
    SyxStop stop = SyxStop::None;
    SyxError error; // where and why it stopped
    bool whole() const { return stop == SyxStop::None; }
};
SyxFileRead ReadSyxFile(const std::string& content);

// The records of `messages` in slot order: by their preset numbers when no number stands
// twice, else as they stand in the file.
std::vector<PresetRecord> RecordsInSlotOrder(const std::vector<SyxMessage>& messages);

// The messages back to back, as file content.
std::string SyxBytes(const std::vector<PresetMessage>& messages);

} // namespace tarnwick
