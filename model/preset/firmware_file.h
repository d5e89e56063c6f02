// Firmware files: a series of SysEx messages of at most 2048 bytes, each ending with F7
// and each carrying 21 hex as its third byte. The reader splits a file into one block per
// message; every F7 opens the next block, so the image always ends with an empty one.
#pragma once

#include "preset/sysex.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <istream>
#include <string>
#include <vector>

namespace tarnwick {

struct FirmwareBlock {
    std::array<std::uint8_t, kFirmwareBlockSize> data{}; // zero past the message
    std::size_t fill = 0;

    // The bytes up to and including the first F7; all 2048 when there is none.
    std::size_t messageLength() const;
};

using FirmwareImage = std::vector<FirmwareBlock>;

enum class FirmwareReadResult {
    Read = 0,
    CannotOpen = 1,  // the file cannot be opened or read
    NoMemory = 2,    // the first block cannot be allocated
    NotFirmware = 3, // a third byte other than 21, a message over 2048 bytes, no message at all,
                     // or bytes after the last F7
};

// Reads `path` into `image` (emptied first; left empty on failure).
FirmwareReadResult ReadFirmwareFile(const std::filesystem::path& path, FirmwareImage& image);
// The same from a stream already open.
FirmwareReadResult ReadFirmware(std::istream& in, FirmwareImage& image);
void FreeFirmware(FirmwareImage& image);

} // namespace tarnwick
