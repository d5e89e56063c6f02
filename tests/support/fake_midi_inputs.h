// An in-process MIDI system's inputs: names to choose from, and bytes delivered to the
// open input from a thread of their own, as a MIDI system's thread delivers them.
#pragma once

#include "midi_listener.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>

namespace tarnwick::testing {

class FakeMidiInputs final : public MidiInputs {
public:
    std::vector<std::string> inputs{"Synth A:out", "Synth B:out"};
    bool refuseOpen = false;
    bool heldElsewhere = false; // a refused input is another program's (WinMM)
    bool lost = false;
    std::vector<std::string> opened; // every input opened, in turn

    std::vector<std::string> names() override { return lost ? std::vector<std::string>{} : inputs; }
    bool open(const std::string& name, MidiReceiver& receiver) override {
        if (refuseOpen || std::find(inputs.begin(), inputs.end(), name) == inputs.end()) {
            return false;
        }
        std::lock_guard lock(m_mutex);
        opened.push_back(name);
        m_receiver = &receiver;
        return true;
    }
    void close() override {
        std::lock_guard lock(m_mutex);
        m_receiver = nullptr;
    }
    bool systemLost() override { return lost; }
    bool portHeldElsewhere() override { return heldElsewhere; }

    bool isOpen() {
        std::lock_guard lock(m_mutex);
        return m_receiver != nullptr;
    }
    // Hands `chunks` to the open input in turn, from another thread, and waits for it;
    // `gap` apart, as a player sends them, when given.
    void send(const std::vector<std::vector<std::uint8_t>>& chunks,
              std::chrono::milliseconds gap = {}) {
        std::thread midi([&] {
            for (const auto& chunk : chunks) {
                if (gap.count() > 0 && &chunk != &chunks.front()) {
                    std::this_thread::sleep_for(gap);
                }
                std::lock_guard lock(m_mutex);
                if (m_receiver) {
                    m_receiver->receive(chunk.data(), chunk.size());
                }
            }
        });
        midi.join();
    }

private:
    std::mutex m_mutex;
    MidiReceiver* m_receiver = nullptr;
};

} // namespace tarnwick::testing
