// The "PDF User Manual" command: opens Tarnwick.pdf from beside the executable.
#pragma once

#include <QString>

namespace tarnwick {

class DesktopServices;
class UserInteraction;

QString UserManualPath(const QString& executableDir);
// Asks the desktop to open the manual; says so in a "Help" box when it cannot.
void OpenUserManual(const QString& executableDir, DesktopServices& desktop,
                    UserInteraction& interaction);

} // namespace tarnwick
