// The real desktop "open" action.
#include "support/desktop_services.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace tarnwick {

bool QtDesktopServices::openDocument(const QString& path) {
    // The desktop launcher reports success as soon as it starts, even for a file that
    // is not there, so a missing file is caught here.
    const QFileInfo file(path);
    if (!file.isFile() || !file.isReadable()) {
        return false;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file.absoluteFilePath()));
}

} // namespace tarnwick
