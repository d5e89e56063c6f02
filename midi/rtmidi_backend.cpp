// RtMidi objects are built once and reused; every RtMidi error is caught, so a broken
// or missing MIDI system shows as no devices or as a port that will not open.
#include "rtmidi_backend.h"

#include "jack_graph_watch.h"
#include "port_in_use.h"
#include "preset/sysex.h"

#include <RtMidi.h>

#ifdef TARNWICK_HAVE_JACK
#include <jack/jack.h>
#endif

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string_view>
#include <type_traits>

namespace tarnwick {

namespace {

using namespace std::chrono_literals;

// RtMidi reports no end of sending: a message counts as gone when it would have left a
// 31,250-baud MIDI line, and the keypad gets 50 ms more to answer.
constexpr auto kWireTimePerByte = 320us;
constexpr auto kReplyAllowance = 50ms;

// With a callback installed RtMidi reports its errors there instead of throwing them (or
// printing them): each object's go to its own record.
void recordError(RtMidiError::Type type, const std::string& /*text*/, void* record) {
    auto* errors = static_cast<RtMidiBackend::PortErrors*>(record);
    if (type == RtMidiError::WARNING) {
        errors->warned = true;
    } else if (type != RtMidiError::DEBUG_WARNING) {
        errors->failed = true;
    }
}

#ifdef __linux__
bool jackRunning(const std::string& clientName) {
#ifdef TARNWICK_HAVE_JACK
    // Asked of libjack directly, quietly: it would otherwise report a missing server on
    // the console, and so would RtMidi.
    jack_set_error_function([](const char*) {});
    jack_set_info_function([](const char*) {});
    jack_client_t* client =
        jack_client_open((clientName + " probe").c_str(), JackNoStartServer, nullptr);
    if (client == nullptr) {
        return false;
    }
    jack_client_close(client);
    return true;
#else
    // RtMidi never starts a JACK server; with none running it warns and lists nothing.
    struct Probe {
        bool noServer = false;
        static void callback(RtMidiError::Type, const std::string& text, void* self) {
            if (text.find("JACK server not running") != std::string::npos) {
                static_cast<Probe*>(self)->noServer = true;
            }
        }
    } probe;
    try {
        RtMidiOut out(RtMidi::UNIX_JACK, clientName + " probe");
        out.setErrorCallback(&Probe::callback, &probe);
        out.getPortCount();
    } catch (const RtMidiError&) {
        return false;
    }
    return !probe.noServer;
#endif
}
#endif

constexpr unsigned kInputBufferBytes = 4096;
constexpr unsigned kInputBuffers = 16;

template <typename Port>
std::unique_ptr<Port> makePort(RtMidi::Api api, const std::string& name,
                               RtMidiBackend::PortErrors& errors) {
    // RtMidi warns on standard error while a port is made, before a callback can take its
    // reports (WinMM: "no MIDI input devices currently available"): not the user's business.
    std::streambuf* const standardError = std::cerr.rdbuf(nullptr);
    std::unique_ptr<Port> port;
    try {
        port = std::make_unique<Port>(api, name);
        port->setErrorCallback(&recordError, &errors);
        if constexpr (std::is_same_v<Port, RtMidiIn>) {
            // WinMM hands an input its data in buffers given before the port opens; a
            // SysEx message is joined from them, and what comes while none is free is lost.
            // Room for a synth's bulk dump (other systems take no buffers).
            port->setBufferSize(kInputBufferBytes, kInputBuffers);
        }
    } catch (const RtMidiError&) {
        port.reset();
    }
    std::cerr.rdbuf(standardError);
    std::cerr.clear();
    return port;
}

} // namespace

std::optional<int> MidiApiToUse(const std::string& clientName) {
#ifdef __linux__
    if (std::filesystem::exists("/dev/snd/seq")) {
        return RtMidi::LINUX_ALSA;
    }
    if (jackRunning(clientName)) {
        return RtMidi::UNIX_JACK;
    }
    return std::nullopt;
#else
    (void)clientName;
    return RtMidi::UNSPECIFIED;
#endif
}

std::unique_ptr<RtMidiIn> MakeRtMidiIn(int api, const std::string& clientName,
                                       RtMidiBackend::PortErrors& errors) {
    return makePort<RtMidiIn>(static_cast<RtMidi::Api>(api), clientName, errors);
}

Clock::Duration MessageOutputTime(std::size_t bytes) {
    return kWireTimePerByte * static_cast<long>(bytes) + kReplyAllowance;
}

std::string JackInterfaceName(const std::string& portName) {
    std::string client = portName.substr(0, portName.find(':'));
    const std::size_t dash = client.rfind('-');
    if (dash != std::string::npos && dash + 3 == client.size() &&
        std::isdigit(static_cast<unsigned char>(client[dash + 1])) &&
        std::isdigit(static_cast<unsigned char>(client[dash + 2]))) {
        client.erase(dash);
    }
    return client;
}

namespace {

bool isDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
}

// "client:port C:P" without its trailing sequencer address.
std::string withoutAlsaAddress(const std::string& portName) {
    const std::size_t blank = portName.rfind(' ');
    if (blank == std::string::npos) {
        return portName;
    }
    const std::string_view address = std::string_view(portName).substr(blank + 1);
    const std::size_t colon = address.find(':');
    if (colon == std::string_view::npos || !isDigits(address.substr(0, colon)) ||
        !isDigits(address.substr(colon + 1))) {
        return portName;
    }
    return portName.substr(0, blank);
}

// Client names of our own programs, whose ports are never MIDI interfaces.
constexpr std::string_view kOwnClients[] = {"Tarnwick Editor", "tarnwick-syx"};

} // namespace

