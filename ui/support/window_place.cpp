// Placing the editor's windows.
#include "support/window_place.h"

#include <QScreen>
#include <QSettings>
#include <QWidget>

#include <algorithm>

namespace tarnwick {

WindowPlace::WindowPlace(QWidget& window, QString key) : m_window(window), m_key(std::move(key)) {
    m_placed = m_window.restoreGeometry(QSettings().value(m_key).toByteArray());
}

void WindowPlace::showing() {
    if (!m_placed && m_window.parentWidget()) {
        // The first time ever: beside the main window, not over it: on its right, else on
        // its left where the right has no room for it.
        const QRect main = m_window.parentWidget()->frameGeometry();
        const QRect room = m_window.parentWidget()->screen()->availableGeometry();
        const int width = m_window.frameGeometry().width();
        const bool rightFits = main.right() + 8 + width <= room.right() + 1;
        const bool leftFits = main.left() - 8 - width >= room.left();
        // Where neither side has room, it goes to the screen's left edge: over the main
        // window's channel labels, not its Sound column on the right.
        m_window.move(rightFits  ? main.topRight() + QPoint(8, 0)
                      : leftFits ? main.topLeft() - QPoint(8 + width, 0)
                                 : QPoint(room.left(), main.top()));
    }
    m_placed = true;
    KeepOnScreen(m_window);
}

void WindowPlace::hidden() {
    QSettings().setValue(m_key, m_window.saveGeometry());
}

void KeepOnScreen(QWidget& window) {
    const QPoint centre = window.frameGeometry().center();
    QScreen* screen = window.screen();
    for (QScreen* candidate : window.screen()->virtualSiblings()) {
        if (candidate->geometry().contains(centre)) {
            screen = candidate;
        }
    }
    const QRect room = screen->availableGeometry();
    QRect frame = window.frameGeometry();
    // The frame around the window's contents is kept as it is; only the contents shrink.
    const QSize border = frame.size() - window.size();
    if (frame.width() > room.width() || frame.height() > room.height()) {
        window.resize(std::min(frame.width(), room.width()) - border.width(),
                      std::min(frame.height(), room.height()) - border.height());
        frame = window.frameGeometry();
    }
    const int x = std::clamp(frame.left(), room.left(), room.right() + 1 - frame.width());
    const int y = std::clamp(frame.top(), room.top(), room.bottom() + 1 - frame.height());
    if (QPoint(x, y) != frame.topLeft()) {
        window.move(x, y);
    }
}

} // namespace tarnwick
