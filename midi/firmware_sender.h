// Sending a firmware image to the keypad: each block in its own port cycle, each message
// acknowledged with "A" at byte 4 of the reply.
#pragma once

#include "preset/firmware_file.h"
#include "transfer_result.h"

#include <functional>

namespace tarnwick {

class MidiPortLayer;

// `stepped` runs once per block sent (the progress window's step). Results: 0, 5, 6, 7.
TransferResult SendFirmware(MidiPortLayer& ports, const FirmwareImage& image,
                            const std::function<void()>& stepped);

} // namespace tarnwick
