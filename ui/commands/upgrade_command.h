// "Upgrade": sends a firmware file to the keypad in its upgrade mode, through the
// interface chosen in the chooser whatever the connection mode, with a progress window.
#pragma once

#include <QString>

namespace tarnwick {

class MidiPortLayer;
class PresetView;
class TfrmProgress;
class UserInteraction;
struct FileDialogRequest;

class FirmwareUpgradeCommand {
public:
    FirmwareUpgradeCommand(PresetView& view, TfrmProgress& progress, UserInteraction& interaction,
                           MidiPortLayer& ports);

    void run();

    static FileDialogRequest OpenUpgradeDialog();

private:
    PresetView& m_view; // its status bar says why the ports would not open
    TfrmProgress& m_progress;
    UserInteraction& m_interaction;
    MidiPortLayer& m_ports;
};

} // namespace tarnwick
