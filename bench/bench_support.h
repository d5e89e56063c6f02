// A user and a desktop for benchmarks: every dialog answered at once, nothing shown.
#pragma once

#include "support/desktop_services.h"
#include "support/user_interaction.h"

#include <QComboBox>
#include <QDialog>
#include <QPushButton>

#include <cstdio>

namespace tarnwick::bench {

// Without a display the windows are drawn offscreen, so that a benchmark runs anywhere.
inline void DrawOffscreenWithoutDisplay() {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
}

class FixedAnswers final : public UserInteraction {
public:
    QString path;
    QString interfaceName; // picked in the interface chooser
    QStringList messages;

    QMessageBox::StandardButton message(const QString& title, const QString& text,
                                        QMessageBox::Icon, QMessageBox::StandardButtons) override {
        messages << title + QStringLiteral(": ") + text;
        return QMessageBox::Ok;
    }
    std::optional<QString> openFileName(const FileDialogRequest&) override { return path; }
    std::optional<QString> saveFileName(const FileDialogRequest&) override { return path; }
    // Dialogs with an OK button are confirmed with it; others are accepted as they are.
    int runModal(QDialog& dialog) override {
        if (auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("btnOK"))) {
            dialog.show();
            if (auto* list = dialog.findChild<QComboBox*>(QStringLiteral("ComboBox1"))) {
                list->setCurrentIndex(list->findText(interfaceName));
            }
            ok->click();
            dialog.hide();
            return dialog.result();
        }
        return QDialog::Accepted;
    }
    void setBusy(bool) override {}
};

class NoDesktop final : public DesktopServices {
public:
    bool openDocument(const QString&) override { return false; }
};

} // namespace tarnwick::bench
