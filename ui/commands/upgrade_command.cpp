// The firmware upgrade command.
#include "commands/upgrade_command.h"

#include "commands/file_commands.h"
#include "commands/progress_form.h"
#include "commands/transfer_messages.h"
#include "firmware_sender.h"
#include "main_window/preset_view.h"
#include "port_layer.h"
#include "preset/firmware_file.h"
#include "support/local_path.h"
#include "support/user_interaction.h"

#include <QApplication>
#include <QFileInfo>
#include <QProgressBar>

namespace tarnwick {

FirmwareUpgradeCommand::FirmwareUpgradeCommand(PresetView& view, TfrmProgress& progress,
                                               UserInteraction& interaction, MidiPortLayer& ports)
    : m_view(view), m_progress(progress), m_interaction(interaction), m_ports(ports) {}

FileDialogRequest FirmwareUpgradeCommand::OpenUpgradeDialog() {
    FileDialogRequest request = PresetFileCommands::OpenSingleDialog();
    request.title = QStringLiteral("Open Firmware Upgrade File");
    return request;
}

void FirmwareUpgradeCommand::run() {
    if (m_interaction.message(
            QStringLiteral("Firmware Upgrade"),
            QStringLiteral("Select your MIDI connection and put the keypad into "
                           "UPGRADE mode.\nNOTE: You MUST use the interface box."),
            QMessageBox::Information, QMessageBox::Ok | QMessageBox::Cancel) != QMessageBox::Ok) {
        return;
    }
    const auto path = m_interaction.openFileName(OpenUpgradeDialog());
    if (!path || !QFileInfo(*path).isFile()) {
        return;
    }
    FirmwareImage image;
    const TransferResult read =
        FirmwareReadTransferResult(ReadFirmwareFile(LocalPath(*path), image));
    if (read != TransferResult::Acknowledged) {
        Show(m_interaction, UpgradeResultMessage(read));
        return;
    }

    m_progress.progressBar()->setValue(0);
    m_progress.showCentred();
    m_progress.repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    const TransferResult result = SendFirmware(m_ports, image, [this] {
        m_progress.stepIt();
        m_progress.repaint();
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
    m_progress.hide();
    FreeFirmware(image);
    Show(m_interaction, UpgradeResultMessage(result));
    SayWhyPortsUnavailable(m_view, m_ports, result);
}

} // namespace tarnwick
