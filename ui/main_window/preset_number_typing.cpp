// Keys typed in the preset-number field.
#include "main_window/preset_number_typing.h"

#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>

namespace tarnwick {

bool TypePresetNumberKey(QLineEdit& field, const QKeyEvent& event) {
    const QString typed = event.text();
    const bool printable = !typed.isEmpty() && typed[0].isPrint();
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        for (const auto command :
             {QKeySequence::Copy, QKeySequence::Cut, QKeySequence::Paste, QKeySequence::SelectAll,
              QKeySequence::Undo, QKeySequence::Redo}) {
            if (event.matches(command)) {
                return false;
            }
        }
        return printable;
    }
    if (typed.size() != 1 || !printable) {
        return false; // editing and moving keys: as usual
    }
    const QChar c = typed[0];
    if (c < u'0' || c > u'9') {
        return true;
    }
    QString text = field.hasSelectedText() ? QString() : field.text();
    if (text.size() >= 3) {
        return true;
    }
    text += c;
    field.setText(text);
    field.setCursorPosition(int(text.size()));
    return true;
}

std::optional<int> PresetNumberIn(const QString& text) {
    if (text.isEmpty() || text.size() > 3 ||
        !std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; })) {
        return std::nullopt;
    }
    return text.toInt();
}

} // namespace tarnwick
