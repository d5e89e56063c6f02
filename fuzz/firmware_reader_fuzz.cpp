// libFuzzer harness for the firmware file reader. Besides not crashing on any input: a file
// it takes is cut into messages that each end with their first F7 within 2048 bytes and
// carry 21 as their third byte (when they have one), and that put back together give the
// file; the image ends with the empty block that every F7 opens. A file it refuses leaves
// no image. (No other byte is examined, the leading F0 included.)
#include "fuzz_check.h"
#include "preset/firmware_file.h"

#include <sstream>
#include <string>

using namespace tarnwick;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    FirmwareImage image;
    if (ReadFirmware(in, image) != FirmwareReadResult::Read) {
        FuzzCheck(image.empty());
        return 0;
    }
    FuzzCheck(!image.empty() && image.back().fill == 0);
    std::string joined;
    for (std::size_t i = 0; i + 1 < image.size(); ++i) {
        const FirmwareBlock& block = image[i];
        const std::size_t length = block.messageLength();
        FuzzCheck(length == block.fill && length >= 1 && length <= kFirmwareBlockSize);
        FuzzCheck(length <= kDeviceIdPosition ||
                  block.data[kDeviceIdPosition] == kFirmwareDeviceId);
        FuzzCheck(block.data[length - 1] == kSysExEnd);
        joined.append(reinterpret_cast<const char*>(block.data.data()), length);
    }
    FuzzCheck(joined == std::string(reinterpret_cast<const char*>(data), size));
    FreeFirmware(image);
    return 0;
}
