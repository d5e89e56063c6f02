// The start-up order of the windows.
#include "startup.h"

#include "about_form.h"
#include "audition_player.h"
#include "commands/audition_command.h"
#include "commands/command_wiring.h"
#include "commands/direct_midi_command.h"
#include "commands/download_commands.h"
#include "commands/file_commands.h"
#include "commands/interface_form.h"
#include "commands/progress_form.h"
#include "commands/upgrade_command.h"
#include "learn/learn_command.h"
#include "learn/midi_port_form.h"
#include "library/library_form.h"
#include "library/library_recorder.h"
#include "library/preset_library.h"
#include "main_window/main_form.h"
#include "main_window/midi_events_form.h"
#include "main_window/preset_list_form.h"
#include "main_window/preset_number_dialog.h"
#include "manual_command.h"
#include "organizer/bank_organizer_form.h"
#include "sounds/rig_form.h"
#include "sounds/rig_service.h"
#include "sounds/sound_command.h"
#include "support/application_title.h"
#include "support/key_action.h"
#include "support/user_interaction.h"

#include <QDir>
#include <QFileInfo>
#include <QTimer>

namespace tarnwick {

template <typename Window> Window* AppWindows::created(Window* window) {
    m_creationOrder
        << QString::fromLatin1(window->metaObject()->className()).section(QStringLiteral("::"), -1);
    return window;
}

AppWindows::AppWindows(const AppServices& services) : m_interaction(&services.interaction) {
    UserInteraction& interaction = services.interaction;
    DesktopServices& desktop = services.desktop;
    // The main window comes first: it fills the bank, and closing it ends the program.
    m_mainForm.reset(created(new TMainForm(interaction)));
    TMainForm* main = m_mainForm.get();
    m_saveForm = created(new TSaveForm(main));
    m_loadForm = created(new TLoadForm(main));
    m_midiEventsForm = created(new TMidiEventsForm(interaction, main));
    m_aboutForm = created(new TAboutForm(main));
    m_presetListForm = created(new TPresetListForm(main));
    m_interfaceForm = created(new TInterfaceForm(services.ports, main));
    m_frmProgress = created(new TfrmProgress(main));
    m_auditionOutputForm = created(new TAuditionOutputForm(services.audition, main));

    main->setPresetListForm(m_presetListForm);
    main->setMidiEventsForm(m_midiEventsForm);

    // The commands work on the bank through the main window's view of it.
    m_fileCommands = std::make_unique<PresetFileCommands>(*main, *m_saveForm, *m_loadForm,
                                                          interaction, services.clock);
    m_downloads = std::make_unique<PresetDownloads>(*main, *m_saveForm, interaction, desktop,
                                                    services.ports, services.clock);
    m_upgrade = std::make_unique<FirmwareUpgradeCommand>(*main, *m_frmProgress, interaction,
                                                         services.ports);
    m_recorder = std::make_unique<LibraryRecorder>(DefaultLibraryPath());
    m_fileCommands->setRecorder(m_recorder.get());
    m_downloads->setRecorder(m_recorder.get());
    QObject::connect(m_recorder.get(), &LibraryRecorder::failed, main,
                     &TMainForm::showLibraryProblem);
    ConnectCommands(*main, *m_fileCommands);
    ConnectCommands(*main, *m_downloads);
    ConnectCommands(*main, *m_upgrade);
    m_audition = std::make_unique<AuditionCommand>(*main, *m_auditionOutputForm, interaction,
                                                   services.audition);
    ConnectCommands(*main, *m_audition);
    m_directMidi = std::make_unique<DirectMidiCommand>(*main, *m_interfaceForm, interaction);
    ConnectCommands(*main, *m_directMidi);
    // The Bank Organizer is built on first use, so that it costs start-up nothing; Ctrl+B
    // shows and hides it, and it follows every change of the bank while shown.
    QObject::connect(main, &TMainForm::bankOrganizerRequested, main, [this, main, &interaction] {
        ToggleWindow(m_bankOrganizer, [&] {
            auto* form = new TBankOrganizerForm(*main, interaction, main);
            form->setPlayer([this](const PresetRecord& preset) { m_audition->play(preset); });
            form->setBankFile([this] { return m_fileCommands->bankFile(); });
            form->setNamer(m_rig->namer());
            QObject::connect(main, &TMainForm::bankShown, form, &TBankOrganizerForm::refresh);
            return form;
        });
    });
    QObject::connect(main, &TMainForm::libraryRequested, main, [this, main, &interaction] {
        ToggleWindow(m_libraryForm, [&] {
            auto* form = new TLibraryForm(*main, *m_recorder, interaction, main);
            form->setPlayer([this](const PresetRecord& preset) { m_audition->play(preset); });
            form->setBankFileOpener(
                [this](const QString& path) { m_fileCommands->openAllFrom(path); });
            form->setNamer(m_rig->soundNamer());
            return form;
        });
    });
    // Sounds by name: the instrument files are read once the window shows when a rig is
    // set, else when first asked for.
    m_rig = std::make_unique<RigService>(InstrumentLibrary::DefaultFolders(), DefaultRigPath());
    if (!m_rig->rig().empty()) {
        // Once the window has been painted: the reading thread then takes no time from it.
        QTimer::singleShot(250, m_rig.get(), [rig = m_rig.get()] { rig->load(); });
    }
    m_sounds = new SoundCommand(*main, *m_rig, interaction,
                                [this](const PresetRecord& preset) { m_audition->play(preset); });
    m_learn = new LearnCommand(*main, interaction, services.listener);
    // What the editor plays to a synth comes back from synths with MIDI thru: not learned.
    m_auditionPlayer = &services.audition;
    m_auditionPlayer->setSendingHook(
        [learn = m_learn](const std::vector<Bytes>& messages) { learn->editorSent(messages); });
    ConnectCommands(*main, *m_sounds);
    ConnectCommands(*main, *m_learn);
    QObject::connect(main, &TMainForm::rigRequested, main, [this, main, &interaction] {
        ToggleWindow(m_rigForm, [&] { return new TRigForm(*m_rig, interaction, main); });
    });
    QObject::connect(m_rig.get(), &RigService::changed, main, [this] {
        if (m_bankOrganizer) {
            m_bankOrganizer->setNamer(m_rig->namer());
        }
        if (m_libraryForm) {
            m_libraryForm->setNamer(m_rig->soundNamer());
        }
    });
    QObject::connect(main, &TMainForm::aboutRequested, main,
                     [&interaction, about = m_aboutForm] { interaction.runModal(*about); });
    QObject::connect(main, &TMainForm::manualRequested, main,
                     [&interaction, &desktop, dir = services.executableDir] {
                         OpenUserManual(dir, desktop, interaction);
                     });
}

void AppWindows::openArgument(const QString& path) {
    if (QFileInfo(path).isFile()) {
        m_fileCommands->openDropped(path);
        return;
    }
    m_interaction->message(ApplicationTitle(),
                           QStringLiteral("%1 was not opened: there is no such file.")
                               .arg(QDir::toNativeSeparators(path)),
                           QMessageBox::Warning, QMessageBox::Ok);
}

AppWindows::~AppWindows() {
    m_auditionPlayer->setSendingHook({}); // Learn goes with the main window
    // The main window goes first: its signals still reach the commands.
    m_mainForm.reset();
}

} // namespace tarnwick
