// The firmware send loop.
#include "firmware_sender.h"

#include "port_layer.h"

namespace tarnwick {

TransferResult SendFirmware(MidiPortLayer& ports, const FirmwareImage& image,
                            const std::function<void()>& stepped) {
    for (std::size_t i = 0; i < image.size(); ++i) {
        const FirmwareBlock& block = image[i];
        if (ports.selectedInterface() < 0) {
            return TransferResult::NoInterface;
        }
        if (!ports.openPortPair(ports.selectedInterface())) {
            return TransferResult::PortsUnavailable;
        }
        // The empty block after a file's last F7 is no SysEx: the port layer refuses it,
        // so it counts as a send and a step without putting 2048 zero bytes on the wire.
        ports.sendSysEx(block.data.data(), block.messageLength());
        if (stepped) {
            stepped();
        }
        const bool closed = ports.closePortPair();
        if (ports.lastSendRefused()) {
            return TransferResult::PortsUnavailable;
        }
        // Every message must be acknowledged, the last one included; only the empty block
        // that closes the image carries none.
        const bool carriesMessage = block.fill > 0;
        if (carriesMessage && (!closed || !ports.lastCycleSucceeded() ||
                               ports.captureBuffer()[kFirmwareAckPosition] != kAcknowledge)) {
            return TransferResult::NoAcknowledge;
        }
    }
    return TransferResult::Acknowledged;
}

} // namespace tarnwick
