// Letter case folded for ASCII only, the same in every locale: names from instrument
// files, ports and presets are compared in any letter case, and bytes past 0x7F (Latin-1
// or UTF-8) are left as they are. std::tolower on a negative char is undefined. And one
// rule for a name typed in any spelling.
#pragma once

#include <string>
#include <string_view>
#include <vector>

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

// The words of `text` in lower case: runs of letters and digits (bytes past 0x7F count as
// letters), blanks and punctuation between them dropped.
inline std::vector<std::string> SpellingWords(std::string_view text) {
    std::vector<std::string> words(1);
    for (const char c : text) {
        const char lower = AsciiLower(c);
        if ((lower >= 'a' && lower <= 'z') || (lower >= '0' && lower <= '9') || (c & 0x80)) {
            words.back() += lower;
        } else if (!words.back().empty()) {
            words.emplace_back();
        }
    }
    if (words.back().empty()) {
        words.pop_back();
    }
    return words;
}

// Whether `name` answers to `spelling`: every word of the spelling stands in the name read
// in lower case without blanks and punctuation, in any order. "jv1080", "JV 1080" and
// "1080 roland" all name "Roland JV-1080"; a spelling of no words names nothing.
inline bool AnswersTo(std::string_view name, std::string_view spelling) {
    std::string squashed;
    for (const std::string& word : SpellingWords(name)) {
        squashed += word;
    }
    const std::vector<std::string> words = SpellingWords(spelling);
    if (words.empty()) {
        return false;
    }
    for (const std::string& word : words) {
        if (squashed.find(word) == std::string::npos) {
            return false;
        }
    }
    return true;
}

} // namespace tarnwick
