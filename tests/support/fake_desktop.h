// A desktop that records the documents it is asked to open and answers as told.
#pragma once

#include "support/desktop_services.h"

#include <QStringList>

namespace tarnwick::testing {

class FakeDesktop final : public DesktopServices {
public:
    QStringList opened;
    bool accepts = true;

    bool openDocument(const QString& path) override {
        opened.append(path);
        return accepts;
    }
};

} // namespace tarnwick::testing
