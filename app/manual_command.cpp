// Opening the user manual.
#include "manual_command.h"

#include "desktop_services.h"
#include "user_interaction.h"

#include <QDir>

namespace tarnwick {

QString UserManualPath(const QString& executableDir) {
    return QDir(executableDir).filePath(QStringLiteral("Tarnwick.pdf"));
}

void OpenUserManual(const QString& executableDir, DesktopServices& desktop,
                    UserInteraction& interaction) {
    if (!desktop.openDocument(UserManualPath(executableDir))) {
        interaction.message(QStringLiteral("Help"),
                            QStringLiteral("ERROR: Could not find the file \"Tarnwick.pdf\"."),
                            QMessageBox::NoIcon, QMessageBox::Ok);
    }
}

} // namespace tarnwick
