// Keyboard commands of a window: an action with a shortcut and no control of its own, and a
// window that is built the first time its key asks for it and shown and hidden in turn.
#pragma once

#include <QAction>
#include <QKeySequence>
#include <QWidget>

#include <functional>

namespace tarnwick {

// An action of `window` that runs `what` on `key` while the window is active.
inline QAction* AddKeyAction(QWidget& window, const QKeySequence& key,
                             const std::function<void()>& what) {
    auto* action = new QAction(&window);
    action->setShortcut(key);
    action->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(action, &QAction::triggered, &window, what);
    window.addAction(action);
    return action;
}

// Shows `window`, built by `make` the first time, or hides it when it is shown.
template <typename Window, typename Make> void ToggleWindow(Window*& window, Make make) {
    if (!window) {
        window = make();
    }
    window->setVisible(!window->isVisible());
}

} // namespace tarnwick
