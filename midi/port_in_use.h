// A MIDI port another program holds. WinMM gives each port to one program at a time
// (unless Windows' newer MIDI service shares it), and RtMidi says only that a port would
// not open: the reason is asked of WinMM itself.
#pragma once

#include <string>

namespace tarnwick {

// Whether WinMM refuses port `number` (an input or an output) because it is allocated to
// another program; always false on the other MIDI systems.
bool WinMMPortHeldElsewhere(bool input, unsigned number);

// What the user is told of such a port.
inline std::string PortInUseText(const std::string& name) {
    return "The MIDI interface " + name + " is in use by another program.";
}

} // namespace tarnwick
