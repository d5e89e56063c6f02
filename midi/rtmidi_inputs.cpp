// Listening through RtMidi; every RtMidi error is caught, so a broken or missing MIDI
// system shows as no inputs or as an input that will not open.
#include "rtmidi_inputs.h"

#include "jack_graph_watch.h"
#include "port_in_use.h"

#include <RtMidi.h>

#include <thread>

namespace tarnwick {

RtMidiInputs::RtMidiInputs(std::string clientName) : m_clientName(std::move(clientName)) {}

RtMidiInputs::~RtMidiInputs() {
    if (systemLost()) {
        abandon();
        return;
    }
    close();
}

bool RtMidiInputs::systemLost() {
    return m_jack && m_jack->serverLost();
}

void RtMidiInputs::abandon() {
    m_receiver = nullptr; // the server is gone: no callback runs any more
    AbandonDeadClient(m_in);
    AbandonDeadClient(m_jack);
}

bool RtMidiInputs::ensureSystem() {
    if (systemLost()) {
        abandon();
    }
    if (m_in) {
        return true;
    }
    const std::optional<int> api = MidiApiToUse(m_clientName);
    if (!api) {
        return false;
    }
    m_in = MakeRtMidiIn(*api, m_clientName, m_errors);
    if (!m_in) {
        return false;
    }
    m_in->ignoreTypes(false, false, false); // everything in: the listener chooses
    m_kind = SystemKindOf(m_in->getCurrentApi());
    if (m_kind == MidiSystemKind::Jack) {
        m_jack = std::make_unique<JackGraphWatch>(m_clientName);
        if (!m_jack->usable()) {
            m_jack.reset();
        }
    }
    return true;
}

std::vector<std::pair<unsigned, std::string>> RtMidiInputs::listing() {
    std::vector<std::pair<unsigned, std::string>> ports;
    if (!ensureSystem()) {
        return ports;
    }
    try {
        const unsigned count = m_in->getPortCount();
        for (unsigned i = 0; i < count; ++i) {
            const std::string name = m_in->getPortName(i);
            if (name.empty() || IsOwnPort(m_kind, name, m_clientName)) {
                continue;
            }
            ports.emplace_back(i, InputName(m_kind, name));
        }
    } catch (const RtMidiError&) {
        ports.clear();
    }
    return ports;
}

std::vector<std::string> RtMidiInputs::names() {
    std::vector<std::string> names;
    for (auto& port : listing()) {
        names.push_back(std::move(port.second));
    }
    return names;
}

bool RtMidiInputs::open(const std::string& name, MidiReceiver& receiver) {
    close();
    m_heldElsewhere = false;
    for (const auto& [number, shown] : listing()) {
        if (shown != name) {
            continue;
        }
        m_receiver = &receiver;
        try {
            m_in->setCallback(&RtMidiInputs::onMessage, this);
            m_errors.take();
            m_in->openPort(number, "in");
            if (m_in->isPortOpen() && !m_errors.take()) {
                return true;
            }
        } catch (const RtMidiError&) {
        }
        close();
        m_heldElsewhere = m_kind == MidiSystemKind::WinMM && WinMMPortHeldElsewhere(true, number);
        return false;
    }
    return false;
}

void RtMidiInputs::close() {
    // Sequentially consistent, with the callback's count and load: a callback that found
    // the receiver is counted before this looks at the count.
    m_receiver = nullptr;
    while (m_delivering.load() != 0) {
        std::this_thread::yield();
    }
    if (!m_in || systemLost()) {
        return;
    }
    try {
        if (m_in->isPortOpen()) {
            m_in->closePort();
        }
        m_in->cancelCallback();
    } catch (const RtMidiError&) {
    }
}

// On the MIDI system's thread (JACK's process thread): no lock, no allocation.
void RtMidiInputs::onMessage(double /*timeStamp*/, std::vector<unsigned char>* message,
                             void* self) {
    auto* inputs = static_cast<RtMidiInputs*>(self);
    if (message == nullptr || message->empty()) {
        return;
    }
    inputs->m_delivering.fetch_add(1);
    if (MidiReceiver* receiver = inputs->m_receiver.load()) {
        receiver->receive(message->data(), message->size());
    }
    inputs->m_delivering.fetch_sub(1);
}

} // namespace tarnwick
