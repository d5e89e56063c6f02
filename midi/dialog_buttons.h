// The OK and Cancel buttons of the MIDI dialogs, right-aligned at the foot of the window.
#pragma once

class QDialog;
class QPushButton;
class QVBoxLayout;

namespace tarnwick {

// Adds the row to `layout`: OK ("btnOK", the default button, its click left to the
// caller) and Cancel ("btnCancel", which rejects). Returns OK.
QPushButton* AddOkCancelRow(QDialog& dialog, QVBoxLayout& layout);

} // namespace tarnwick
