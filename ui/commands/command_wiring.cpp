// The main window's requests, each to the command that carries it out.
#include "commands/command_wiring.h"

#include "commands/audition_command.h"
#include "commands/direct_midi_command.h"
#include "commands/download_commands.h"
#include "commands/file_commands.h"
#include "commands/upgrade_command.h"
#include "learn/learn_command.h"
#include "main_window/main_form.h"
#include "sounds/sound_command.h"

namespace tarnwick {

void ConnectCommands(TMainForm& main, PresetFileCommands& files) {
    QObject::connect(&main, &TMainForm::openOneRequested, &main,
                     [&files] { files.openOnePreset(); });
    QObject::connect(&main, &TMainForm::openAllRequested, &main,
                     [&files] { files.openAllPresets(); });
    QObject::connect(&main, &TMainForm::saveOneRequested, &main,
                     [&files] { files.saveOnePreset(); });
    QObject::connect(&main, &TMainForm::saveAllRequested, &main,
                     [&files] { files.saveAllPresets(); });
    QObject::connect(&main, &TMainForm::fileDropped, &main,
                     [&files](const QString& path) { files.openDropped(path); });
}

void ConnectCommands(TMainForm& main, PresetDownloads& downloads) {
    QObject::connect(&main, &TMainForm::downloadCurrentRequested, &main,
                     [&downloads] { downloads.downloadCurrent(); });
    QObject::connect(&main, &TMainForm::downloadAllRequested, &main,
                     [&downloads] { downloads.downloadAll(); });
}

void ConnectCommands(TMainForm& main, FirmwareUpgradeCommand& upgrade) {
    QObject::connect(&main, &TMainForm::upgradeRequested, &main, [&upgrade] { upgrade.run(); });
}

void ConnectCommands(TMainForm& main, AuditionCommand& audition) {
    QObject::connect(&main, &TMainForm::playRequested, &main, [&audition] { audition.play(); });
    QObject::connect(&main, &TMainForm::chooseAuditionOutputRequested, &main,
                     [&audition] { audition.chooseOutput(); });
}

void ConnectCommands(TMainForm& main, DirectMidiCommand& directMidi) {
    QObject::connect(&main, &TMainForm::directMidiRequested, &main,
                     [&directMidi] { directMidi.run(); });
}

void ConnectCommands(TMainForm& main, LearnCommand& learn) {
    QObject::connect(&main, &TMainForm::learnRequested, &learn, &LearnCommand::toggle);
    QObject::connect(&main, &TMainForm::chooseLearnInputRequested, &learn,
                     &LearnCommand::chooseInput);
    QObject::connect(&main, &TMainForm::bankShown, &learn, &LearnCommand::bankShown);
}

void ConnectCommands(TMainForm& main, SoundCommand& sounds) {
    QObject::connect(&main, &TMainForm::chooseSoundRequested, &sounds, &SoundCommand::choose);
}

} // namespace tarnwick
