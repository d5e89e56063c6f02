// Audition: plays the preset as the main window shows it (edits not yet stored included)
// to a MIDI output the user chose, so that it is heard without downloading it. Touches
// neither the bank, the edit mark, the window's fields nor the keypad's interface.
#pragma once

#include <QString>

namespace tarnwick {

class AuditionPlayer;
struct PresetRecord;
class PresetView;
class TAuditionOutputForm;
class UserInteraction;

class AuditionCommand {
public:
    AuditionCommand(PresetView& view, TAuditionOutputForm& form, UserInteraction& interaction,
                    AuditionPlayer& player);

    // Plays the shown preset to the chosen output; asks for one first when none is chosen
    // yet.
    void play();
    // The same for `preset`.
    void play(const PresetRecord& preset);
    // "Choose Audition Output"; false when cancelled or nothing was there to choose.
    bool chooseOutput();
    QString output() const { return m_output; }

private:
    PresetView& m_view;
    TAuditionOutputForm& m_form;
    UserInteraction& m_interaction;
    AuditionPlayer& m_player;
    QString m_output; // lasts until the editor ends
};

} // namespace tarnwick