std::string InterfaceName(MidiSystemKind system, const std::string& portName) {
    switch (system) {
    case MidiSystemKind::Alsa:
        return withoutAlsaAddress(portName);
    case MidiSystemKind::Jack:
        return JackInterfaceName(portName);
    case MidiSystemKind::WinMM:
        if (const std::size_t blank = portName.rfind(' ');
            blank != std::string::npos && blank > 0 &&
            isDigits(std::string_view(portName).substr(blank + 1))) {
            return portName.substr(0, blank);
        }
        return portName;
    case MidiSystemKind::Other:
        break;
    }
    return portName;
}

std::string InputName(MidiSystemKind system, const std::string& portName) {
    return system == MidiSystemKind::Jack ? portName : InterfaceName(system, portName);
}

MidiSystemKind SystemKindOf(int api) {
    switch (api) {
    case RtMidi::LINUX_ALSA:
        return MidiSystemKind::Alsa;
    case RtMidi::UNIX_JACK:
        return MidiSystemKind::Jack;
    case RtMidi::WINDOWS_MM:
        return MidiSystemKind::WinMM;
    default:
        return MidiSystemKind::Other;
    }
}

void AbandonDeadClient(const void* object) {
    static auto* const dead = new std::vector<const void*>;
    dead->push_back(object);
}

bool IsOwnPort(MidiSystemKind system, const std::string& portName, const std::string& clientName) {
    std::string client;
    switch (system) {
    case MidiSystemKind::Alsa:
        client = portName.substr(0, portName.find(':'));
        break;
    case MidiSystemKind::Jack:
        client = JackInterfaceName(portName);
        break;
    case MidiSystemKind::WinMM:
    case MidiSystemKind::Other:
        return false; // such systems list no ports of the program's own
    }
    return client == clientName || std::find(std::begin(kOwnClients), std::end(kOwnClients),
                                             client) != std::end(kOwnClients);
}

RtMidiBackend::RtMidiBackend(std::string clientName) : m_clientName(std::move(clientName)) {}

bool RtMidiBackend::ensureSystem() {
    if (serverLost()) {
        abandonSystem(); // its clients are dead: built anew on a server that runs now
    }
    if (m_lister && m_in) {
        return true;
    }
    const std::optional<int> chosen = MidiApiToUse(m_clientName);
    if (!chosen) {
        return false; // no MIDI system: no devices
    }
    const auto api = static_cast<RtMidi::Api>(*chosen);
    m_lister = makePort<RtMidiOut>(api, m_clientName, m_listerErrors);
    m_in = makePort<RtMidiIn>(api, m_clientName, m_inErrors);
    for (Output& output : m_outputs) {
        output.port = makePort<RtMidiOut>(api, m_clientName, output.errors);
    }
    if (!m_lister || !m_in || !m_outputs[0].port || !m_outputs[1].port) {
        dropSystem();
        return false;
    }
    m_api = m_lister->getCurrentApi();
    m_kind = SystemKindOf(m_api);
    m_in->ignoreTypes(false, true, true); // SysEx in; timing and active sensing out
#ifdef TARNWICK_HAVE_JACK
    if (m_api == RtMidi::UNIX_JACK) {
        m_jackGraph = std::make_unique<JackGraphWatch>(m_clientName);
        if (!m_jackGraph->usable()) {
            m_jackGraph.reset();
        }
    }
#endif
    return true;
}

RtMidiBackend::Output& RtMidiBackend::waitForOutput(std::size_t which) {
    Output& output = m_outputs[which];
    if (output.closing.valid()) {
        output.closing.wait();
        output.closing = {};
    }
    return output;
}

