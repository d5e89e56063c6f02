// The commands of tarnwick-syx that listen to a MIDI input: inputs, monitor and learn.
// They use the editor's own listener and parser, and never send anything.
#include "commands.h"

#include "cli_support.h"
#include "midi_listener.h"
#include "port_in_use.h"
#include "preset/hex.h"
#include "preset/preset_json.h"
#include "preset/preset_text.h"
#include "rtmidi_inputs.h"

#include <CLI/CLI.hpp>

#include <array>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <iomanip>
#include <iostream>
#include <memory>
#include <sstream>
#include <thread>

namespace tarnwick::cli {

namespace {

using SteadyClock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Set by Ctrl+C or SIGTERM: the command ends as if its time were up.
std::atomic<bool> g_stopRequested{false};
extern "C" void requestStop(int) {
    g_stopRequested = true;
}

struct Arguments {
    std::string input;
    bool asJson = false;
    int count = 0;      // monitor: end after this many messages; 0: no limit
    double seconds = 0; // monitor: no limit at 0
    double learnSeconds = 60;
    double quiet = 3; // learn: end after this long with nothing learned
    std::string bank; // learn: the bank file
    int preset = 0;   // learn: 1-100
    std::string out;  // learn: written instead of the bank
};

// One input listened to, its messages waited for on this thread.
class Listening {
public:
    Listening() : m_listener(m_inputs) {
        std::signal(SIGINT, requestStop);
        std::signal(SIGTERM, requestStop);
    }

    // Listens to the input `wanted` names (as -p names interfaces); `keep` chooses the
    // messages wanted.
    int open(const std::string& wanted, MidiListener::Keep keep) {
        if (wanted.empty()) {
            return usageError("which MIDI input? Give --port, or set TARNWICK_INPUT");
        }
        const std::vector<std::string> names = m_listener.inputs();
        const NameMatch match = matchName(names, wanted, "MIDI input", "inputs");
        if (match.result != kOk) {
            return match.result;
        }
        m_name = names[match.index];
        if (!m_listener.open(m_name, std::move(keep))) {
            return fail(m_listener.inputHeldElsewhere() ? PortInUseText(m_name)
                                                        : "could not listen to " + m_name);
        }
        m_start = SteadyClock::now();
        std::cerr << "tarnwick-syx: listening to " << m_name << '\n';
        return kOk;
    }
    const std::string& name() const { return m_name; }
    SteadyClock::time_point start() const { return m_start; }
    long long elapsedMs() const {
        return std::chrono::duration_cast<milliseconds>(SteadyClock::now() - m_start).count();
    }

    // When a message arrived, in ms since listening started.
    long long msOf(const HeardMessage& message) const {
        return std::chrono::duration_cast<milliseconds>(message.arrived - m_start).count();
    }

    // The messages that came, once some came, `until` passed or a stop was asked for.
    // The MIDI thread wakes nobody (that would take a lock there): what it received is
    // looked for every few ms, and a stop heard within a tenth of a second.
    std::vector<HeardMessage> wait(SteadyClock::time_point until) {
        const auto limit = std::min(until, SteadyClock::now() + milliseconds(100));
        while (!m_listener.waiting() && !g_stopRequested && SteadyClock::now() < limit) {
            std::this_thread::sleep_for(milliseconds(kLookMs));
        }
        return m_listener.take();
    }
    // How many deliveries were lost for full rings since listening started.
    std::size_t dropped() const { return m_listener.dropped(); }

