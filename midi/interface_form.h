// The "Choose MIDI Interface" dialog.
#pragma once

#include <QDialog>

namespace tarnwick {

class TInterfaceForm final : public QDialog {
    Q_OBJECT
public:
    explicit TInterfaceForm(QWidget* parent = nullptr);
};

} // namespace tarnwick
