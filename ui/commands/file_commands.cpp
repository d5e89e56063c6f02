// Saving and opening presets as .syx files.
#include "commands/file_commands.h"

#include "library/library_recorder.h"

#include "clock.h"
#include "main_window/frame_throttle.h"
#include "main_window/preset_number_dialog.h"
#include "main_window/preset_view.h"
#include "platform/atomic_file.h"
#include "preset/syx_file.h"
#include "support/local_path.h"
#include "support/preset_file_io.h"
#include "support/user_interaction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace tarnwick {

namespace {

const QString kSyxFilter = QStringLiteral("(*.syx) Sys Ex Files (*.syx);;(*.*) All Files (*)");

FileDialogRequest dialog(const QString& title, const QString& suffix, const QString& name) {
    return FileDialogRequest{title, kSyxFilter, suffix, PresetStartFolder(), name};
}

bool isBankFile(const QString& path) {
    return IsBankSize(std::uintmax_t(QFileInfo(path).size()));
}

} // namespace

PresetFileCommands::PresetFileCommands(PresetView& view, TSaveForm& saveForm, TLoadForm& loadForm,
                                       UserInteraction& interaction, Clock& clock)
    : m_view(view), m_saveForm(saveForm), m_loadForm(loadForm), m_interaction(interaction),
      m_clock(clock) {}

FileDialogRequest PresetFileCommands::SaveOneDialog(const QString& proposedName) {
    return dialog(QStringLiteral("Save Current Preset As"), QStringLiteral("syx"), proposedName);
}

FileDialogRequest PresetFileCommands::SaveAllDialog() {
    return dialog(QStringLiteral("Save ALL As"), QStringLiteral("syx"),
                  QStringLiteral("My100Presets.syx"));
}

FileDialogRequest PresetFileCommands::OpenSingleDialog() {
    return dialog(QStringLiteral("Open Single Preset"), QString(), QString());
}

FileDialogRequest PresetFileCommands::OpenAllDialog() {
    return dialog(QStringLiteral("Open 100 Presets"), QString(), QString());
}

void PresetFileCommands::saveOnePreset() {
    m_view.flushEdits();
    PresetBank& bank = m_view.bank();
    m_saveForm.setPresetNumber(bank.currentPresetIndex().oneBased());
    if (m_interaction.runModal(m_saveForm) != QDialog::Accepted) {
        return;
    }
    const int number = m_saveForm.presetNumber();
    const std::string name = PresetName(bank.current());
    const auto path = m_interaction.saveFileName(
        SaveOneDialog(QString::fromLatin1(name.data(), qsizetype(name.size()))));
    if (!path) {
        return;
    }
    // The chosen number goes into the file only; the bank keeps the preset where it is.
    const PresetMessage message =
        EncodePresetMessage(bank.current(), PresetIndex::fromOneBase(number));
    if (WriteMessageFile(m_interaction, *path, message)) {
        recordWritten({bank.current()}, *path);
    }
}

void PresetFileCommands::saveAllPresets() {
    if (const auto path = m_interaction.saveFileName(SaveAllDialog())) {
        BusyCursor busy(m_interaction);
        m_view.flushEdits();
        // The file takes the old one's place only once all 100 messages are written.
        AtomicFile file(LocalPath(*path));
        const bool written =
            file.open() &&
            StepThroughBank(m_view, m_clock, [&](PresetIndex, const PresetMessage& m) {
                const bool ok = file.write(m.data(), m.size());
                m_clock.pause(std::chrono::milliseconds(1));
                return ok && !m_view.closing();
            });
        if (m_view.closing()) {
            return; // the program ends: the file keeps its old content
        }
        if (!written || !file.commit()) {
            ReportWriteFailure(m_interaction);
        } else {
            m_bankFile = *path;
            recordWritten({}, *path);
        }
    }
    m_view.returnToFirstPreset();
}

void PresetFileCommands::replacePreset(int number, const PresetRecord& record) {
    PresetBank& bank = m_view.bank();
    bank.setCurrentPresetIndex(PresetIndex::fromOneBase(number));
    bank.current() = record;
}

void PresetFileCommands::openOnePreset() {
    if (const auto path = m_interaction.openFileName(OpenSingleDialog())) {
        openOneFrom(*path);
    }
}

