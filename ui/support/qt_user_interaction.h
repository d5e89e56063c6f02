// The real user interaction: Qt message boxes, file dialogs and cursors.
#pragma once

#include "support/user_interaction.h"

class QWidget;

namespace tarnwick {

class QtUserInteraction final : public UserInteraction {
public:
    QMessageBox::StandardButton message(const QString& title, const QString& text,
                                        QMessageBox::Icon icon,
                                        QMessageBox::StandardButtons buttons) override;
    std::optional<QString> openFileName(const FileDialogRequest& request) override;
    std::optional<QString> saveFileName(const FileDialogRequest& request) override;
    int runModal(QDialog& dialog) override;
    void setBusy(bool busy) override;
};

} // namespace tarnwick
