// Letter case folded for ASCII only, the same in every locale: names from instrument
// files, ports and presets are compared in any letter case, and bytes past 0x7F (Latin-1
// or UTF-8) are left as they are. std::tolower on a negative char is undefined.
#pragma once

#include <string>
#include <string_view>

namespace tarnwick {

constexpr char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

inline std::string LowerCase(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        c = AsciiLower(c);
    }
    return lower;
}

inline bool StartsWithNoCase(std::string_view text, std::string_view start) {
    if (text.size() < start.size()) {
        return false;
    }
    for (std::size_t i = 0; i < start.size(); ++i) {
        if (AsciiLower(text[i]) != AsciiLower(start[i])) {
            return false;
        }
    }
    return true;
}

} // namespace tarnwick
