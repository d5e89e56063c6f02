// Result codes of a preset or firmware transfer to the keypad, and what the user is told
// about each. The numbers are the ones the transfer functions have always returned.
#pragma once

#include "preset/firmware_file.h"

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

struct TransferText {
    const char* title;
    const char* text;
};

// After a preset download: "Downloaded OK!" / "Download Success", ...
TransferText DownloadResultText(TransferResult result);
// After a firmware upgrade: "Success!" / "Upgrade Complete", "Wrong file type.", ...
TransferText UpgradeResultText(TransferResult result);

// The transfer result a firmware file's reading stands for: Acknowledged when it was read.
TransferResult FirmwareReadTransferResult(FirmwareReadResult result);

} // namespace tarnwick
