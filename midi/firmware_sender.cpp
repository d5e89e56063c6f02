// The firmware send loop.
#include "firmware_sender.h"

#include "port_layer.h"

namespace tarnwick {

TransferResult SendFirmware(MidiPortLayer& ports, const FirmwareImage& image,
                            const std::function<void()>& stepped) {
    for (const FirmwareBlock& block : image) {
        // Every message must be acknowledged, the last one included; only the empty block
        // that closes the image carries none. That block is no SysEx: the port layer
        // passes it over, so it counts as a send and a step without putting 2048 zero
        // bytes on the wire.
        const bool carriesMessage = block.fill > 0;
        const CycleResult cycle = ports.runCycle(
            ports.selectedInterface(), block.data.data(), block.messageLength(),
            carriesMessage ? std::optional(kFirmwareAckPosition) : std::nullopt, stepped);
        if (cycle.result != TransferResult::Acknowledged) {
            return cycle.result;
        }
    }
    return TransferResult::Acknowledged;
}

} // namespace tarnwick
