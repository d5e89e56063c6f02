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
    const QString noInstrument =
        QStringLiteral("Channel %1 has no instrument in the rig. Choose one with Rig... "
                       "(Ctrl+R).")
            .arg(channel);
    if (m_rig.loaded() && !m_rig.names().nameSet(channel)) {
        m_interaction.message(QStringLiteral("Choose Sound"), noInstrument,
                              QMessageBox::Information, QMessageBox::Ok);
        return;
    }
    if (!m_form) {
        m_form = new TChooseSoundForm(m_main.dialogParent());
    }
    const auto fill = [this, channel, noInstrument] {
        if (const NameSet* set = m_rig.names().nameSet(channel)) {
            m_form->setSounds(
                channel, *set,
                QString::fromStdString(m_rig.rig().channels[std::size_t(channel - 1)].instrument),
                m_main.shownPreset().channel(channel));
        } else {
            m_form->showText(channel, noInstrument);
        }
    };
    // Asked for before the instrument files are read: the window says so and fills once
    // they are.
    QMetaObject::Connection waiting;
    if (m_rig.loaded()) {
        fill();
    } else {
        m_form->showText(channel, QStringLiteral("Reading the instrument files..."));
        waiting = connect(&m_rig, &RigService::changed, m_form, [this, fill] {
            if (m_rig.loaded()) {
                fill();
            }
        });
        m_rig.load();
    }
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
    disconnect(waiting);
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
