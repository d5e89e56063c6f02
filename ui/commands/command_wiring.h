// Connects the main window's requests to the commands that carry them out. Start-up wires
// all of them; a test wires the ones it exercises.
#pragma once

namespace tarnwick {

class AuditionCommand;
class DirectMidiCommand;
class FirmwareUpgradeCommand;
class LearnCommand;
class PresetDownloads;
class PresetFileCommands;
class SoundCommand;
class TMainForm;

void ConnectCommands(TMainForm& main, PresetFileCommands& files);
void ConnectCommands(TMainForm& main, PresetDownloads& downloads);
void ConnectCommands(TMainForm& main, FirmwareUpgradeCommand& upgrade);
void ConnectCommands(TMainForm& main, AuditionCommand& audition);
void ConnectCommands(TMainForm& main, DirectMidiCommand& directMidi);
void ConnectCommands(TMainForm& main, LearnCommand& learn);
void ConnectCommands(TMainForm& main, SoundCommand& sounds);

} // namespace tarnwick
