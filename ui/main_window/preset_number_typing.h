// The typing rules of the preset-number field: digits only, at most three, always added at
// the end (a selection is replaced whole); a key with Ctrl, Alt or Meta types nothing, while
// the field's own editing commands (copy, paste, undo, ...) still work.
#pragma once

#include <QString>

#include <optional>

class QKeyEvent;
class QLineEdit;

namespace tarnwick {

// Applies the rules to a key typed in `field`; true when the key was taken (the field
// does nothing more with it), false when it is left to the field (editing and moving keys).
bool TypePresetNumberKey(QLineEdit& field, const QKeyEvent& event);

// The number in the field's text: decimal digits only, as the field takes them.
std::optional<int> PresetNumberIn(const QString& text);

} // namespace tarnwick
