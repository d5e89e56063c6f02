// Texts, titles and icons of the transfer outcomes. Note "Download Fail?" for a missing
// acknowledgement against "Download Fail!" for everything else.
#include "transfer_messages.h"

#include "user_interaction.h"

namespace tarnwick {

namespace {
TransferMessage failure(const char* text) {
    return {QString::fromLatin1(text), QStringLiteral("Download Fail!"), QMessageBox::Warning};
}
} // namespace

TransferMessage DownloadResultMessage(TransferResult result) {
    switch (result) {
    case TransferResult::Acknowledged:
        return {QStringLiteral("Downloaded OK!"), QStringLiteral("Download Success"),
                QMessageBox::Information};
    case TransferResult::CannotOpenFile:
        return failure("Bad file name.");
    case TransferResult::ReadFailed:
        return failure("File read error.");
    case TransferResult::WrongSize:
        return failure("File wrong size.");
    case TransferResult::NotSysEx:
        return failure("File F0 or F7 missing.");
    case TransferResult::PortsUnavailable:
        return failure("MIDI Open failed.");
    case TransferResult::NoInterface:
        return failure("Bad or missing MIDI device.");
    case TransferResult::NoAcknowledge:
        return {QStringLiteral("No acknowledge from keypad."), QStringLiteral("Download Fail?"),
                QMessageBox::Warning};
    }
    return failure("Download failed.");
}

TransferMessage UpgradeResultMessage(TransferResult result) {
    switch (result) {
    case TransferResult::Acknowledged:
        return {QStringLiteral("Success!"), QStringLiteral("Upgrade Complete"),
                QMessageBox::Information};
    case TransferResult::CannotOpenFile:
        return failure("Bad file name.");
    case TransferResult::ReadFailed:
        return failure("Memory allocation failure.");
    case TransferResult::WrongSize:
        return failure("Wrong file type.");
    case TransferResult::NoAcknowledge:
        return {QStringLiteral("No acknowledge from keypad. Did you enable upgrade mode?"),
                QStringLiteral("Download Fail?"), QMessageBox::Warning};
    default:
        return DownloadResultMessage(result);
    }
}

void Show(UserInteraction& interaction, const TransferMessage& message) {
    interaction.message(message.title, message.text, message.icon, QMessageBox::Ok);
}

} // namespace tarnwick
