// Message boxes of the transfer outcomes: the texts of the transfer results, with the
// information icon for success and the exclamation icon for every failure.
#include "commands/transfer_messages.h"

#include "main_window/preset_view.h"
#include "port_layer.h"
#include "support/user_interaction.h"

namespace tarnwick {

namespace {
TransferMessage box(TransferResult result, TransferText text) {
    return {QString::fromLatin1(text.text), QString::fromLatin1(text.title),
            result == TransferResult::Acknowledged ? QMessageBox::Information
                                                   : QMessageBox::Warning};
}
} // namespace

TransferMessage DownloadResultMessage(TransferResult result) {
    return box(result, DownloadResultText(result));
}

TransferMessage UpgradeResultMessage(TransferResult result) {
    return box(result, UpgradeResultText(result));
}

void Show(UserInteraction& interaction, const TransferMessage& message) {
    interaction.message(message.title, message.text, message.icon, QMessageBox::Ok);
}

void SayWhyPortsUnavailable(PresetView& view, MidiPortLayer& ports, TransferResult result) {
    if (result != TransferResult::PortsUnavailable || view.closing()) {
        return;
    }
    if (const std::string held = ports.heldElsewhereText(); !held.empty()) {
        view.showStatus(QString::fromStdString(held));
    }
}

} // namespace tarnwick
