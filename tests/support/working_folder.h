// Runs the rest of a scope in another working folder, and goes back to the one before
// however the scope is left, through a failed comparison too.
#pragma once

#include <QDir>
#include <QString>

namespace tarnwick::testing {

class WorkingFolder {
public:
    explicit WorkingFolder(const QString& path) : m_previous(QDir::currentPath()) {
        m_entered = QDir::setCurrent(path);
    }
    ~WorkingFolder() { QDir::setCurrent(m_previous); }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

    bool entered() const { return m_entered; }

private:
    QString m_previous;
    bool m_entered = false;
};

} // namespace tarnwick::testing
