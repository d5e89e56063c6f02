// Downloading presets.
#include "commands/download_commands.h"

#include "library/library_recorder.h"

#include "commands/file_commands.h"
#include "commands/transfer_messages.h"
#include "main_window/preset_number_dialog.h"
#include "main_window/preset_view.h"
#include "platform/atomic_file.h"
#include "port_layer.h"
#include "support/desktop_services.h"
#include "support/local_path.h"
#include "support/preset_file_io.h"
#include "support/user_interaction.h"

#include <QFile>
#include <QLabel>

#include <filesystem>
#include <optional>

namespace tarnwick {

PresetDownloads::PresetDownloads(PresetView& view, TSaveForm& saveForm,
                                 UserInteraction& interaction, DesktopServices& desktop,
                                 MidiPortLayer& ports, Clock& clock)
    : m_view(view), m_saveForm(saveForm), m_interaction(interaction), m_desktop(desktop),
      m_ports(ports), m_clock(clock) {}

void PresetDownloads::refuse() {
    m_interaction.message(QStringLiteral("Download Halted!"),
                          QStringLiteral("No MIDI interface selected."), QMessageBox::NoIcon,
                          QMessageBox::Ok);
}

void PresetDownloads::openInExternalApplication(const QString& path) {
    if (!m_desktop.openDocument(path)) {
        m_interaction.message(QStringLiteral("Download Fail!"),
                              QStringLiteral("ERROR: Could not find the .SYX file and/or MIDIOX"),
                              QMessageBox::NoIcon, QMessageBox::Ok);
    }
}

void PresetDownloads::byConnection(void (PresetDownloads::*external)(),
                                   void (PresetDownloads::*direct)()) {
    m_view.flushEdits();
    switch (m_view.connectionMode()) {
    case ConnectionMode::ExternalApplication:
        (this->*external)();
        break;
    case ConnectionMode::DirectMidi:
        (this->*direct)();
        break;
    case ConnectionMode::NotChosen:
    case ConnectionMode::FileOnly:
        refuse();
        break;
    }
}

void PresetDownloads::downloadCurrent() {
    m_saveForm.setPresetNumber(m_view.bank().currentPresetIndex().oneBased());
    byConnection(&PresetDownloads::downloadCurrentExternal,
                 &PresetDownloads::downloadCurrentDirect);
}

void PresetDownloads::downloadCurrentExternal() {
    if (m_interaction.runModal(m_saveForm) != QDialog::Accepted) {
        return;
    }
    const PresetRecord& record = m_view.bank().current();
    const std::string name = PresetName(record);
    const auto path = m_interaction.saveFileName(PresetFileCommands::SaveOneDialog(
        QString::fromLatin1(name.data(), qsizetype(name.size()))));
    if (!path) {
        return;
    }
    const PresetMessage message =
        EncodePresetMessage(record, PresetIndex::fromOneBase(m_saveForm.presetNumber()));
    if (WriteMessageFile(m_interaction, *path, message)) {
        openInExternalApplication(*path);
    }
}

void PresetDownloads::downloadCurrentDirect() {
    const QString title = m_saveForm.windowTitle();
    const QString question = m_saveForm.question()->text();
    m_saveForm.setWindowTitle(QStringLiteral("Download To Which Preset?"));
    m_saveForm.question()->setText(
        QStringLiteral("Download Current Preset to this Preset Number?"));
    if (m_interaction.runModal(m_saveForm) == QDialog::Accepted) {
        const PresetIndex current = m_view.bank().currentPresetIndex();
        // The message is kept in memory: no file in the working folder, which may take
        // none, may hold a file of the user's, or may be another editor's.
        const PresetMessage message = EncodePresetMessage(
            m_view.bank().current(), PresetIndex::fromOneBase(m_saveForm.presetNumber()));
        // The hourglass is up while the keypad is talked to, and gone before the result.
        const TransferResult result = [&] {
            BusyCursor busy(m_interaction);
            const TransferResult sent = m_ports.sendPresetMessage(message);
            if (sent == TransferResult::Acknowledged) {
                // The keypad shows the preset it was sent from, not the destination.
                m_ports.sendPostDownloadPreset(current.zeroBased());
                recordSent(&m_view.bank().current());
            }
            return sent;
        }();
        if (!m_view.closing()) {
            Show(m_interaction, DownloadResultMessage(result));
            SayWhyPortsUnavailable(m_view, m_ports, result);
        }
    }
    m_saveForm.setWindowTitle(title);
    m_saveForm.question()->setText(question);
}

bool PresetDownloads::writeBank(
    const std::function<bool(PresetIndex, const PresetMessage&)>& write) {
    const bool written =
        StepThroughBank(m_view, m_clock, [&](PresetIndex index, const PresetMessage& message) {
            m_saveForm.setPresetNumber(index.oneBased());
            return write(index, message);
        });
    returnToFirstPreset();
    m_view.paintNow(); // the sends that follow keep the event loop from painting
    return written;
}

void PresetDownloads::returnToFirstPreset() {
    m_saveForm.setPresetNumber(1);
    m_view.returnToFirstPreset();
}

void PresetDownloads::downloadAll() {
    byConnection(&PresetDownloads::downloadAllExternal, &PresetDownloads::downloadAllDirect);
    returnToFirstPreset();
}

void PresetDownloads::downloadAllExternal() {
    const auto path = m_interaction.saveFileName(PresetFileCommands::SaveAllDialog());
    if (!path) {
        return;
    }
    BusyCursor busy(m_interaction);
    AtomicFile file(LocalPath(*path));
    const bool opened = file.open();
    const bool written = opened && writeBank([&file](PresetIndex, const PresetMessage& message) {
                             return file.write(message.data(), message.size());
                         });
    if (!written || !file.commit()) {
        ReportWriteFailure(m_interaction);
        return;
    }
    openInExternalApplication(*path);
}

void PresetDownloads::downloadAllDirect() {
    // Stepping through the bank and sending run under the hourglass; the success message
    // comes after it is gone and the status bar is back to normal.
    const auto send = [this]() -> TransferResult {
        BusyCursor busy(m_interaction);
        // The 100 messages are kept in memory, as the preset of Download Current is.
        std::vector<PresetMessage> bank;
        writeBank([&bank](PresetIndex, const PresetMessage& message) {
            bank.push_back(message);
            return true;
        });
        TransferResult result = TransferResult::Acknowledged;
        for (int i = 0;
             i < kPresetCount && result == TransferResult::Acknowledged && !m_view.closing(); ++i) {
            m_view.showDownloadProgress(i + 1);
            result = m_ports.sendPresetMessage(bank[std::size_t(i)]);
            if (result != TransferResult::Acknowledged && !m_view.closing()) {
                // Shown while the status bar still names the preset that failed.
                Show(m_interaction, DownloadResultMessage(result));
            }
        }
        m_view.clearDownloadProgress();
        SayWhyPortsUnavailable(m_view, m_ports, result);
        return result;
    };
    if (send() == TransferResult::Acknowledged && !m_view.closing()) {
        m_ports.sendPostDownloadPreset(0);
        recordSent(nullptr);
        Show(m_interaction, DownloadResultMessage(TransferResult::Acknowledged));
    }
}

void PresetDownloads::recordSent(const PresetRecord* preset) {
    const auto& interfaces = m_ports.interfaceList();
    const int selected = m_ports.selectedInterface();
    if (!m_recorder || selected < 0 || selected >= int(interfaces.size())) {
        return;
    }
    const QString source = QStringLiteral("downloaded to ") +
                           QString::fromStdString(interfaces[std::size_t(selected)].name);
    if (preset) {
        m_recorder->record(*preset, source, "downloaded");
    } else {
        m_recorder->record(m_view.bank(), source, "downloaded");
    }
}

} // namespace tarnwick
