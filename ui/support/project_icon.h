// The project's own pictures (tool bar, program icon), from the program's resources: PNG
// pictures the build drew of the SVG drawings at fixed sizes. Each is read only when first
// drawn at a size, naming its format, so that a window with icons costs no image
// plug-ins and no SVG library at start-up.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace tarnwick {

// `name` as in ui/support/icons/NAME.svg.
QIcon ProjectIcon(const char* name);

// A PNG picture read as PNG: Qt reads a picture whose format it is not told by asking
// every image plug-in whether it is theirs, which loads them all.
QPixmap PngPicture(const QString& path);

} // namespace tarnwick
