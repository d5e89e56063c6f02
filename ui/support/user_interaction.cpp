// Real user interaction: Qt's message boxes, file dialogs, modal runs and busy cursor.
#include "support/qt_user_interaction.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>

namespace tarnwick {

QMessageBox::StandardButton QtUserInteraction::message(const QString& title, const QString& text,
                                                       QMessageBox::Icon icon,
                                                       QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, title, text, buttons, QApplication::activeWindow());
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

namespace {

std::optional<QString> runFileDialog(const FileDialogRequest& request,
                                     QFileDialog::AcceptMode mode) {
    QFileDialog dialog(QApplication::activeWindow(), request.title, request.startFolder,
                       request.filter);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
    // The filter names carry their patterns already: "(*.syx) Sys Ex Files".
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    if (!request.proposedName.isEmpty()) {
        dialog.selectFile(request.proposedName);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}

} // namespace

std::optional<QString> QtUserInteraction::openFileName(const FileDialogRequest& request) {
    return runFileDialog(request, QFileDialog::AcceptOpen);
}

std::optional<QString> QtUserInteraction::saveFileName(const FileDialogRequest& request) {
    return runFileDialog(request, QFileDialog::AcceptSave);
}

int QtUserInteraction::runModal(QDialog& dialog) {
    return dialog.exec();
}

void QtUserInteraction::setBusy(bool busy) {
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

} // namespace tarnwick
