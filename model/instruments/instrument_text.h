// The text fields of instrument files, as both readers take them.
#pragma once

#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

// Without the blanks, tabs and line ends around it.
inline std::string TrimmedText(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    return std::string(text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1));
}

inline bool ValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto b = std::uint8_t(text[i]);
        const int more = b < 0x80         ? 0
                         : (b >> 5) == 6  ? 1
                         : (b >> 4) == 14 ? 2
                         : (b >> 3) == 30 ? 3
                                          : -1;
        if (more < 0 || text.size() - i <= std::size_t(more)) {
            return false;
        }
        for (int k = 1; k <= more; ++k) {
            if ((std::uint8_t(text[i + std::size_t(k)]) >> 6) != 2) {
                return false;
            }
        }
        i += std::size_t(more) + 1;
    }
    return true;
}

// Instrument files are often written on Windows in its Western code page, whatever they
// declare: text that is not UTF-8 is taken as Latin-1, so every name read is UTF-8.
inline std::string TextAsUtf8(std::string_view text) {
    if (ValidUtf8(text)) {
        return std::string(text);
    }
    std::string utf8;
    for (const char c : text) {
        const auto b = std::uint8_t(c);
        if (b < 0x80) {
            utf8 += c;
        } else {
            utf8 += char(0xC0 | (b >> 6));
            utf8 += char(0x80 | (b & 0x3F));
        }
    }
    return utf8;
}

// A name as both readers take it: trimmed, and UTF-8.
inline std::string NameText(std::string_view text) {
    return TextAsUtf8(TrimmedText(text));
}

// A whole decimal number, blanks around it allowed; nothing for anything else.
inline std::optional<int> WholeNumber(std::string_view text) {
    const std::string value = TrimmedText(text);
    int parsed = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), parsed);
    if (value.empty() || error != std::errc() || end != value.data() + value.size()) {
        return std::nullopt;
    }
    return parsed;
}

} // namespace tarnwick