void PresetFileCommands::openAllPresets() {
    if (const auto path = m_interaction.openFileName(OpenAllDialog())) {
        openAllFrom(*path);
    }
}

void PresetFileCommands::openDropped(const QString& path) {
    // A file of at most one message opens as Open One would; anything larger is taken for
    // a bank and opens as Open All would (which says when it is too short for one).
    if (isBankFile(path)) {
        openAllFrom(path);
    } else {
        openOneFrom(path);
    }
}

void PresetFileCommands::openOneFrom(const QString& path) {
    if (!QFileInfo(path).isFile()) {
        return;
    }
    if (isBankFile(path)) {
        m_interaction.message(QStringLiteral("File Open Error!"),
                              QStringLiteral("This file is too big to be a single Preset file."),
                              QMessageBox::NoIcon, QMessageBox::Ok);
        return;
    }
    PresetFileReader reader;
    if (!reader.open(LocalPath(path))) {
        return;
    }
    const DecodeOutcome outcome = reader.next();
    reader.close();
    if (!outcome.record) {
        ReportDecodeFailure(m_interaction, outcome.error);
        return;
    }
    m_loadForm.setPresetNumber(reader.lastPresetByte() + 1);
    if (m_interaction.runModal(m_loadForm) != QDialog::Accepted) {
        return;
    }
    // Edits on the shown preset are kept in it before anything is replaced.
    m_view.flushEdits();
    replacePreset(m_loadForm.presetNumber(), *outcome.record);
    recordRead({*outcome.record}, path);
    m_view.showCurrentPreset();
    m_view.updatePresetsList();
}

void PresetFileCommands::openAllFrom(const QString& path) {
    if (!QFileInfo(path).isFile()) {
        return;
    }
    if (QFileInfo(path).size() < qint64(kBankFileSize)) {
        ReportTooSmallForBank(m_interaction);
        return;
    }
    m_view.flushEdits();
    m_bankFile = path;
    {
        BusyCursor busy(m_interaction);
        PresetFileReader reader;
        reader.open(LocalPath(path));
        // Each message goes to the preset its own number byte names; reading goes on
        // from the preset after it. The read made for the last preset closes the file, so
        // a file whose numbers jump back ends there without a word; one whose numbers
        // never reach the last preset is read on to its end (or its first bad message).
        FrameThrottle frames(m_clock);
        bool whole = true; // every message read: the bank is the file's
        for (int n = 0; n < kPresetCount && reader.isOpen() && !m_view.closing(); ++n) {
            const DecodeOutcome outcome = reader.next();
            if (!outcome.record) {
                ReportDecodeFailure(m_interaction, outcome.error);
                whole = false;
                break;
            }
            if (n == kPresetCount - 1) {
                reader.close();
            }
            n = reader.lastPresetByte();
            replacePreset(n + 1, *outcome.record);
            if (frames.frameDue()) {
                m_view.showCurrentPreset();
                m_view.paintNow();
            }
            m_clock.pause(std::chrono::milliseconds(10));
        }
        reader.close();
        m_view.returnToFirstPreset();
        // Recorded only when the bank is now the file's, read whole: not after a bad
        // message, a file that could not be read, or numbers that jumped back.
        if (whole && !m_view.closing()) {
            const SyxFileRead read = ReadPresetFile(path);
            const auto& presets = m_view.bank().presets();
            if (read.whole() && read.bank &&
                std::equal(presets.begin(), presets.end(), read.records.begin())) {
                recordRead(read.records, path);
            }
        }
    }
    m_view.updatePresetsList();
}

void PresetFileCommands::recordWritten(std::optional<PresetRecord> preset, const QString& path) {
    if (!m_recorder) {
        return;
    }
    const QString source = QFileInfo(path).absoluteFilePath();
    if (preset) {
        m_recorder->record(*preset, source, "saved");
    } else {
        m_recorder->record(m_view.bank(), source, "saved");
    }
}

void PresetFileCommands::recordRead(std::vector<PresetRecord> presets, const QString& path) {
    if (m_recorder) {
        m_recorder->record(std::move(presets), QFileInfo(path).absoluteFilePath(), "opened");
    }
}

} // namespace tarnwick
