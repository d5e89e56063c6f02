// Hexadecimal text of bytes.
#include "preset/hex.h"

namespace tarnwick {

namespace {
constexpr char kDigits[] = "0123456789ABCDEF";
}

std::string HexPair(std::uint8_t byte) {
    return {kDigits[byte >> 4], kDigits[byte & 0x0F]};
}

std::string HexPairs(const std::uint8_t* bytes, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) {
            text += ' ';
        }
        text += HexPair(bytes[i]);
    }
    return text;
}

std::optional<int> HexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> ParseHexPairs(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < text.size(); i += 3) {
        // A pair, then the end of the text or a blank and the next pair.
        const bool last = i + 2 == text.size();
        if (i + 2 > text.size() || (!last && (text[i + 2] != ' ' || i + 3 == text.size()))) {
            return std::nullopt;
        }
        const auto high = HexDigitValue(text[i]);
        const auto low = HexDigitValue(text[i + 1]);
        if (!high || !low) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<std::uint8_t>(*high * 16 + *low));
    }
    return bytes;
}

} // namespace tarnwick
