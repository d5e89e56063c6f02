// Group boxes and labels placed at a fixed geometry, as the editor's fixed-size windows
// lay out their controls.
#pragma once

#include <QGroupBox>
#include <QLabel>

namespace tarnwick {

inline QGroupBox* PlacedGroup(QWidget* parent, const char* name, const QString& caption,
                              QRect geometry) {
    auto* box = new QGroupBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(geometry);
    return box;
}

// `name` may be nullptr for a label nothing looks up.
inline QLabel* PlacedLabel(QWidget* parent, const char* name, const QString& text, QRect geometry) {
    auto* label = new QLabel(text, parent);
    if (name) {
        label->setObjectName(QLatin1String(name));
    }
    label->setGeometry(geometry);
    return label;
}

} // namespace tarnwick
