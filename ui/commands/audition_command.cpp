// Playing the shown preset and choosing where to.
#include "commands/audition_command.h"

#include "audition_player.h"
#include "learn/midi_port_form.h"
#include "main_window/preset_view.h"
#include "port_in_use.h"
#include "preset/audition.h"
#include "support/user_interaction.h"

namespace tarnwick {

namespace {
const QString kTitle = QStringLiteral("MIDI Error!");
}

AuditionCommand::AuditionCommand(PresetView& view, TAuditionOutputForm& form,
                                 UserInteraction& interaction, AuditionPlayer& player)
    : m_view(view), m_form(form), m_interaction(interaction), m_player(player) {}

bool AuditionCommand::chooseOutput() {
    if (m_interaction.runModal(m_form) != QDialog::Accepted || m_form.chosenOutput().isEmpty()) {
        return false;
    }
    m_output = m_form.chosenOutput();
    return true;
}

void AuditionCommand::play() {
    play(m_view.shownPreset());
}

void AuditionCommand::play(const PresetRecord& preset) {
    const AuditionMessages plan = PresetAudition(preset);
    if (plan.refusal.empty() && plan.messages.empty()) {
        // Said before anything is asked: silence would look like a broken connection.
        m_interaction.message(QStringLiteral("Audition"),
                              QStringLiteral("Nothing to play: no value is switched on and the "
                                             "preset holds no MIDI data."),
                              QMessageBox::Information, QMessageBox::Ok);
        return;
    }
    if (m_output.isEmpty() && !chooseOutput()) {
        return;
    }
    if (!plan.refusal.empty()) {
        m_interaction.message(kTitle, QString::fromStdString(plan.refusal), QMessageBox::Warning,
                              QMessageBox::Ok);
    } else if (!m_player.play(m_output.toStdString(), plan.messages)) {
        m_interaction.message(
            kTitle,
            m_player.outputHeldElsewhere()
                ? QString::fromStdString(PortInUseText(m_output.toStdString()))
                : QStringLiteral("Could not play the preset on %1.").arg(m_output),
            QMessageBox::Warning, QMessageBox::Ok);
    }
}

} // namespace tarnwick