bool RtMidiBackend::serverLost() const {
    return m_jackGraph && m_jackGraph->serverLost();
}

void RtMidiBackend::dropSystem() {
    m_in.reset();
    for (Output& output : m_outputs) {
        output.port.reset();
    }
    m_lister.reset();
    m_jackGraph.reset();
}

void RtMidiBackend::abandonSystem() {
    AbandonDeadClient(m_in);
    for (Output& output : m_outputs) {
        AbandonDeadClient(output.port); // on JACK none is closing in the background
        output.target.clear();
    }
    AbandonDeadClient(m_lister);
    AbandonDeadClient(m_jackGraph);
    m_outputOpen = false;
    m_inputSource.clear();
    m_outputList = {};
    m_inputList = {};
    m_listeningTo = 0;
    m_handler = nullptr;
}

RtMidiBackend::~RtMidiBackend() {
    if (serverLost()) {
        abandonSystem();
        return;
    }
    closeOutput();
    closeInput();
    // Kept connections end here; the input first, as its callback reaches this object.
    releaseInput();
    for (std::size_t i = 0; i < m_outputs.size(); ++i) {
        releaseOutput(waitForOutput(i));
    }
}

void RtMidiBackend::releaseOutput(Output& output) {
    try {
        if (output.port && output.port->isPortOpen()) {
            output.port->closePort();
        }
    } catch (const RtMidiError&) {
    }
    output.target.clear();
}

void RtMidiBackend::releaseInput() {
    try {
        if (m_in) {
            if (m_in->isPortOpen()) {
                m_in->closePort();
            }
            m_in->cancelCallback();
        }
    } catch (const RtMidiError&) {
    }
    m_inputSource.clear();
}

std::string RtMidiBackend::systemName() {
    if (!ensureSystem()) {
        return "none";
    }
    return RtMidi::getApiDisplayName(static_cast<RtMidi::Api>(m_api));
}

template <typename Port> int RtMidiBackend::list(Port& port, Listing& listing) {
    listing = {};
    try {
        const unsigned count = port.getPortCount();
        for (unsigned i = 0; i < count; ++i) {
            std::string name = port.getPortName(i);
            if (!name.empty() && IsOwnPort(m_kind, name, m_clientName)) {
                continue;
            }
            listing.ports.push_back(i);
            listing.names.push_back(std::move(name)); // empty: cannot be described
        }
    } catch (const RtMidiError&) {
        listing = {};
    }
    return static_cast<int>(listing.ports.size());
}

std::optional<std::string> RtMidiBackend::nameIn(const Listing& listing, int index,
                                                 MidiSystemKind kind) {
    if (index < 0 || std::size_t(index) >= listing.names.size() ||
        listing.names[std::size_t(index)].empty()) {
        return std::nullopt;
    }
    return InterfaceName(kind, listing.names[std::size_t(index)]);
}

template <typename Port>
std::optional<unsigned> RtMidiBackend::portOf(Port& port, const Listing& listing, int index) {
    if (index < 0 || std::size_t(index) >= listing.ports.size()) {
        return std::nullopt;
    }
    const unsigned number = listing.ports[std::size_t(index)];
    // The ports may have changed since they were listed.
    if (port.getPortName(number) != listing.names[std::size_t(index)]) {
        return std::nullopt;
    }
    return number;
}

int RtMidiBackend::outputCount() {
    return ensureSystem() ? list(*m_lister, m_outputList) : 0;
}

int RtMidiBackend::inputCount() {
    return ensureSystem() ? list(*m_in, m_inputList) : 0;
}

std::optional<std::string> RtMidiBackend::outputName(int index) {
    return nameIn(m_outputList, index, m_kind);
}

std::optional<std::string> RtMidiBackend::inputName(int index) {
    return nameIn(m_inputList, index, m_kind);
}

std::optional<std::string> RtMidiBackend::outputPortName(int index) {
    // ALSA's names without their sequencer address, which a re-plug changes.
    return nameIn(m_outputList, index,
                  m_kind == MidiSystemKind::Alsa ? m_kind : MidiSystemKind::Other);
}

