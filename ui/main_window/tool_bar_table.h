// A tool bar built from a table, left to right: each button with its caption, hint and
// picture, and either the items of its drop-down menu or what a click does; the shortcuts
// of items and buttons, separators, and what a screen reader adds to a caption. The window
// that owns the bar says what each entry runs.
#pragma once

#include <QKeySequence>
#include <QSize>

#include <functional>
#include <vector>

class QAction;
class QToolBar;
class QWidget;

namespace tarnwick {

struct ToolBarItem {
    const char* name = nullptr; // nullptr: a separator line
    const char* caption = "";
    std::function<void()> run;
    QKeySequence shortcut{};    // shown in the menu, and reachable while it is closed
    QAction** store = nullptr;  // a checkable item of the bar's one exclusive group, kept here
    QAction** toggle = nullptr; // a checkable item on its own, kept here
};

struct ToolBarButton {
    const char* name = "";
    const char* caption = "";
    const char* hint = "";      // "" for none
    const char* icon = "";      // the picture ProjectIcon(icon)
    const char* menu = nullptr; // the menu's name; nullptr for a button without one
    std::vector<ToolBarItem> items{};
    std::function<void()> clicked{};   // a button without a menu
    const char* description = nullptr; // what a screen reader adds to the caption
    bool separatorAfter = false;
    QKeySequence key{}; // clicks a button without a menu, opens the menu of one with
};

// Adds `buttons` of `size` to `bar`; the shortcuts belong to `window`.
void FillToolBar(QToolBar& bar, QWidget& window, QSize size,
                 const std::vector<ToolBarButton>& buttons);

} // namespace tarnwick
