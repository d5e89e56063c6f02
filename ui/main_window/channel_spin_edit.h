// The spin edit of one channel value (bank select MSB/LSB 0..127, program 1..128).
// Typing may go beyond the range; the value is brought into range when the field is
// left, and an empty entry reads as the lowest value. Enter moves on like Tab.
#pragma once

#include <QSpinBox>

namespace tarnwick {

class ChannelSpinEdit final : public QSpinBox {
    Q_OBJECT
public:
    ChannelSpinEdit(int minimum, int maximum, QWidget* parent = nullptr);

    // The value as the text reads now, brought into range, even before the field has
    // been left (a store can run while the user is still typing).
    int effectiveValue() const;

    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;

protected:
    // Enter is swallowed and moves the focus on, as Tab would.
    void keyPressEvent(QKeyEvent* event) override;

private:
    int clamped(const QString& text) const;
};

} // namespace tarnwick