    // Whether the input is still there, asked twice a second at most.
    bool present() {
        const auto now = SteadyClock::now();
        if (now - m_lastCheck < milliseconds(500)) {
            return true;
        }
        m_lastCheck = now;
        return m_listener.inputPresent();
    }
    std::string goneText() const { return "the MIDI input " + m_name + " is gone"; }
    int gone() { return fail(goneText()); }

private:
    RtMidiInputs m_inputs{"tarnwick-syx"};
    MidiListener m_listener;
    std::string m_name;
    SteadyClock::time_point m_start{};
    SteadyClock::time_point m_lastCheck{};
    static constexpr int kLookMs = 2;
};

int inputs(bool asJson) {
    RtMidiInputs system("tarnwick-syx");
    return printNames(system.names(), asJson, "No MIDI inputs found");
}

// A message's kind and values as the monitor shows them: programs 1 to 128, pitch bend
// from -8192 to 8191.
struct Described {
    std::string kind;
    std::vector<std::pair<const char*, int>> values;
};
Described describe(const MidiMessage& message) {
    const std::vector<std::uint8_t>& b = message.bytes;
    using Kind = MidiMessage::Kind;
    switch (message.kind) {
    case Kind::NoteOff:
        return {"note-off", {{"note", b[1]}, {"velocity", b[2]}}};
    case Kind::NoteOn:
        return {"note-on", {{"note", b[1]}, {"velocity", b[2]}}};
    case Kind::PolyPressure:
        return {"poly-pressure", {{"note", b[1]}, {"pressure", b[2]}}};
    case Kind::Control:
        return {"control", {{"controller", b[1]}, {"value", b[2]}}};
    case Kind::Program:
        return {"program", {{"program", b[1] + 1}}};
    case Kind::ChannelPressure:
        return {"channel-pressure", {{"pressure", b[1]}}};
    case Kind::PitchBend:
        return {"pitch-bend", {{"bend", (b[1] | (b[2] << 7)) - 8192}}};
    case Kind::SysEx:
        return {"sysex", {{"length", int(b.size())}}};
    case Kind::SystemCommon:
        switch (b[0]) {
        case 0xF1:
            return {"quarter-frame", {{"value", b[1]}}};
        case 0xF2:
            return {"song-position", {{"position", b[1] | (b[2] << 7)}}};
        case 0xF3:
            return {"song-select", {{"song", b[1]}}};
        default:
            return {"tune-request", {}};
        }
    case Kind::Realtime:
        break;
    }
    switch (b[0]) {
    case 0xF8:
        return {"clock", {}};
    case 0xFA:
        return {"start", {}};
    case 0xFB:
        return {"continue", {}};
    case 0xFC:
        return {"stop", {}};
    case 0xFE:
        return {"active-sensing", {}};
    default:
        return {"reset", {}};
    }
}

// SysEx on one line: its first 16 bytes, then "..." and its last.
std::string sysExText(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i == 16 && bytes.size() > 17) {
            text += " ...";
            i = bytes.size() - 1;
        }
        text += (text.empty() ? "" : " ") + HexPair(bytes[i]);
    }
    return text + " (" + Counted(bytes.size(), "byte") + ")";
}

// Prints what an input receives, one message a line; clock and active sensing, which
// come many times a second, are counted and told once a second.
class Monitor {
public:
    explicit Monitor(bool asJson) : m_asJson(asJson), m_names(RigNamer()) {}

    // False when the message is one counted, not printed.
    bool print(const MidiMessage& message, long long ms) {
        if (message.kind == MidiMessage::Kind::Realtime &&
            (message.bytes[0] == 0xF8 || message.bytes[0] == 0xFE)) {
            ++m_counted[message.bytes[0] == 0xF8 ? 0 : 1];
            return false;
        }
        const Described described = describe(message);
        const std::string sound = soundOf(message);
        if (m_asJson) {
            Json line = {{"t", ms}};
            line["channel"] = message.channel > 0 ? Json(message.channel) : Json(nullptr);
            line["kind"] = described.kind;
            for (const auto& [name, value] : described.values) {
                line[name] = value;
            }
            if (!sound.empty()) {
                line["sound"] = sound;
            }
            line["bytes"] = message.bytes;
            std::cout << JsonText(line, -1) << '\n';
        } else {
            std::string values;
            if (message.kind == MidiMessage::Kind::SysEx) {
                values = sysExText(message.bytes);
            } else {
                for (const auto& value : described.values) {
                    values += ' ' + std::to_string(value.second);
                }
            }
            std::cout << std::setw(8) << ms << " ms  " << std::left << std::setw(6)
                      << (message.channel > 0 ? "ch " + std::to_string(message.channel) : "-")
                      << std::right << described.kind
                      << (message.kind == MidiMessage::Kind::SysEx ? " " : "") << values
                      << (sound.empty() ? "" : "  " + sound) << '\n';
        }
        return true;
    }
    // The clock and active sensing counted since the last summary, once a second.
    void summarise(long long ms, bool now = false) {
        if (!now && ms < m_nextSummary) {
            return;
        }
        m_nextSummary = (ms / 1000 + 1) * 1000;
        if (m_counted[0] == 0 && m_counted[1] == 0) {
            return;
        }
        if (m_asJson) {
            Json line = {{"t", ms}, {"channel", nullptr}, {"kind", "realtime"}};
            line["clock"] = m_counted[0];
            line["active-sensing"] = m_counted[1];
            std::cout << JsonText(line, -1) << '\n';
        } else {
            std::cout << std::setw(8) << ms << " ms  " << std::left << std::setw(6) << "-"
                      << std::right << "clock " << m_counted[0] << ", active-sensing "
                      << m_counted[1] << " since the last line\n";
        }
        m_counted = {0, 0};
    }

