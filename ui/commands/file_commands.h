// The four preset file commands: Save One, Save All (100), Open One, Open All (100).
// They move presets between the bank and .syx files, asking the user through the
// interaction seam and showing each preset they touch in the main window.
#pragma once

#include "preset/preset_record.h"

#include <QString>

#include <optional>
#include <vector>

class QMimeData;

namespace tarnwick {

class Clock;
class LibraryRecorder;
class PresetView;
class TLoadForm;
class TSaveForm;
class UserInteraction;
struct FileDialogRequest;

class PresetFileCommands {
public:
    PresetFileCommands(PresetView& view, TSaveForm& saveForm, TLoadForm& loadForm,
                       UserInteraction& interaction, Clock& clock);

    void saveOnePreset();
    void saveAllPresets();
    void openOnePreset();
    void openAllPresets();
    // A file dropped on the main window: opened as the Open command for its size would.
    void openDropped(const QString& path);
    // Where what the commands read and write is recorded; none: nowhere.
    void setRecorder(LibraryRecorder* recorder) { m_recorder = recorder; }
    // Opens the bank file at `path` as Open All does once the file is chosen.
    void openAllFrom(const QString& path);
    // The file the bank came from or went to last (Open All, Save All); empty before.
    QString bankFile() const { return m_bankFile; }

    static FileDialogRequest SaveOneDialog(const QString& proposedName);
    static FileDialogRequest SaveAllDialog();
    static FileDialogRequest OpenSingleDialog();
    static FileDialogRequest OpenAllDialog();

private:
    // The Open commands once the file is chosen.
    void openOneFrom(const QString& path);
    // Records `preset`, or the whole bank when none, as written to `path`.
    void recordWritten(std::optional<PresetRecord> preset, const QString& path);
    // Records the presets read from `path`, as the file holds them.
    void recordRead(std::vector<PresetRecord> presets, const QString& path);
    // Replaces preset `number` with `record` and makes it the current preset.
    void replacePreset(int number, const PresetRecord& record);

    PresetView& m_view;
    TSaveForm& m_saveForm;
    TLoadForm& m_loadForm;
    UserInteraction& m_interaction;
    Clock& m_clock;
    QString m_bankFile;
    LibraryRecorder* m_recorder = nullptr;
};

} // namespace tarnwick
