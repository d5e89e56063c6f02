// Listening through RtMidi; every RtMidi error is caught, so a broken or missing MIDI
// system shows as no inputs or as an input that will not open.
#include "rtmidi_inputs.h"

#include "jack_graph_watch.h"

#include <RtMidi.h>

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
    {
        std::lock_guard lock(m_mutex);
        m_receiver = nullptr;
    }
    // libjack may crash when a client of a server that has gone closes: the dead client is
    // kept, untouched, for as long as the program runs.
    static auto* const dead = new std::vector<const void*>;
    dead->push_back(m_in.release());
    dead->push_back(m_jack.release());
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
    const RtMidi::Api current = m_in->getCurrentApi();
    m_kind = current == RtMidi::LINUX_ALSA  ? MidiSystemKind::Alsa
             : current == RtMidi::UNIX_JACK ? MidiSystemKind::Jack
                                            : MidiSystemKind::Other;
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
            ports.emplace_back(i,
                               m_kind == MidiSystemKind::Alsa ? InterfaceName(m_kind, name) : name);
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

bool RtMidiInputs::open(const std::string& name, Receiver receiver) {
    close();
    for (const auto& [number, shown] : listing()) {
        if (shown != name) {
            continue;
        }
        {
            std::lock_guard lock(m_mutex);
            m_receiver = std::move(receiver);
        }
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
        return false;
    }
    return false;
}

void RtMidiInputs::close() {
    {
        std::lock_guard lock(m_mutex);
        m_receiver = nullptr;
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

void RtMidiInputs::onMessage(double /*timeStamp*/, std::vector<unsigned char>* message,
                             void* self) {
    auto* inputs = static_cast<RtMidiInputs*>(self);
    if (message == nullptr || message->empty()) {
        return;
    }
    std::lock_guard lock(inputs->m_mutex);
    if (inputs->m_receiver) {
        inputs->m_receiver(message->data(), message->size());
    }
}

} // namespace tarnwick
