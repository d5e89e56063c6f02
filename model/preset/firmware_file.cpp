// Splitting a firmware file into its messages.
#include "preset/firmware_file.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <new>

namespace tarnwick {

std::size_t FirmwareBlock::messageLength() const {
    const auto end = std::find(data.begin(), data.end(), kSysExEnd);
    return end == data.end() ? data.size() : std::size_t(std::distance(data.begin(), end)) + 1;
}

void FreeFirmware(FirmwareImage& image) {
    image.clear();
    image.shrink_to_fit();
}

FirmwareReadResult ReadFirmwareFile(const std::filesystem::path& path, FirmwareImage& image) {
    FreeFirmware(image);
    std::ifstream file(path, std::ios::binary);
    if (!file.is_open()) {
        return FirmwareReadResult::CannotOpen;
    }
    return ReadFirmware(file, image);
}

FirmwareReadResult ReadFirmware(std::istream& file, FirmwareImage& image) {
    FreeFirmware(image);
    try {
        image.emplace_back();
    } catch (const std::bad_alloc&) {
        return FirmwareReadResult::NoMemory;
    }
    const auto notFirmware = [&image] {
        FreeFirmware(image);
        return FirmwareReadResult::NotFirmware;
    };
    for (;;) {
        const auto next = file.get();
        if (next == std::istream::traits_type::eof()) {
            if (file.bad()) {
                // Never go on with a byte that was not read.
                FreeFirmware(image);
                return FirmwareReadResult::CannotOpen;
            }
            break;
        }
        const auto byte = static_cast<std::uint8_t>(next);
        FirmwareBlock& block = image.back();
        if ((block.fill == kDeviceIdPosition && byte != kFirmwareDeviceId) ||
            block.fill == kFirmwareBlockSize) {
            return notFirmware();
        }
        block.data[block.fill++] = byte;
        if (byte == kSysExEnd) {
            try {
                image.emplace_back();
            } catch (const std::bad_alloc&) {
                return notFirmware();
            }
        }
    }
    // Every byte must belong to a complete message: an empty file, or bytes after the last
    // F7 that end no message, are no firmware (they would go out as a SysEx without end).
    if (image.size() < 2 || image.back().fill > 0) {
        return notFirmware();
    }
    return FirmwareReadResult::Read;
}

} // namespace tarnwick
