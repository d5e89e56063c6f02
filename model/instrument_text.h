// The text fields of instrument files, as both readers take them.
#pragma once

#include <charconv>
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
