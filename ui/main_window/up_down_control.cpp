// Two stacked arrow buttons.
#include "main_window/up_down_control.h"

#include <QToolButton>
#include <QVBoxLayout>

namespace tarnwick {

UpDownControl::UpDownControl(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int delta : {+1, -1}) {
        auto* button = new QToolButton(this);
        button->setArrowType(delta > 0 ? Qt::UpArrow : Qt::DownArrow);
        button->setObjectName(delta > 0 ? QStringLiteral("up") : QStringLiteral("down"));
        button->setAccessibleName(delta > 0 ? tr("Next preset") : tr("Previous preset"));
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRepeat(true);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        layout->addWidget(button);
        connect(button, &QToolButton::clicked, this, [this, delta] { emit stepped(delta); });
    }
}

} // namespace tarnwick
