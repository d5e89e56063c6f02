// Bytes as hexadecimal text, the one way the program writes and reads them: two upper-case
// digits a byte ("B0 07 64").
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

std::string HexPair(std::uint8_t byte);
// The bytes' pairs with one blank between them: "90 3C 7F".
std::string HexPairs(const std::uint8_t* bytes, std::size_t count);
inline std::string HexPairs(const std::vector<std::uint8_t>& bytes) {
    return HexPairs(bytes.data(), bytes.size());
}
// The value of one hexadecimal digit (either case), nothing for any other character.
std::optional<int> HexDigitValue(char c);
// Text of the HexPairs form back into bytes (the empty text is no bytes); nothing when the
// text is not exactly of that form.
std::optional<std::vector<std::uint8_t>> ParseHexPairs(std::string_view text);

} // namespace tarnwick
