// The project's own pictures (tool bar, program icon), from the program's resources: the
// SVG drawings where Qt reads SVG, else the PNG pictures the build drew of them at fixed
// sizes (the Windows build's Qt has no SVG plugin).
#pragma once

#include <QIcon>

namespace tarnwick {

// `name` as in ui/support/icons/NAME.svg.
QIcon ProjectIcon(const char* name);

} // namespace tarnwick
