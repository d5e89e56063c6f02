// Paths from and to UTF-8 text. Names given as text (arguments, environment variables,
// stored sources) are UTF-8 on every system; std::filesystem takes a std::string as the
// system's narrow encoding, which on Windows is not UTF-8, so a name in any language would
// come out garbled there. Wherever a name becomes a path, or a path a name, these do it.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tarnwick {

inline std::filesystem::path Utf8Path(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

inline std::string Utf8Text(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace tarnwick
