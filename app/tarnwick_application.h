// The application object: shows an error that escapes an event handler in the standard
// error box and carries on, instead of ending the program.
#pragma once

#include <QApplication>

namespace tarnwick {

class UserInteraction;

class TarnwickApplication final : public QApplication {
    Q_OBJECT
public:
    TarnwickApplication(int& argc, char** argv);

    void setInteraction(UserInteraction* interaction) { m_interaction = interaction; }
    bool notify(QObject* receiver, QEvent* event) override;

private:
    UserInteraction* m_interaction = nullptr;
};

} // namespace tarnwick
