// Where the editor's own windows (Bank Organizer, Library) stand: where they stood when last
// hidden, kept in the settings, else beside the main window; and always wholly on the screen
// they are on, so that none opens partly or wholly off it (a screen that shrank, a second
// editor's window beside the first).
#pragma once

#include <QString>

class QWidget;

namespace tarnwick {

class WindowPlace {
public:
    // `key`: the settings key under which `window` keeps its place.
    WindowPlace(QWidget& window, QString key);

    // Call before the window is shown: its last place, or beside its parent the first time,
    // moved inside the available geometry of its screen.
    void showing();
    // Call when it is hidden: its place, for the next time and the next run.
    void hidden();

private:
    QWidget& m_window;
    QString m_key;
    bool m_placed = false;
};

// Moves (and if need be shrinks) `window` so that its frame lies inside the available
// geometry of the screen it is on.
void KeepOnScreen(QWidget& window);

} // namespace tarnwick
