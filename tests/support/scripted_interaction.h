// A user who answers from a script: records every message box, file dialog, modal run
// and busy cursor, and returns queued answers without showing anything.
#pragma once

#include "support/user_interaction.h"

#include <QDialog>
#include <QList>

#include <functional>

namespace tarnwick::testing {

class ScriptedInteraction final : public UserInteraction {
public:
    struct Message {
        QString title;
        QString text;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
    };

    QList<Message> messages;
    QList<QMessageBox::StandardButton> messageAnswers; // Ok when empty
    std::function<void(const Message&)> onMessage;     // runs while the "box" is up

    QList<FileDialogRequest> openRequests;
    QList<FileDialogRequest> saveRequests;
    QList<std::optional<QString>> fileAnswers; // cancel when empty

    QStringList modalRuns;                // object names of the dialogs run
    QList<int> modalAnswers;              // Rejected when empty
    std::function<int(QDialog&)> onModal; // overrides modalAnswers when set

    int busyDepth = 0;
    int busyCalls = 0;

    // The boxes shown so far as "title|text".
    QStringList shown() const {
        QStringList texts;
        for (const Message& m : messages) {
            texts << m.title + u'|' + m.text;
        }
        return texts;
    }

    QMessageBox::StandardButton message(const QString& title, const QString& text,
                                        QMessageBox::Icon icon,
                                        QMessageBox::StandardButtons buttons) override {
        messages.append({title, text, icon, buttons});
        if (onMessage) {
            onMessage(messages.constLast());
        }
        return messageAnswers.isEmpty() ? QMessageBox::Ok : messageAnswers.takeFirst();
    }
    std::optional<QString> openFileName(const FileDialogRequest& request) override {
        openRequests.append(request);
        return fileAnswers.isEmpty() ? std::nullopt : fileAnswers.takeFirst();
    }
    std::optional<QString> saveFileName(const FileDialogRequest& request) override {
        saveRequests.append(request);
        return fileAnswers.isEmpty() ? std::nullopt : fileAnswers.takeFirst();
    }
    int runModal(QDialog& dialog) override {
        modalRuns.append(dialog.objectName());
        if (onModal) {
            return onModal(dialog);
        }
        return modalAnswers.isEmpty() ? QDialog::Rejected : modalAnswers.takeFirst();
    }
    void setBusy(bool busy) override {
        ++busyCalls;
        busyDepth += busy ? 1 : -1;
    }
};

} // namespace tarnwick::testing
