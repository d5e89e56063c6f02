// Audition: plays the preset as the main window shows it (edits not yet stored included)
// to a MIDI output the user chose, so that it is heard without downloading it. Touches
// neither the bank, the edit mark, the window's fields nor the keypad's interface.
#pragma once

#include <QString>

#include <memory>

namespace tarnwick {

class AuditionPlayer;
class TAuditionOutputForm;
class TMainForm;
class UserInteraction;

class AuditionCommand {
public:
    AuditionCommand(TMainForm& main, UserInteraction& interaction, AuditionPlayer& player);
    ~AuditionCommand();

    // Plays to the chosen output; asks for one first when none is chosen yet.
    void play();
    // "Choose Audition Output"; false when cancelled or nothing was there to choose.
    bool chooseOutput();
    QString output() const { return m_output; }

private:
    TMainForm& m_main;
    UserInteraction& m_interaction;
    AuditionPlayer& m_player;
    TAuditionOutputForm* m_form = nullptr; // belongs to the main window
    QString m_output;                      // lasts until the editor ends
};

} // namespace tarnwick
