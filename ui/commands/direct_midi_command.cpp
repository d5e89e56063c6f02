// Choosing the interface for direct downloads.
#include "commands/direct_midi_command.h"

#include "commands/interface_form.h"
#include "main_window/preset_view.h"
#include "port_layer.h"
#include "support/user_interaction.h"

namespace tarnwick {

DirectMidiCommand::DirectMidiCommand(PresetView& view, TInterfaceForm& chooser,
                                     UserInteraction& interaction)
    : m_view(view), m_chooser(chooser), m_interaction(interaction) {}

void DirectMidiCommand::run() {
    if (m_interaction.runModal(m_chooser) != QDialog::Accepted) {
        return;
    }
    const MidiPortLayer& ports = m_chooser.portLayer();
    if (ports.selectedInterface() < 0) {
        m_interaction.message(QStringLiteral("MIDI Error!"),
                              QStringLiteral("Interface did not respond. Deselecting."),
                              QMessageBox::Warning, QMessageBox::Ok);
        return;
    }
    const QString identity = QString::fromStdString(ports.identityText());
    m_view.setConnection(
        ConnectionMode::DirectMidi,
        QStringLiteral("MIDI: ") + m_chooser.selectedName() +
            (identity.isEmpty() ? QStringLiteral(" [ ]") : QStringLiteral(" [") + identity + u']'));
}

} // namespace tarnwick
