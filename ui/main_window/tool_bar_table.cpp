// The buttons, menus and shortcuts of a tool bar table.
#include "main_window/tool_bar_table.h"

#include "support/key_action.h"
#include "support/project_icon.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

namespace tarnwick {

namespace {

QToolButton* makeButton(QWidget* parent, QSize size, const ToolBarButton& entry) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(entry.name));
    button->setText(QLatin1String(entry.caption));
    button->setToolTip(QLatin1String(entry.hint));
    button->setIcon(ProjectIcon(entry.icon));
    button->setIconSize(QSize(16, 16));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setFixedSize(size);
    QFont small = button->font();
    small.setPointSizeF(7);
    button->setFont(small);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRaise(true);
    if (entry.description) {
        button->setAccessibleDescription(QLatin1String(entry.description));
    }
    return button;
}

} // namespace

void FillToolBar(QToolBar& bar, QWidget& window, QSize size,
                 const std::vector<ToolBarButton>& buttons) {
    auto* group = new QActionGroup(&window);
    for (const ToolBarButton& entry : buttons) {
        QToolButton* button = makeButton(&window, size, entry);
        if (entry.menu) {
            auto* menu = new QMenu(&window);
            menu->setObjectName(QLatin1String(entry.menu));
            for (const ToolBarItem& item : entry.items) {
                if (!item.name) {
                    menu->addSeparator();
                    continue;
                }
                QAction* action = menu->addAction(QLatin1String(item.caption));
                action->setObjectName(QLatin1String(item.name));
                if (!item.shortcut.isEmpty()) {
                    action->setShortcut(item.shortcut);
                    window.addAction(action);
                }
                if (item.store) {
                    action->setCheckable(true);
                    group->addAction(action);
                    *item.store = action;
                }
                if (item.toggle) {
                    action->setCheckable(true);
                    *item.toggle = action;
                }
                QObject::connect(action, &QAction::triggered, &window, item.run);
            }
            button->setMenu(menu);
            button->setPopupMode(QToolButton::InstantPopup);
            if (!entry.key.isEmpty()) {
                AddKeyAction(window, entry.key, [button] { button->showMenu(); });
            }
        } else {
            QObject::connect(button, &QToolButton::clicked, &window, entry.clicked);
            if (!entry.key.isEmpty()) {
                AddKeyAction(window, entry.key, [button] { button->click(); });
            }
        }
        bar.addWidget(button);
        if (entry.separatorAfter) {
            bar.addSeparator();
        }
    }
}

} // namespace tarnwick
