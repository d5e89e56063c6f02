// The 153-byte System Exclusive message that carries one preset: encoder, file writer,
// and the decoder that reads messages one after another from a file.
#pragma once

#include "preset/preset_record.h"
#include "preset/sysex.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <istream>
#include <optional>
#include <string>

namespace tarnwick {

using PresetMessage = std::array<std::uint8_t, kPresetMessageSize>;

PresetMessage EncodePresetMessage(const PresetRecord& record, PresetIndex presetNumber);

// The record as it comes back from its own message: switched-off slots lose the value
// they keep, and the name is padded with blanks to 13 characters.
PresetRecord CarriedByMessage(PresetRecord record);

// True when `record` is slot `index`'s untouched default (its own "New Name N", nothing
// switched on, no MIDI data) as the editor holds it or as a file carries it.
bool IsUntouchedDefault(const PresetRecord& record, PresetIndex index);

// Writes the message of `record` as preset `presetNumber` to `fileName`, truncating the
// file or appending to it. False when the file cannot be opened or written.
bool WritePresetMessage(const std::filesystem::path& fileName, bool append,
                        const PresetRecord& record, PresetIndex presetNumber);

// Why a message failed to decode; each has the text the user is shown.
enum class DecodeError {
    None,
    NoStart,
    WrongManufacturer,
    WrongDevice,
    WrongCommand,
    PresetOutOfRange,
    UnexpectedEnd,
};
const char* DecodeErrorText(DecodeError error);

struct DecodeOutcome {
    std::optional<PresetRecord> record; // set exactly when error is None
    DecodeError error = DecodeError::None;
    std::optional<std::uint8_t> presetByte; // the preset-number byte, once it has been read
};

// Decodes one message from `in`. A message cut short anywhere fails; on success exactly
// 153 bytes have been consumed.
DecodeOutcome DecodePresetMessage(std::istream& in);

// The presets of one file, read message after message with the decoder.
class PresetFileReader {
public:
    // False when the file cannot be opened.
    bool open(const std::filesystem::path& fileName);
    bool isOpen() const { return m_file.is_open(); }
    // Decodes the next message; a message that fails a check closes the file.
    DecodeOutcome next();
    void close() { m_file.close(); }
    // The preset-number byte of the message read most recently, also of one that failed
    // after it.
    std::uint8_t lastPresetByte() const { return m_lastPresetByte; }

private:
    std::ifstream m_file;
    std::uint8_t m_lastPresetByte = 0;
};

} // namespace tarnwick
