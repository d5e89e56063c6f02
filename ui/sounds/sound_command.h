// Choosing a channel's sound by name: the picker for the instrument the rig puts on the
// channel, the choice written into the preset shown; and the sounds' names shown in the
// main window while the rig names any.
#pragma once

#include "instruments/instrument.h"

#include <QObject>

#include <functional>

namespace tarnwick {

class RigService;
class PresetView;
class TChooseSoundForm;
class UserInteraction;
struct PresetRecord;

class SoundCommand final : public QObject {
    Q_OBJECT
public:
    // `play`: how a preset is played on the audition output (for "Play on select").
    SoundCommand(PresetView& main, RigService& rig, UserInteraction& interaction,
                 std::function<void(const PresetRecord&)> play);

    // "Choose Sound..." for `channel`.
    void choose(int channel);
    // The picker, made on first use.
    TChooseSoundForm* form() const { return m_form; }

private:
    void showNames();

    PresetView& m_main;
    RigService& m_rig;
    TChooseSoundForm* m_form = nullptr;
    UserInteraction& m_interaction;
    std::function<void(const PresetRecord&)> m_play;
};

} // namespace tarnwick
