// "Download Current" and "Download All (100)": presets to the keypad, directly through
// the chosen MIDI interface with an acknowledgement per preset, or as a .syx file handed
// to the desktop's SysEx application.
#pragma once

#include "preset/preset_message.h"

#include <QString>

#include <functional>

namespace tarnwick {

class Clock;
class DesktopServices;
class LibraryRecorder;
class MidiPortLayer;
class PresetView;
class TSaveForm;
class UserInteraction;

class PresetDownloads {
public:
    PresetDownloads(PresetView& view, TSaveForm& saveForm, UserInteraction& interaction,
                    DesktopServices& desktop, MidiPortLayer& ports, Clock& clock);

    void downloadCurrent();
    void downloadAll();
    // Where what reaches the keypad is recorded; none: nowhere.
    void setRecorder(LibraryRecorder* recorder) { m_recorder = recorder; }

    // The file direct downloads go through, in the current folder.

private:
    // Stores pending edits, then runs `external` or `direct` as the connection mode says,
    // or refuses the download when no connection was chosen.
    void byConnection(void (PresetDownloads::*external)(), void (PresetDownloads::*direct)());
    void downloadCurrentDirect();
    void downloadCurrentExternal();
    void downloadAllDirect();
    void downloadAllExternal();
    // Writes presets 1 to 100 through `write`, showing each in turn, and stops at the
    // first that fails; then shows preset 1. True when all were written.
    bool writeBank(const std::function<bool(PresetIndex, const PresetMessage&)>& write);
    // The command ends on preset 1, whatever happened.
    void returnToFirstPreset();
    void openInExternalApplication(const QString& path);
    void refuse();
    // Records `preset`, or the whole bank when none, as sent to the chosen interface.
    void recordSent(const PresetRecord* preset);

    PresetView& m_view;
    TSaveForm& m_saveForm;
    UserInteraction& m_interaction;
    DesktopServices& m_desktop;
    MidiPortLayer& m_ports;
    Clock& m_clock;
    LibraryRecorder* m_recorder = nullptr;
};

} // namespace tarnwick
