// Capturing replies and reading the identity text out of them.
#include "reply_capture.h"

#include <algorithm>

namespace tarnwick {

void ReplyCapture::arm(std::vector<std::uint8_t> sent) {
    m_buffer.fill(0);
    m_captured = false;
    m_replies = 0;
    m_sent = std::move(sent);
}

void ReplyCapture::onSysEx(const std::uint8_t* data, std::size_t size) {
    if (size == 0 || (size == m_sent.size() && std::equal(data, data + size, m_sent.begin()))) {
        return; // our own message echoed back
    }
    if (++m_replies > 1) {
        return;
    }
    m_captured = true;
    const std::size_t kept = std::min(size, kCaptureSize);
    std::copy(data, data + kept, m_buffer.begin());
    if (size == kIdentityReplySize && m_buffer[0] == kSysExStart &&
        m_buffer[kIdentityReplySize - 1] == kSysExEnd) {
        const auto* text = m_buffer.data() + kIdentityTextPosition;
        const auto* end = std::find(text, text + kIdentityTextLength, 0);
        m_identityText.assign(text, end);
    }
}

ReplyCapture::Buffer ReplyCapture::buffer() const {
    return m_buffer;
}

bool ReplyCapture::acknowledged(std::size_t position) const {
    return position < kCaptureSize && m_buffer[position] == kAcknowledge;
}

std::string ReplyCapture::identityText() const {
    return m_identityText;
}

void ReplyCapture::clearIdentityText() {
    m_identityText.clear();
}

bool ReplyCapture::captured() const {
    return m_captured;
}

std::size_t ReplyCapture::replies() const {
    return m_replies;
}

} // namespace tarnwick
