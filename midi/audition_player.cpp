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
    // Nothing answers an audition, so nothing may go where nobody hears it: the messages
    // go out once the connection is in effect, and the output stays open until it has
    // handed them on (a JACK port closed at once drops what waits for the next cycle).
    if (!WaitUntilConnected(m_backend, m_clock, kConnectLimit)) {
        m_backend.closeOutput();
        return false;
    }
    // Told before it goes: a synth's echo can come back before the last byte is out.
    if (m_sending) {
        m_sending(messages);
    }
    const bool sent =
        std::all_of(messages.begin(), messages.end(),
                    [this](const Bytes& message) {
                        return !message.empty() &&
                               m_backend.send(message.data(), message.size(), m_clock.now());
                    }) &&
        WaitUntilSent(m_backend, m_clock, MidiPortLayer::kOutputReleaseLimit);
    m_backend.closeOutput();
    return sent;
}

} // namespace tarnwick