    // Says how many messages were lost for full rings, as they are lost (`dropped` counts
    // them all since listening started) and, when any were, at the end.
    void lost(std::size_t dropped, long long ms, bool atTheEnd = false) {
        const std::size_t newly = dropped - m_toldDropped;
        m_toldDropped = dropped;
        if (newly == 0 && !(atTheEnd && dropped > 0)) {
            return;
        }
        const std::size_t count = atTheEnd ? dropped : newly;
        if (m_asJson) {
            Json line = {{"t", ms}, {"dropped", count}};
            if (atTheEnd) {
                line["inAll"] = true;
            }
            std::cout << JsonText(line, -1) << '\n';
            std::cout.flush();
        }
        std::cerr << "tarnwick-syx: " << Counted(count, "message")
                  << (atTheEnd ? " lost in all" : " lost: they came faster than they were printed")
                  << '\n';
    }

private:
    // The sound a program change selects, with the bank selects its channel received last.
    std::string soundOf(const MidiMessage& message) {
        const std::optional<LearnedSound> selected = m_banks.take(message);
        if (!selected || !m_names) {
            return {};
        }
        const ChannelSlot off{{kSlotDisabled, kSlotDisabled, kSlotDisabled}};
        return m_names(selected->channel, LearnedSlot(off, *selected));
    }

    bool m_asJson;
    ChannelNamer m_names;
    ChannelLearner m_banks;               // each channel's bank, as the synth follows it
    std::array<long long, 2> m_counted{}; // clock, active sensing
    std::size_t m_toldDropped = 0;
    long long m_nextSummary = 1000;
};

int monitor(const Arguments& args) {
    // Listening starts first: what comes while the rig's instrument files are read waits in
    // the listener's rings, each message with the time it came.
    Listening listening;
    if (const int opened = listening.open(args.input, [](const MidiMessage&) { return true; });
        opened != kOk) {
        return opened;
    }
    Monitor monitor(args.asJson);
    const auto end = args.seconds > 0
                         ? listening.start() + std::chrono::duration_cast<SteadyClock::duration>(
                                                   std::chrono::duration<double>(args.seconds))
                         : SteadyClock::time_point::max();
    int printed = 0;
    int result = kOk;
    while (!g_stopRequested && SteadyClock::now() < end) {
        const std::vector<HeardMessage> messages = listening.wait(end);
        for (const HeardMessage& message : messages) {
            const long long ms = listening.msOf(message);
            monitor.summarise(ms);
            if (monitor.print(message, ms) && ++printed == args.count) {
                break;
            }
        }
        monitor.lost(listening.dropped(), listening.elapsedMs());
        monitor.summarise(listening.elapsedMs());
        std::cout.flush();
        if (args.count > 0 && printed >= args.count) {
            break;
        }
        if (!listening.present()) {
            result = listening.gone();
            break;
        }
    }
    monitor.summarise(listening.elapsedMs(), true);
    monitor.lost(listening.dropped(), listening.elapsedMs(), true);
    std::cout.flush();
    return result;
}

