// Everything that asks the user something or blocks on the user: message boxes, file
// dialogs, modal runs and the busy cursor. Windows and commands go through this
// interface so that tests can script the answers and nothing ever waits for a person.
#pragma once

#include <QMessageBox>
#include <QString>

#include <optional>

class QDialog;

namespace tarnwick {

struct FileDialogRequest {
    QString title;
    QString filter;        // Qt filter string: "Sys Ex Files (*.syx);;All Files (*)"
    QString defaultSuffix; // appended when the user types a name without one
    QString startFolder;
    QString proposedName;
};

class UserInteraction {
public:
    virtual ~UserInteraction() = default;

    virtual QMessageBox::StandardButton
    message(const QString& title, const QString& text, QMessageBox::Icon icon = QMessageBox::NoIcon,
            QMessageBox::StandardButtons buttons = QMessageBox::Ok) = 0;
    virtual std::optional<QString> openFileName(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> saveFileName(const FileDialogRequest& request) = 0;
    // Shows `dialog` modally and returns its result (QDialog::Accepted or Rejected).
    virtual int runModal(QDialog& dialog) = 0;
    // The hourglass: nested calls stack.
    virtual void setBusy(bool busy) = 0;
};

// Keeps the busy cursor up for the lifetime of the object.
class BusyCursor {
public:
    explicit BusyCursor(UserInteraction& interaction) : m_interaction(interaction) {
        m_interaction.setBusy(true);
    }
    ~BusyCursor() { m_interaction.setBusy(false); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    UserInteraction& m_interaction;
};

} // namespace tarnwick
