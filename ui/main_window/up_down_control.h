// A pair of small up/down arrow buttons attached to a text field.
#pragma once

#include <QWidget>

namespace tarnwick {

class UpDownControl final : public QWidget {
    Q_OBJECT
public:
    explicit UpDownControl(QWidget* parent = nullptr);

signals:
    void stepped(int delta); // +1 for up, -1 for down
};

} // namespace tarnwick
