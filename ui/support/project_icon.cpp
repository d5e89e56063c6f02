// The project's pictures, drawn or pictured.
#include "support/project_icon.h"

#include <QString>

namespace tarnwick {

QIcon ProjectIcon(const char* name) {
#ifdef TARNWICK_PNG_ICONS
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/%1-%2.png").arg(QLatin1String(name)).arg(size),
                     QSize(size, size));
    }
    return icon;
#else
    return QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name)));
#endif
}

} // namespace tarnwick
