// The "Edit MIDI Data" window, where a preset's raw MIDI bytes are built.
#pragma once

#include <QDialog>

namespace tarnwick {

class TMidiEventsForm final : public QDialog {
    Q_OBJECT
public:
    explicit TMidiEventsForm(QWidget* parent = nullptr);
};

} // namespace tarnwick
