// Creates the program's windows once, in their fixed order (the main window, the eight the
// editor has always had, then "Choose Audition Output"), builds the commands on the main
// window's view and wires them, About and the user manual to it.
#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>

namespace tarnwick {

class AuditionCommand;
class AuditionPlayer;
class Clock;
class DirectMidiCommand;
class DesktopServices;
class FirmwareUpgradeCommand;
class LearnCommand;
class LibraryRecorder;
class MidiListener;
class PresetDownloads;
class MidiPortLayer;
class PresetFileCommands;
class RigService;
class SoundCommand;
class TRigForm;
class TAboutForm;
class TAuditionOutputForm;
class TBankOrganizerForm;
class TInterfaceForm;
class TLibraryForm;
class TLoadForm;
class TMainForm;
class TMidiEventsForm;
class TPresetListForm;
class TSaveForm;
class TfrmProgress;
class UserInteraction;

// What the windows work through: the user, the desktop, time and the MIDI system.
struct AppServices {
    UserInteraction& interaction;
    DesktopServices& desktop;
    Clock& clock;
    MidiPortLayer& ports;
    AuditionPlayer& audition; // any MIDI output, for playing presets to a synth
    MidiListener& listener;   // any MIDI input, for learning from the synths
    QString executableDir;    // where the user manual is looked for
};

class AppWindows {
public:
    explicit AppWindows(const AppServices& services);
    ~AppWindows();
    AppWindows(const AppWindows&) = delete;
    AppWindows& operator=(const AppWindows&) = delete;

    TMainForm* mainForm() const { return m_mainForm.get(); }
    // A file named on the command line (a .syx opened from the file manager): opened as a
    // file dropped on the main window is; one that is not there is said.
    void openArgument(const QString& path);
    TSaveForm* saveForm() const { return m_saveForm; }
    TLoadForm* loadForm() const { return m_loadForm; }
    TMidiEventsForm* midiEventsForm() const { return m_midiEventsForm; }
    TAboutForm* aboutForm() const { return m_aboutForm; }
    TPresetListForm* presetListForm() const { return m_presetListForm; }
    TInterfaceForm* interfaceForm() const { return m_interfaceForm; }
    TfrmProgress* frmProgress() const { return m_frmProgress; }
    TAuditionOutputForm* auditionOutputForm() const { return m_auditionOutputForm; }
    // Nothing until Ctrl+B first asks for it.
    TBankOrganizerForm* bankOrganizerForm() const { return m_bankOrganizer; }
    // Nothing until Ctrl+Shift+L first asks for it.
    TLibraryForm* libraryForm() const { return m_libraryForm; }
    LibraryRecorder& libraryRecorder() const { return *m_recorder; }

    // Class names of the windows in the order they were created.
    const QStringList& creationOrder() const { return m_creationOrder; }

private:
    template <typename Window> Window* created(Window* window);

    UserInteraction* m_interaction = nullptr;
    std::unique_ptr<TMainForm> m_mainForm;
    // The other windows belong to the main window and go with it.
    TSaveForm* m_saveForm = nullptr;
    TLoadForm* m_loadForm = nullptr;
    TMidiEventsForm* m_midiEventsForm = nullptr;
    TAboutForm* m_aboutForm = nullptr;
    TPresetListForm* m_presetListForm = nullptr;
    TInterfaceForm* m_interfaceForm = nullptr;
    TfrmProgress* m_frmProgress = nullptr;
    TAuditionOutputForm* m_auditionOutputForm = nullptr;
    TBankOrganizerForm* m_bankOrganizer = nullptr; // built on first use
    TLibraryForm* m_libraryForm = nullptr;         // built on first use
    TRigForm* m_rigForm = nullptr;                 // built on first use
    QStringList m_creationOrder;
    // Opens the library on its first recording, never at start-up.
    std::unique_ptr<LibraryRecorder> m_recorder;
    std::unique_ptr<RigService> m_rig;
    SoundCommand* m_sounds = nullptr; // the main window's
    LearnCommand* m_learn = nullptr;  // the main window's
    std::unique_ptr<PresetFileCommands> m_fileCommands;
    std::unique_ptr<PresetDownloads> m_downloads;
    std::unique_ptr<FirmwareUpgradeCommand> m_upgrade;
    std::unique_ptr<AuditionCommand> m_audition;
    AuditionPlayer* m_auditionPlayer = nullptr;
    std::unique_ptr<DirectMidiCommand> m_directMidi;
};

} // namespace tarnwick
