// The OK and Cancel buttons of the MIDI dialogs, in the platform's order at the foot of the
// window.
#pragma once

class QDialog;
class QPushButton;
class QVBoxLayout;

namespace tarnwick {

// Adds a button box to `layout`: OK ("btnOK", the default button, its click left to the
// caller) and Cancel ("btnCancel", which rejects). Returns OK.
QPushButton* AddOkCancelButtons(QDialog& dialog, QVBoxLayout& layout);

} // namespace tarnwick
