// Drags files or other data onto a window and drops them there, as a file manager would.
#pragma once

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QStringList>
#include <QUrl>
#include <QWidget>

namespace tarnwick::testing {

// Drags `data` over `target` to `at` and drops it there; false when the target refuses
// it at the drag.
inline bool DropData(QWidget& target, const QMimeData& data, QPoint at) {
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &enter);
    if (!enter.isAccepted()) {
        return false;
    }
    QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &dropped);
    return dropped.isAccepted();
}

// False when the window refuses the files at the drag.
inline bool DropFiles(QWidget& window, const QStringList& files) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& file : files) {
        urls << QUrl::fromLocalFile(file);
    }
    data.setUrls(urls);
    return DropData(window, data, window.rect().center());
}

} // namespace tarnwick::testing
