// Asking the desktop to open a document in its usual viewer (the user manual, a .syx
// file for an external SysEx sender). Behind an interface so tests never launch anything.
#pragma once

#include <QString>

namespace tarnwick {

class DesktopServices {
public:
    virtual ~DesktopServices() = default;
    // True when the desktop accepted the document.
    virtual bool openDocument(const QString& path) = 0;
};

class QtDesktopServices final : public DesktopServices {
public:
    bool openDocument(const QString& path) override;
};

} // namespace tarnwick