int learn(const Arguments& args) {
    std::vector<SyxMessage> messages;
    if (!load(args.bank, messages)) {
        return kBad;
    }
    SyxMessage* target = presetIn(messages, args.preset, args.bank);
    if (!target) {
        return kBad;
    }
    Listening listening;
    if (const int opened = listening.open(args.input, &ChannelLearner::hears); opened != kOk) {
        return opened;
    }
    // Read while what is sent waits in the listener's rings.
    const ChannelNamer names = RigNamer();
    const auto after = [](double seconds) {
        return std::chrono::duration_cast<SteadyClock::duration>(
            std::chrono::duration<double>(seconds));
    };
    const auto end = listening.start() + after(args.learnSeconds);
    auto quietUntil = SteadyClock::time_point::max(); // from the first message on
    ChannelLearner learner;
    std::array<bool, kChannelCount> changed{};
    bool gone = false;
    while (!g_stopRequested && SteadyClock::now() < std::min(end, quietUntil)) {
        for (const HeardMessage& message : listening.wait(std::min(end, quietUntil))) {
            if (quietUntil == SteadyClock::time_point::max()) {
                quietUntil = SteadyClock::now() + after(args.quiet);
            }
            const std::optional<LearnedSound> learned = learner.take(message);
            if (!learned) {
                continue;
            }
            ChannelSlot& slot = target->record.channel(learned->channel);
            slot = LearnedSlot(slot, *learned);
            changed[std::size_t(learned->channel - 1)] = true;
            quietUntil = SteadyClock::now() + after(args.quiet);
        }
        // An input that goes away ends learning as the quiet time does.
        if (!listening.present()) {
            gone = true;
            break;
        }
    }
    if (std::find(changed.begin(), changed.end(), true) == changed.end()) {
        return fail("nothing learned from " + listening.name() + "; " + args.bank +
                    " is unchanged" + (gone ? "; " + listening.goneText() : std::string()));
    }
    if (gone) {
        std::cerr << "tarnwick-syx: learning ended: " << listening.goneText() << '\n';
    }
    const int written = outputMessages(args.out.empty() ? args.bank : args.out, messages);
    if (written != kOk) {
        return written;
    }
    for (int channel = 1; channel <= kChannelCount; ++channel) {
        if (!changed[std::size_t(channel - 1)]) {
            continue;
        }
        const ChannelSlot& slot = target->record.channel(channel);
        const std::string sound = names ? names(channel, slot) : std::string();
        std::cout << "Preset " << args.preset << " channel " << channel << ": "
                  << ChannelValues(slot) << (sound.empty() ? "" : " " + sound) << '\n';
    }
    return kOk;
}

} // namespace

void AddListenCommands(CLI::App& app, int& result) {
    auto args = std::make_shared<Arguments>();
    const char* defaultInput = std::getenv("TARNWICK_INPUT");
    args->input = defaultInput ? defaultInput : "";
    const auto inputOption = [args](CLI::App* sub) {
        sub->add_option("-p,--port", args->input,
                        "MIDI input: its name or a part of it (default: $TARNWICK_INPUT)");
        return sub;
    };

    AddCommand(app, result, "inputs", "List the MIDI inputs monitor and learn listen to.", [args] {
        return inputs(args->asJson);
    })->add_flag("--json", args->asJson, "as JSON, for scripts");

    CLI::App* monitorCommand = inputOption(
        AddCommand(app, result, "monitor",
                   "Print what a MIDI input receives, one message a line, until Ctrl+C.",
                   [args] { return monitor(*args); }));
    monitorCommand->add_flag("--json", args->asJson,
                             "one JSON object a line: t, channel, kind, values, bytes");
    monitorCommand->add_option("--count", args->count, "end after N messages")
        ->check(CLI::PositiveNumber);
    monitorCommand->add_option("--seconds", args->seconds, "end after S seconds")
        ->check(CLI::PositiveNumber);

    CLI::App* learnCommand = inputOption(AddCommand(
        app, result, "learn",
        "Learn a preset's bank selects and program changes from what a MIDI input receives, "
        "as a synth sends them when a sound is chosen on its panel.",
        [args] { return learn(*args); }));
    learnCommand->add_option("BANK", args->bank, "bank or one-preset file (.syx)")->required();
    learnCommand->add_option("PRESET", args->preset, "1-100")
        ->required()
        ->check(CLI::Range(1, kPresetCount));
    learnCommand->add_option("-o,--output", args->out, "file to write instead of BANK");
    learnCommand
        ->add_option("--seconds", args->learnSeconds, "listen S seconds at most (default 60)")
        ->check(CLI::PositiveNumber);
    learnCommand
        ->add_option("--quiet", args->quiet,
                     "end once Q seconds pass with nothing learned (default 3)")
        ->check(CLI::PositiveNumber);
}

} // namespace tarnwick::cli
