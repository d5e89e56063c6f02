// Catching errors at the event loop.
#include "tarnwick_application.h"

#include "platform/version.h"
#include "support/application_style.h"
#include "support/error_box.h"
#include "support/user_interaction.h"

#include <exception>

namespace tarnwick {

TarnwickApplication::TarnwickApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setOrganizationName(QStringLiteral("tarnwick-editor")); // settings in ~/.config/tarnwick-editor
    setApplicationName(QStringLiteral("tarnwick-editor"));
    setApplicationVersion(QLatin1String(kVersion));
    setDesktopFileName(QStringLiteral("tarnwick-editor"));
    setStyle(new ApplicationStyle(style()));
}

bool TarnwickApplication::notify(QObject* receiver, QEvent* event) {
    QString message;
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        message = QString::fromUtf8(error.what());
    } catch (...) {
        message = QStringLiteral("Unknown error");
    }
    // Shown outside the handler, so the box's own events cannot re-enter it.
    if (m_interaction) {
        ShowStandardError(*m_interaction, message);
    }
    return false;
}

} // namespace tarnwick
