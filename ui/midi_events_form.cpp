// Frame of the MIDI data editor window.
#include "midi_events_form.h"

namespace tarnwick {

TMidiEventsForm::TMidiEventsForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("MidiEventsForm"));
    setWindowTitle(QStringLiteral("Edit MIDI Data"));
    setFixedSize(465, 563);
    setModal(true);
}

} // namespace tarnwick
