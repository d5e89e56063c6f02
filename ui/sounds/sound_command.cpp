// The picker's command and the main window's Sound column.
#include "sounds/sound_command.h"

#include "main_window/preset_view.h"
#include "sounds/choose_sound_form.h"
#include "sounds/rig_service.h"
#include "support/user_interaction.h"

namespace tarnwick {

SoundCommand::SoundCommand(PresetView& main, RigService& rig, UserInteraction& interaction,
                           std::function<void(const PresetRecord&)> play)
    : QObject(main.dialogParent()), m_main(main), m_rig(rig), m_interaction(interaction),
      m_play(std::move(play)) {
    connect(&m_rig, &RigService::changed, this, &SoundCommand::showNames);
    showNames();
}

void SoundCommand::showNames() {
    if (!m_rig.names().any()) {
        m_main.setSoundNames({});
        return;
    }
    m_main.setSoundNames(m_rig.soundNamer());
}

void SoundCommand::choose(int channel) {
    if (m_main.commandRunning()) {
        return;
    }
    if (!m_rig.loaded()) {
        m_rig.waitForLoaded(); // asked for before the files were read: a moment's wait
    }
    const NameSet* set = m_rig.names().nameSet(channel);
    if (!set) {
        m_interaction.message(
            QStringLiteral("Choose Sound"),
            QStringLiteral("Channel %1 has no instrument in the rig. Choose one with Rig... "
                           "(Ctrl+R).")
                .arg(channel),
            QMessageBox::Information, QMessageBox::Ok);
        return;
    }
    if (!m_form) {
        m_form = new TChooseSoundForm(m_main.dialogParent());
    }
    m_form->setSounds(channel, *set);
    bool auditioned = false;
    m_form->setPlayer([this, channel, &auditioned](const Sound& sound) {
        // The sound alone on its channel: its bank selects and program change.
        PresetRecord preset = DefaultPresetRecord();
        preset.channel(channel) = SoundSlot(preset.channel(channel), sound);
        if (m_play) {
            m_play(preset);
            auditioned = true;
        }
    });
    const bool accepted = m_interaction.runModal(*m_form) == QDialog::Accepted;
    m_form->setPlayer({}); // `auditioned` goes with this call
    if (accepted && m_form->chosen()) {
        const Sound sound = *m_form->chosen(); // chosen() returns a copy
        m_main.applyChannel(channel, SoundSlot(m_main.shownPreset().channel(channel), sound));
    } else if (auditioned && m_play &&
               SlotEnabled(m_main.shownPreset().channel(channel)[SlotKind::Program])) {
        // Cancelled after trying others: the synth gets the channel's own sound back.
        PresetRecord preset = DefaultPresetRecord();
        preset.channel(channel) = m_main.shownPreset().channel(channel);
        m_play(preset);
    }
}

} // namespace tarnwick
