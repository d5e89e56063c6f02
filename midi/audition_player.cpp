// Sending a preset's messages to an output.
#include "audition_player.h"

#include "port_layer.h"

#include <algorithm>

namespace tarnwick {

AuditionPlayer::AuditionPlayer(MidiBackend& backend, Clock& clock)
    : m_backend(backend), m_clock(clock) {}

std::vector<std::string> AuditionPlayer::outputs() {
    std::vector<std::string> names;
    const int count = m_backend.outputCount();
    for (int i = 0; i < count; ++i) {
        if (auto name = m_backend.outputPortName(i)) {
            names.push_back(std::move(*name));
        }
    }
    return names;
}

bool AuditionPlayer::play(const std::string& output, const std::vector<Bytes>& messages) {
    const int count = m_backend.outputCount();
    int index = 0;
    while (index < count && m_backend.outputPortName(index) != output) {
        ++index;
    }
    if (index == count || !m_backend.openOutput(index)) {
        return false;
    }
    // As before a message to the keypad: nothing goes out before the connection is made.
    const auto giveUp = m_clock.now() + MidiPortLayer::kConnectLimit;
    while (!m_backend.outputConnected() && m_clock.now() < giveUp) {
        m_clock.pause(std::chrono::milliseconds(1));
    }
    const bool sent = std::all_of(messages.begin(), messages.end(), [this](const Bytes& message) {
        return !message.empty() && m_backend.send(message.data(), message.size(), m_clock.now());
    });
    m_backend.closeOutput();
    return sent;
}

} // namespace tarnwick