bool RtMidiBackend::openOutput(int index) {
    m_heldElsewhere = false;
    if (!ensureSystem() || index < 0) {
        return false;
    }
    closeOutput();
    try {
        const std::optional<unsigned> number = portOf(*m_lister, m_outputList, index);
        if (!number) {
            return false;
        }
        const std::string target = m_outputList.names[std::size_t(index)];
        if (m_jackGraph) {
            // One output, kept connected while messages go to the same device.
            Output& output = m_outputs[m_current];
            if (output.port->isPortOpen() && output.target == target &&
                m_jackGraph->connectedToUs(target)) {
                m_outputOpen = true;
                return true;
            }
            releaseOutput(output);
            m_jackGraph->expectConnection(target);
        } else {
            m_current = (m_current + 1) % m_outputs.size();
            waitForOutput(m_current);
        }
        Output& output = m_outputs[m_current];
        output.errors.take();
        output.port->openPort(*number, "out");
        output.target = target;
        m_outputOpen = output.port->isPortOpen() && !output.errors.take();
        if (!m_outputOpen) {
            releaseOutput(output);
            m_heldElsewhere =
                m_kind == MidiSystemKind::WinMM && WinMMPortHeldElsewhere(false, *number);
        }
    } catch (const RtMidiError&) {
        m_outputOpen = false;
    }
    return m_outputOpen;
}

bool RtMidiBackend::openInput(int index, SysExHandler handler) {
    m_heldElsewhere = false;
    if (!ensureSystem() || index < 0) {
        return false;
    }
    m_handler = std::move(handler);
    if (++m_openings == 0) {
        ++m_openings; // 0 stands for no opening
    }
    m_listeningTo.store(m_openings, std::memory_order_release);
    std::optional<unsigned> number;
    try {
        number = portOf(*m_in, m_inputList, index);
        if (!number) {
            closeInput();
            return false;
        }
        const std::string source = m_inputList.names[std::size_t(index)];
        if (m_jackGraph && m_in->isPortOpen() && m_inputSource == source &&
            m_jackGraph->connectedToUs(source)) {
            return true;
        }
        releaseInput();
        m_in->setCallback(&RtMidiBackend::onMessage, this);
        m_inErrors.take();
        m_in->openPort(*number, "in");
        m_inputSource = source;
    } catch (const RtMidiError&) {
        closeInput();
        releaseInput();
        return false;
    }
    if (!m_in->isPortOpen() || m_inErrors.take()) {
        closeInput();
        releaseInput();
        m_heldElsewhere =
            m_kind == MidiSystemKind::WinMM && number && WinMMPortHeldElsewhere(true, *number);
        return false;
    }
    return true;
}

bool RtMidiBackend::outputConnected() {
    // The input was connected after the output, in the same graph change or an earlier
    // one, so it listens by the time the output's connection is in effect.
    return !m_outputOpen || !m_jackGraph || m_jackGraph->connected();
}

void RtMidiBackend::onMessage(double /*timeStamp*/, std::vector<unsigned char>* message,
                              void* self) {
    auto* backend = static_cast<RtMidiBackend*>(self);
    const std::uint32_t opening = backend->m_listeningTo.load(std::memory_order_acquire);
    if (opening == 0 || message == nullptr || message->empty() || message->front() != kSysExStart) {
        return;
    }
    // A message the ring has no room for is lost, as one sent into a full MIDI buffer is:
    // a reply among them then goes unacknowledged, which the transfer says.
    backend->m_arrivals.push(message->data(), message->size(), opening);
}

void RtMidiBackend::takeInput() {
    while (m_arrivals.pop(m_arrival)) {
        if (m_handler && m_arrival.tag == m_listeningTo.load(std::memory_order_relaxed)) {
            m_handler(m_arrival.bytes.data(), m_arrival.bytes.size(), m_arrival.arrived);
        }
    }
}

bool RtMidiBackend::send(const std::uint8_t* data, std::size_t size, Clock::TimePoint now) {
    if (!m_outputOpen || size == 0) {
        return false;
    }
    Output& output = m_outputs[m_current];
    try {
        output.errors.take(true);
        output.port->sendMessage(data, size);
    } catch (const RtMidiError&) {
        return false;
    }
    // A message RtMidi could not hand on is reported as a warning: it did not go out.
    if (output.errors.take(true)) {
        return false;
    }
    m_finishedAt = now + MessageOutputTime(size);
    return true;
}

bool RtMidiBackend::outputBusy(Clock::TimePoint now) {
    return now < m_finishedAt;
}

void RtMidiBackend::closeOutput() {
    if (!m_outputOpen) {
        return;
    }
    m_outputOpen = false;
    if (m_jackGraph) {
        return; // stays connected for the next message
    }
    Output& output = m_outputs[m_current];
    output.closing = std::async(std::launch::async, [&output] { releaseOutput(output); });
}

bool RtMidiBackend::closeInput() {
    if (!m_jackGraph) {
        releaseInput();
    }
    // From here on nothing that arrives reaches the caller, kept connection or not.
    takeInput();
    m_listeningTo.store(0, std::memory_order_release);
    m_handler = nullptr;
    return true;
}

} // namespace tarnwick
