// The main window on fakes: a scripted user, a desktop that records, virtual time and an
// in-process keypad behind the port layer. Tests add the windows and commands they need.
#pragma once

#include "fake_clock.h"
#include "fake_desktop.h"
#include "fake_midi_backend.h"
#include "main_form.h"
#include "port_layer.h"
#include "scripted_interaction.h"

namespace tarnwick::testing {

struct EditorFixture {
    ScriptedInteraction interaction;
    FakeDesktop desktop;
    FakeClock clock;
    FakeMidiBackend midi;
    MidiPortLayer ports{midi, clock};
    TMainForm main{interaction};
};

} // namespace tarnwick::testing
