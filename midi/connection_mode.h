// How presets leave the editor: not chosen yet, saved to files only, handed to an
// external SysEx application, or sent directly over a MIDI interface.
#pragma once

namespace tarnwick {

enum class ConnectionMode {
    NotChosen = 0,
    FileOnly = 1,
    ExternalApplication = 2,
    DirectMidi = 3,
};

} // namespace tarnwick
