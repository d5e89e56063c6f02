// The one title of the application: task bar, main window caption, error box title.
#pragma once

#include <QString>

namespace tarnwick {

inline QString ApplicationTitle() {
    return QStringLiteral("Tarnwick Editor");
}

} // namespace tarnwick
