// One input listened to, its messages queued for the listener's thread.
#include "midi_listener.h"

#include <algorithm>

namespace tarnwick {

MidiListener::MidiListener(MidiInputs& inputs) : m_inputs(inputs) {}

MidiListener::~MidiListener() {
    close();
}

bool MidiListener::open(const std::string& name, Keep keep, Wake wake) {
    close();
    {
        std::lock_guard lock(m_mutex);
        m_parser.reset();
        m_keep = std::move(keep);
        m_wake = std::move(wake);
        m_queue.clear();
        m_dropped = 0;
    }
    if (!m_inputs.open(
            name, [this](const std::uint8_t* data, std::size_t size) { receive(data, size); })) {
        close();
        return false;
    }
    m_input = name;
    return true;
}

void MidiListener::close() {
    m_inputs.close();
    std::lock_guard lock(m_mutex);
    m_keep = nullptr;
    m_wake = nullptr;
    m_queue.clear();
    m_input.clear();
}

void MidiListener::receive(const std::uint8_t* data, std::size_t size) {
    Wake wake;
    {
        std::lock_guard lock(m_mutex);
        if (!m_keep) {
            return;
        }
        m_parser.feed(data, size, [this, &wake](const MidiMessage& message) {
            if (!m_keep(message)) {
                return;
            }
            if (m_queue.size() >= kQueueLimit) {
                ++m_dropped;
                return;
            }
            if (m_queue.empty()) {
                wake = m_wake;
            }
            m_queue.push_back(message);
        });
    }
    // Outside the lock: the owner may take the queue at once.
    if (wake) {
        wake();
    }
}

std::vector<MidiMessage> MidiListener::take() {
    std::lock_guard lock(m_mutex);
    std::vector<MidiMessage> taken;
    taken.swap(m_queue);
    return taken;
}

std::size_t MidiListener::dropped() {
    std::lock_guard lock(m_mutex);
    return m_dropped;
}

bool MidiListener::inputPresent() {
    if (m_input.empty() || m_inputs.systemLost()) {
        return false;
    }
    const std::vector<std::string> names = m_inputs.names();
    return std::find(names.begin(), names.end(), m_input) != names.end();
}

} // namespace tarnwick
