// Whole MIDI messages passed from the MIDI system's thread to their owner's. The MIDI
// thread (JACK's process thread, where waiting makes every audio program on the machine
// click) only copies a message, with the time it arrived and a tag, into two rings of a
// fixed size, without a lock or an allocation; the owner takes the messages out on its own
// thread. One writer and one reader, always the same two threads.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace tarnwick {

class MessageRing {
public:
    using Clock = std::chrono::steady_clock;

    struct Message {
        Clock::time_point arrived;
        std::uint32_t tag = 0; // the writer's choice: which listening it belongs to
        std::vector<std::uint8_t> bytes;
    };

    // Room for `messages` messages and `bytes` bytes waiting at once.
    MessageRing(std::size_t messages, std::size_t bytes);
    ~MessageRing();
    MessageRing(const MessageRing&) = delete;
    MessageRing& operator=(const MessageRing&) = delete;

    // The MIDI thread: false, and nothing written, when there is no room for it.
    bool push(const std::uint8_t* data, std::size_t size, std::uint32_t tag) noexcept;
    // The owner: whether a message waits.
    bool waiting() const;
    // The owner: the oldest message waiting into `message`; false when none waits.
    bool pop(Message& message);

private:
    struct Rings;
    std::unique_ptr<Rings> m_rings;
};

} // namespace tarnwick
