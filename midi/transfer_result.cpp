// The texts of the transfer outcomes. Note "Download Fail?" for a missing
// acknowledgement against "Download Fail!" for everything else.
#include "transfer_result.h"

#include <iterator>
#include <utility>

namespace tarnwick {

namespace {

constexpr const char* kFail = "Download Fail!";

// In the order of the result codes, 0 to 7.
constexpr TransferText kDownloadTexts[] = {
    {"Download Success", "Downloaded OK!"},
    {kFail, "Bad file name."},
    {kFail, "File read error."},
    {kFail, "File wrong size."},
    {kFail, "File F0 or F7 missing."},
    {kFail, "MIDI Open failed."},
    {kFail, "Bad or missing MIDI device."},
    {"Download Fail?", "No acknowledge from keypad."},
};
static_assert(std::size(kDownloadTexts) == std::size_t(TransferResult::NoAcknowledge) + 1);

// A firmware upgrade says the same, but for these.
constexpr std::pair<TransferResult, TransferText> kUpgradeTexts[] = {
    {TransferResult::Acknowledged, {"Upgrade Complete", "Success!"}},
    {TransferResult::ReadFailed, {kFail, "Memory allocation failure."}},
    {TransferResult::WrongSize, {kFail, "Wrong file type."}},
    {TransferResult::NoAcknowledge,
     {"Download Fail?", "No acknowledge from keypad. Did you enable upgrade mode?"}},
};

} // namespace

TransferText DownloadResultText(TransferResult result) {
    return kDownloadTexts[std::size_t(result)];
}

TransferText UpgradeResultText(TransferResult result) {
    for (const auto& [code, text] : kUpgradeTexts) {
        if (code == result) {
            return text;
        }
    }
    return DownloadResultText(result);
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
