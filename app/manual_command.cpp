// Opening the user manual.
#include "manual_command.h"

#include "support/desktop_services.h"
#include "support/user_interaction.h"

#include <QDir>
#include <QFileInfo>

namespace tarnwick {

namespace {
const QString kManual = QStringLiteral("Tarnwick.pdf");
}

QString UserManualPath(const QString& executableDir) {
    const QDir dir(executableDir);
    const QString beside = dir.filePath(kManual);
    const QString installed =
        QDir::cleanPath(dir.filePath(QStringLiteral("../share/doc/tarnwick-editor/") + kManual));
    return !QFileInfo(beside).isFile() && QFileInfo(installed).isFile() ? installed : beside;
}

void OpenUserManual(const QString& executableDir, DesktopServices& desktop,
                    UserInteraction& interaction) {
    const QString path = UserManualPath(executableDir);
    QString failure;
    if (!QFileInfo(path).isFile()) {
        failure = QStringLiteral("ERROR: Could not find the file \"Tarnwick.pdf\".");
    } else if (!desktop.openDocument(path)) {
        failure = QStringLiteral("ERROR: No program could open \"Tarnwick.pdf\".");
    }
    if (!failure.isEmpty()) {
        interaction.message(QStringLiteral("Help"), failure, QMessageBox::NoIcon, QMessageBox::Ok);
    }
}

} // namespace tarnwick
