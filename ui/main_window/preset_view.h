// What the commands need of the window that shows the bank: the bank and the connection,
// the edits not yet stored, the preset shown (as stored, and as the window shows it now),
// the download progress. The main window implements it; the file, download, audition and
// direct-MIDI commands work through it and never see the window itself.
#pragma once

#include "connection_mode.h"
#include "instruments/sound_names.h"
#include "preset/preset_message.h"

#include <QString>

class QWidget;

#include <functional>

namespace tarnwick {

class Clock;

class PresetView {
public:
    virtual ~PresetView() = default;

    virtual PresetBank& bank() = 0;
    virtual ConnectionMode connectionMode() const = 0;
    // The connection chosen, with what the status bar says of it.
    virtual void setConnection(ConnectionMode mode, const QString& status) = 0;
    // The current preset with the channel values and placement the window shows now,
    // stored or not.
    virtual PresetRecord shownPreset() const = 0;
    // Stores the window into the current preset when it holds user edits.
    virtual void flushEdits() = 0;
    // Shows the bank's current preset in the window.
    virtual void loadPresetFromBank() = 0;
    // The same, with its number in the number field.
    virtual void showCurrentPreset() = 0;
    // Pending edits stored, then preset 1 made current and shown with its number.
    virtual void returnToFirstPreset() = 0;
    // Paints the window now, while a loop keeps the event loop from doing it.
    virtual void paintNow() = 0;
    // Rebuilds the preset list's lines from the bank.
    virtual void updatePresetsList() = 0;
    // Download All's progress: the status bar turns lime and names the preset being sent.
    virtual void showDownloadProgress(int presetNumber) = 0;
    virtual void clearDownloadProgress() = 0;
    // Runs `command` as every command of the window runs: refused while another runs, and
    // what it changed in the bank is one undo step.
    virtual void runCommand(const std::function<void()>& command) = 0;
    // True while such a command runs.
    virtual bool commandRunning() const = 0;
    // True once the window was closed while a command ran: the program ends, so the command
    // stops at its next step, writing, sending and saying nothing more.
    virtual bool closing() const = 0;
    // Stores pending edits, then puts the bank back one step (or forward, for redo) and
    // shows the preset that step changed.
    virtual void undoBankChange(bool redo) = 0;
    // Shows preset `number` (1 to 100) as choosing it in the preset list does.
    virtual void choosePreset(int number) = 0;

    // The sounds' names the window shows beside the channels (empty: none shown).
    virtual const SoundNamer& soundNames() const = 0;
    virtual void setSoundNames(SoundNamer names) = 0;
    // Writes `slot` into `channel` of the preset shown as if typed, as one undo step of
    // its own: a sound chosen by name, a program change learned.
    virtual void applyChannel(int channel, const ChannelSlot& slot) = 0;
    // Says `text` in the status bar's message panel; what it says now.
    virtual void showStatus(const QString& text) = 0;
    virtual QString statusText() const = 0;
    // Learn's check mark, and its mark in the status bar naming `input`, while it is on.
    virtual void showLearning(bool on, const QString& input) = 0;
    // The window the commands' own windows belong to.
    virtual QWidget* dialogParent() = 0;
};

// Makes presets 1 to 100 current in turn, drawing them at an animation's frame rate, and
// hands each with its message to `step`; stops at the first step that fails. True when
// every step succeeded.
bool StepThroughBank(PresetView& view, const Clock& clock,
                     const std::function<bool(PresetIndex, const PresetMessage&)>& step);

} // namespace tarnwick
