// An in-process MIDI system with one keypad behind it: devices by name, a log of what
// was opened, sent and closed, and switches for every way a port can misbehave. Replies
// arrive during the send, as they would during the wait that follows it.
#pragma once

#include "keypad_protocol.h"
#include "midi_backend.h"

#include <functional>
#include <string>
#include <vector>

namespace tarnwick::testing {

class FakeMidiBackend final : public MidiBackend {
public:
    std::vector<std::optional<std::string>> outputs{std::string("Keypad")};
    std::vector<std::optional<std::string>> inputs{std::string("Keypad")};
    KeypadProtocol keypad;
    // Replaces the keypad when set: the replies to each message sent.
    std::function<std::vector<Bytes>(const Bytes&)> replies;

    bool refuseOutput = false;
    bool refuseInput = false;
    bool refuseSend = false;
    bool heldElsewhere = false; // a refused port is another program's (WinMM)
    Clock::Duration busyFor{};  // how long the output stays busy after a hand-over
    int closeRefusals = 0;      // times closeInput refuses before closing; -1: always
    // Times outputConnected() says no after each opening; -1: never connected. A message
    // handed over before the connection is in effect is lost, as on a real MIDI system.
    int connectPolls = 0;
    // The keypad's replies come this long after the message, when time is passed to
    // deliverDue(); zero: during the send.
    Clock::Duration replyDelay{};
    // Each reply comes this many times, one every `replyRepeatGap` (with a delay only).
    int replyRepeats = 1;
    Clock::Duration replyRepeatGap{};
    int lateRepliesDelivered = 0;

    std::vector<std::string> log;
    std::vector<Bytes> sent;

    int outputCount() override { return int(outputs.size()); }
    int inputCount() override { return int(inputs.size()); }
    std::optional<std::string> outputName(int i) override { return outputs.at(std::size_t(i)); }
    std::optional<std::string> inputName(int i) override { return inputs.at(std::size_t(i)); }
    std::optional<std::string> outputPortName(int i) override { return outputName(i); }

    bool openOutput(int index) override {
        log.push_back("open output " + std::to_string(index));
        m_unconnectedPolls = connectPolls;
        return !refuseOutput;
    }
    bool portHeldElsewhere() override { return heldElsewhere; }
    bool openInput(int index, SysExHandler handler) override {
        log.push_back("open input " + std::to_string(index));
        if (refuseInput) {
            return false;
        }
        m_handler = std::move(handler);
        return true;
    }
    void takeInput() override {} // replies reach the handler as they come
    bool send(const std::uint8_t* data, std::size_t size, Clock::TimePoint now) override {
        log.push_back("send " + std::to_string(size));
        if (refuseSend) {
            return false;
        }
        Bytes message(data, data + size);
        sent.push_back(message);
        m_busyUntil = now + busyFor;
        if (m_unconnectedPolls != 0) {
            return true; // handed over, but nothing is connected to carry it
        }
        for (const Bytes& reply : replies ? replies(message) : keypad.receive(message)) {
            if (replyDelay > Clock::Duration{}) {
                for (int i = 0; i < replyRepeats; ++i) {
                    m_pending.push_back({now + replyDelay + i * replyRepeatGap, reply});
                }
            } else if (m_handler) {
                m_handler(reply.data(), reply.size(), now);
            }
        }
        return true;
    }
    // Replies due by `now` arrive, if the input listens.
    void deliverDue(Clock::TimePoint now) {
        while (!m_pending.empty() && m_pending.front().first <= now) {
            if (m_handler) {
                ++lateRepliesDelivered;
                m_handler(m_pending.front().second.data(), m_pending.front().second.size(),
                          m_pending.front().first);
            }
            m_pending.erase(m_pending.begin());
        }
    }
    bool outputConnected() override {
        if (m_unconnectedPolls > 0) {
            --m_unconnectedPolls;
            return false;
        }
        return m_unconnectedPolls == 0;
    }
    bool outputBusy(Clock::TimePoint now) override { return now < m_busyUntil; }
    void closeOutput() override { log.push_back("close output"); }
    bool closeInput() override {
        if (closeRefusals != 0) {
            if (closeRefusals > 0) {
                --closeRefusals;
            }
            log.push_back("close input refused");
            return false;
        }
        log.push_back("close input");
        m_handler = nullptr;
        return true;
    }

private:
    SysExHandler m_handler;
    std::vector<std::pair<Clock::TimePoint, Bytes>> m_pending;
    Clock::TimePoint m_busyUntil{};
    int m_unconnectedPolls = 0;
};

} // namespace tarnwick::testing
