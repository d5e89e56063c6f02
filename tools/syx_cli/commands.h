// The groups of tarnwick-syx's commands, each in a file of its own. Each function adds its
// group to the program; running a command sets `result` to its exit code.
#pragma once

namespace CLI {
class App;
}

namespace tarnwick::cli {

// show, check, export, import, new-bank, diff, split, join: preset files inspected,
// checked, converted, compared, split and joined (preset_file_commands.cpp).
void AddPresetFileCommands(CLI::App& app, int& result);
// move, swap, copy: a bank arranged with the editor's own bank operations; sheet: the
// bank's PDF for the stage (bank_commands.cpp).
void AddBankCommands(CLI::App& app, int& result);
// ports, identify, send, outputs, play, firmware: the keypad and synths reached through
// the editor's own port layer and audition player (midi_commands.cpp).
void AddMidiCommands(CLI::App& app, int& result);
// inputs, monitor, learn: what a MIDI input receives, printed or learned into a preset
// (listen_commands.cpp).
void AddListenCommands(CLI::App& app, int& result);
// library add, search, banks, get, check (library_commands.cpp).
void AddLibraryCommands(CLI::App& app, int& result);
// instruments, sounds, rig, pick: the synths' sounds by name (sound_commands.cpp).
void AddSoundCommands(CLI::App& app, int& result);

} // namespace tarnwick::cli
