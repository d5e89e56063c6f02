// Range handling and Enter key of the channel value spin edits.
#include "main_window/channel_spin_edit.h"

#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>

namespace tarnwick {

namespace {
// Enough digits for any value of the widest range (128); more can never be right.
constexpr qsizetype kMaxDigits = 3;

bool allDigits(const QString& text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
}
} // namespace

ChannelSpinEdit::ChannelSpinEdit(int minimum, int maximum, QWidget* parent) : QSpinBox(parent) {
    setRange(minimum, maximum);
    setValue(minimum);
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
}

QValidator::State ChannelSpinEdit::validate(QString& input, int& /*pos*/) const {
    if (input.isEmpty()) {
        return QValidator::Intermediate;
    }
    if (!allDigits(input) || input.size() > kMaxDigits) {
        return QValidator::Invalid;
    }
    const int value = input.toInt();
    return value >= minimum() && value <= maximum() ? QValidator::Acceptable
                                                    : QValidator::Intermediate;
}

void ChannelSpinEdit::fixup(QString& input) const {
    input = QString::number(clamped(input));
}

int ChannelSpinEdit::clamped(const QString& text) const {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok) {
        return minimum();
    }
    return std::clamp(value, minimum(), maximum());
}

int ChannelSpinEdit::effectiveValue() const {
    return clamped(lineEdit()->text());
}

void ChannelSpinEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        focusNextChild();
        return;
    }
    QSpinBox::keyPressEvent(event);
}

} // namespace tarnwick
