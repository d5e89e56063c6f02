// "Direct MIDI (TWK-5, USB, etc) ...": the interface chooser, and the direct connection it
// gives: the mode chosen and the interface (with the keypad's identity) in the status bar.
#pragma once

namespace tarnwick {

class PresetView;
class TInterfaceForm;
class UserInteraction;

class DirectMidiCommand {
public:
    DirectMidiCommand(PresetView& view, TInterfaceForm& chooser, UserInteraction& interaction);

    void run();

private:
    PresetView& m_view;
    TInterfaceForm& m_chooser;
    UserInteraction& m_interaction;
};

} // namespace tarnwick
