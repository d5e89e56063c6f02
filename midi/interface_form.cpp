// Frame of the interface chooser.
#include "interface_form.h"

namespace tarnwick {

TInterfaceForm::TInterfaceForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("InterfaceForm"));
    setWindowTitle(QStringLiteral("Choose MIDI Interface"));
    setFixedSize(257, 140);
    setModal(true);
}

} // namespace tarnwick
