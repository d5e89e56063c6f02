// A file name as the user chose it, in the form the standard library opens. On Windows a
// narrow std::string would lose every character outside the system's code page.
#pragma once

#include <QString>

#include <filesystem>

namespace tarnwick {

inline std::filesystem::path LocalPath(const QString& path) {
    return std::filesystem::path(path.toStdU16String());
}

} // namespace tarnwick
