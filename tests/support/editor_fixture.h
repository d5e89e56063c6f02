// The main window on fakes: a scripted user, a desktop that records, virtual time and an
// in-process keypad behind the port layer. Tests add the windows and commands they need.
#pragma once

#include "counting_cycle_lock.h"
#include "fake_clock.h"
#include "fake_desktop.h"
#include "fake_midi_backend.h"
#include "main_window/main_form.h"
#include "main_window/preset_list_form.h"
#include "port_layer.h"
#include "scripted_interaction.h"

namespace tarnwick::testing {

struct EditorFixture {
    ScriptedInteraction interaction;
    FakeDesktop desktop;
    FakeClock clock;
    FakeMidiBackend midi;
    CountingCycleLock cycleLock;
    MidiPortLayer ports{midi, clock, cycleLock};
    TMainForm main{interaction};

    // The main window shown, with the preset list it works with.
    TPresetListForm* showWithPresetList() {
        auto* list = new TPresetListForm(&main);
        main.setPresetListForm(list);
        main.show();
        return list;
    }
};

} // namespace tarnwick::testing
