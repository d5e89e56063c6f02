// One input listened to: the MIDI thread writes a lock-free ring, the owner reads it.
#include "midi_listener.h"

#include <algorithm>

namespace tarnwick {

MidiListener::MidiListener(MidiInputs& inputs) : m_inputs(inputs) {}

MidiListener::~MidiListener() {
    close();
}

bool MidiListener::open(const std::string& name, Keep keep) {
    close();
    m_parser.reset();
    m_keep = std::move(keep);
    m_dropped = 0;
    m_listening = true;
    if (!m_inputs.open(name, *this)) {
        close();
        return false;
    }
    m_input = name;
    return true;
}

void MidiListener::close() {
    m_listening = false;
    m_inputs.close(); // no delivery once this returns
    drain();
    m_keep = nullptr;
    m_input.clear();
}

void MidiListener::receive(const std::uint8_t* data, std::size_t size) noexcept {
    if (!m_listening.load(std::memory_order_acquire) || size == 0) {
        return;
    }
    if (!m_ring.push(data, size, 0)) {
        m_dropped.fetch_add(1, std::memory_order_relaxed);
    }
}

bool MidiListener::waiting() const {
    return m_ring.waiting();
}

std::vector<HeardMessage> MidiListener::take() {
    std::vector<HeardMessage> taken;
    while (m_ring.pop(m_delivery)) {
        if (!m_keep) {
            continue;
        }
        m_parser.feed(m_delivery.bytes.data(), m_delivery.bytes.size(),
                      [&](const MidiMessage& message) {
                          if (m_keep(message)) {
                              HeardMessage heard;
                              static_cast<MidiMessage&>(heard) = message;
                              heard.arrived = m_delivery.arrived;
                              taken.push_back(std::move(heard));
                          }
                      });
    }
    return taken;
}

void MidiListener::drain() {
    while (m_ring.pop(m_delivery)) {
    }
}

bool MidiListener::inputPresent() {
    if (m_input.empty() || m_inputs.systemLost()) {
        return false;
    }
    const std::vector<std::string> names = m_inputs.names();
    return std::find(names.begin(), names.end(), m_input) != names.end();
}

} // namespace tarnwick
