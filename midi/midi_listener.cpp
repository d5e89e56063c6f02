// One input listened to: the MIDI thread writes two lock-free single-producer rings, the
// owner reads them.
#include "midi_listener.h"

#include <boost/lockfree/spsc_queue.hpp>

#include <algorithm>

namespace tarnwick {

namespace {

using Clock = std::chrono::steady_clock;

// One delivery: its bytes wait in the byte ring, in order.
struct Delivery {
    Clock::rep arrived; // the steady clock's count: a plain value for the ring
    std::uint32_t size;
};

} // namespace

// The bytes go in before their delivery, so the owner that finds a delivery always finds
// all of its bytes. Each ring has one writer (the MIDI thread) and one reader (the owner).
struct MidiListener::Rings {
    boost::lockfree::spsc_queue<Delivery> deliveries{kQueueLimit};
    boost::lockfree::spsc_queue<std::uint8_t> bytes{kQueueBytes};
};

MidiListener::MidiListener(MidiInputs& inputs)
    : m_inputs(inputs), m_rings(std::make_unique<Rings>()) {}

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
    const Clock::rep now = Clock::now().time_since_epoch().count();
    Rings& rings = *m_rings;
    // Only this thread writes, so the room seen now is there when written.
    if (rings.deliveries.write_available() == 0 || rings.bytes.write_available() < size) {
        m_dropped.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    rings.bytes.push(data, size);
    rings.deliveries.push(Delivery{now, std::uint32_t(size)});
}

bool MidiListener::waiting() const {
    return m_rings->deliveries.read_available() > 0;
}

std::vector<HeardMessage> MidiListener::take() {
    std::vector<HeardMessage> taken;
    Delivery delivery{};
    while (m_rings->deliveries.pop(delivery)) {
        m_chunk.resize(delivery.size);
        m_rings->bytes.pop(m_chunk.data(), m_chunk.size());
        if (!m_keep) {
            continue;
        }
        const Clock::time_point arrived{Clock::duration(delivery.arrived)};
        m_parser.feed(m_chunk.data(), m_chunk.size(), [&](const MidiMessage& message) {
            if (m_keep(message)) {
                HeardMessage heard;
                static_cast<MidiMessage&>(heard) = message;
                heard.arrived = arrived;
                taken.push_back(std::move(heard));
            }
        });
    }
    return taken;
}

void MidiListener::drain() {
    Delivery delivery{};
    while (m_rings->deliveries.pop(delivery)) {
        m_chunk.resize(delivery.size);
        m_rings->bytes.pop(m_chunk.data(), m_chunk.size());
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
