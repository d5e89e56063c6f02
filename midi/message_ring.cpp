// Two lock-free single-producer rings: the bytes, then the message that owns them.
#include "message_ring.h"

#include <boost/lockfree/spsc_queue.hpp>

namespace tarnwick {

namespace {

// One message: its bytes wait in the byte ring, in order.
struct Delivery {
    MessageRing::Clock::rep arrived; // the steady clock's count: a plain value for the ring
    std::uint32_t size;
    std::uint32_t tag;
};

} // namespace

// The bytes go in before their message, so the owner that finds a message always finds
// all of its bytes.
struct MessageRing::Rings {
    Rings(std::size_t messages, std::size_t byteCount) : deliveries(messages), bytes(byteCount) {}
    boost::lockfree::spsc_queue<Delivery> deliveries;
    boost::lockfree::spsc_queue<std::uint8_t> bytes;
};

MessageRing::MessageRing(std::size_t messages, std::size_t bytes)
    : m_rings(std::make_unique<Rings>(messages, bytes)) {}

MessageRing::~MessageRing() = default;

bool MessageRing::push(const std::uint8_t* data, std::size_t size, std::uint32_t tag) noexcept {
    const Clock::rep now = Clock::now().time_since_epoch().count();
    // Only this thread writes, so the room seen now is there when written.
    if (m_rings->deliveries.write_available() == 0 || m_rings->bytes.write_available() < size) {
        return false;
    }
    m_rings->bytes.push(data, size);
    m_rings->deliveries.push(Delivery{now, std::uint32_t(size), tag});
    return true;
}

bool MessageRing::waiting() const {
    return m_rings->deliveries.read_available() > 0;
}

bool MessageRing::pop(Message& message) {
    Delivery delivery{};
    if (!m_rings->deliveries.pop(delivery)) {
        return false;
    }
    message.arrived = Clock::time_point(Clock::duration(delivery.arrived));
    message.tag = delivery.tag;
    message.bytes.resize(delivery.size);
    m_rings->bytes.pop(message.bytes.data(), message.bytes.size());
    return true;
}

} // namespace tarnwick
