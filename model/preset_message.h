// The 153-byte System Exclusive message that carries one preset: encoder, file writer,
// and the decoder that reads messages one after another from a file.
#pragma once

#include "preset_record.h"

#include <array>
#include <cstdint>
#include <fstream>
#include <istream>
#include <optional>
#include <string>

namespace tarnwick {

class Notifier;

inline constexpr std::size_t kPresetMessageSize = 153;
inline constexpr std::uint8_t kSysExStart = 0xF0;
inline constexpr std::uint8_t kSysExEnd = 0xF7;
inline constexpr std::uint8_t kManufacturerId = 0x7D;
inline constexpr std::uint8_t kKeypadDeviceId = 0x22;
inline constexpr std::uint8_t kPresetCommand = 0x24;
inline constexpr std::uint8_t kPresetCommandAlternate = 0x23; // accepted when reading only

using PresetMessage = std::array<std::uint8_t, kPresetMessageSize>;

PresetMessage EncodePresetMessage(const PresetRecord& record, PresetIndex presetNumber);

// The record as it comes back from its own message: switched-off slots lose the value
// they keep, and the name is padded with blanks to 13 characters.
PresetRecord CarriedByMessage(PresetRecord record);

// Writes the message of `record` as preset `presetNumber` to `fileName`, truncating the
// file or appending to it. On failure shows "Error opening output file." and returns false.
bool WritePresetMessage(const std::string& fileName, bool append, const PresetRecord& record,
                        PresetIndex presetNumber, Notifier& notifier);

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

// The one preset file being read, message after message.
class PresetStream {
public:
    bool isOpen() const { return m_file.is_open(); }
    void close() { m_file.close(); }
    // The preset-number byte of the message read most recently.
    std::uint8_t lastReadPresetNumber = 0;

private:
    friend std::optional<PresetRecord> ReadPresetMessage(PresetStream&, const std::string&, bool,
                                                         bool, Notifier&);
    std::ifstream m_file;
};

// Reads the next message of `stream`, opening `fileName` first when `openFirst` is set and
// closing the stream after a successful read when `closeAfter` is set. A failed check
// closes the stream and shows its text under "File Open Error!"; a file that cannot be
// opened, or no open stream, fails without a message.
std::optional<PresetRecord> ReadPresetMessage(PresetStream& stream, const std::string& fileName,
                                              bool openFirst, bool closeAfter, Notifier& notifier);

} // namespace tarnwick
