// The capture of the keypad's reply: the first SysEx message that arrives while a port
// pair is open. The backend hands it over on the thread that runs the cycles, which also
// reads it. Also recognises the keypad's identity reply.
#pragma once

#include "preset/sysex.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick {

inline constexpr std::size_t kCaptureSize = 1024;

class ReplyCapture {
public:
    using Buffer = std::array<std::uint8_t, kCaptureSize>;

    // Zeroes the buffer and waits for the next reply. A message equal to `sent` byte for
    // byte is our own message coming back through a MIDI thru or loop, not a reply.
    void arm(std::vector<std::uint8_t> sent);
    // Input notification: the first reply fills the buffer; later ones are ignored.
    void onSysEx(const std::uint8_t* data, std::size_t size);

    Buffer buffer() const;
    // Whether a reply arrived since the last arm().
    bool captured() const;
    // How many messages arrived since the last arm(), echoes of our own not counted.
    std::size_t replies() const;
    // "A" at `position` of the captured reply.
    bool acknowledged(std::size_t position) const;

    std::string identityText() const;
    void clearIdentityText();

private:
    Buffer m_buffer{};
    bool m_captured = false;
    std::size_t m_replies = 0;
    std::vector<std::uint8_t> m_sent;
    std::string m_identityText;
};

} // namespace tarnwick
