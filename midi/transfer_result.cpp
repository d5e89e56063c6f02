// The texts of the transfer outcomes. Note "Download Fail?" for a missing
// acknowledgement against "Download Fail!" for everything else.
#include "transfer_result.h"

namespace tarnwick {

namespace {
constexpr const char* kFail = "Download Fail!";
}

TransferText DownloadResultText(TransferResult result) {
    switch (result) {
    case TransferResult::Acknowledged:
        return {"Download Success", "Downloaded OK!"};
    case TransferResult::CannotOpenFile:
        return {kFail, "Bad file name."};
    case TransferResult::ReadFailed:
        return {kFail, "File read error."};
    case TransferResult::WrongSize:
        return {kFail, "File wrong size."};
    case TransferResult::NotSysEx:
        return {kFail, "File F0 or F7 missing."};
    case TransferResult::PortsUnavailable:
        return {kFail, "MIDI Open failed."};
    case TransferResult::NoInterface:
        return {kFail, "Bad or missing MIDI device."};
    case TransferResult::NoAcknowledge:
        return {"Download Fail?", "No acknowledge from keypad."};
    }
    return {kFail, "Download failed."};
}

TransferText UpgradeResultText(TransferResult result) {
    switch (result) {
    case TransferResult::Acknowledged:
        return {"Upgrade Complete", "Success!"};
    case TransferResult::ReadFailed:
        return {kFail, "Memory allocation failure."};
    case TransferResult::WrongSize:
        return {kFail, "Wrong file type."};
    case TransferResult::NoAcknowledge:
        return {"Download Fail?", "No acknowledge from keypad. Did you enable upgrade mode?"};
    default:
        return DownloadResultText(result);
    }
}

TransferResult FirmwareReadTransferResult(FirmwareReadResult result) {
    switch (result) {
    case FirmwareReadResult::Read:
        return TransferResult::Acknowledged;
    case FirmwareReadResult::CannotOpen:
        return TransferResult::CannotOpenFile;
    case FirmwareReadResult::NoMemory:
        return TransferResult::ReadFailed;
    case FirmwareReadResult::NotFirmware:
        break;
    }
    return TransferResult::WrongSize;
}

} // namespace tarnwick
