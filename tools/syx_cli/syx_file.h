// Reading .syx files as runs of preset messages with the editor's own decoder, and
// writing them back.
#pragma once

#include "preset_message.h"

#include <string>
#include <vector>

namespace tarnwick {

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

// Decodes every message of `path`; false and `error` at the first that fails a check (or
// when the file holds none, or cannot be read: message 0).
bool ReadSyxFile(const std::string& path, std::vector<SyxMessage>& messages, SyxError& error);

// Writes the messages back to back, replacing `path` only when all were written.
bool WriteSyxFile(const std::string& path, const std::vector<PresetMessage>& messages);

} // namespace tarnwick
