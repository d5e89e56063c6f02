// The "PDF User Manual" command: opens Tarnwick.pdf from beside the executable, or from
// where an installed package keeps its documents.
#pragma once

#include <QString>

namespace tarnwick {

class DesktopServices;
class UserInteraction;

// The manual beside the executable, else in ../share/doc/tarnwick-editor/ relative to it;
// where neither exists, the name beside the executable.
QString UserManualPath(const QString& executableDir);
// Asks the desktop to open the manual; says so in a "Help" box when the file is missing
// or no program could open it.
void OpenUserManual(const QString& executableDir, DesktopServices& desktop,
                    UserInteraction& interaction);

} // namespace tarnwick
