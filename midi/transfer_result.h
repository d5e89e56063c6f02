// Result codes of a preset or firmware transfer to the keypad. The numbers are the
// ones the transfer functions have always returned.
#pragma once

namespace tarnwick {

enum class TransferResult {
    Acknowledged = 0,
    CannotOpenFile = 1,
    ReadFailed = 2,
    WrongSize = 3,
    NotSysEx = 4,
    PortsUnavailable = 5,
    NoInterface = 6,
    NoAcknowledge = 7,
};

} // namespace tarnwick
