// Per-message cycle over a real MIDI system: open the pair, send a 153-byte preset,
// wait, close, judge the reply. Reports the time above the fixed 100 ms wait, and the
// same for a cycle that asks the keypad for its identity (no file, no acknowledgement).
//   tarnwick-midi-cycle-bench INTERFACE-NAME [MESSAGES]
// Run it through scripts/bench-midi, which starts a private JACK server and the keypad
// simulator.
#include "clock.h"
#include "cycle_lock.h"
#include "port_layer.h"
#include "preset/preset_message.h"
#include "rtmidi_backend.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

using namespace tarnwick;

namespace {

double msSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    return values[std::size_t(p * double(values.size() - 1))];
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: tarnwick-midi-cycle-bench INTERFACE-NAME [MESSAGES]\n");
        return 2;
    }
    const std::string name = argv[1];
    const int messages = argc > 2 ? std::max(5, std::atoi(argv[2])) : 100;

    RtMidiBackend backend;
    SystemClock clock;
    FileCycleLock cycleLock;
    MidiPortLayer ports(backend, clock, cycleLock);
    ports.refreshInterfaces();
    const auto& list = ports.interfaceList();
    const auto found = std::find_if(list.begin(), list.end(),
                                    [&](const MidiPortPair& p) { return p.name == name; });
    if (found == list.end()) {
        std::fprintf(stderr, "no interface named %s on %s\n", name.c_str(),
                     backend.systemName().c_str());
        return 1;
    }
    ports.setSelectedInterface(int(found - list.begin()));

    std::vector<double> above, identity;
    int acknowledged = 0;
    for (int i = 0; i < messages; ++i) {
        const auto index = PresetIndex::fromZeroBase(i % 100);
        const PresetMessage message = EncodePresetMessage(NewBankPreset(index), index);
        const auto start = std::chrono::steady_clock::now();
        acknowledged += ports.sendAcknowledged(message.data(), message.size(), 5) ==
                        TransferResult::Acknowledged;
        above.push_back(msSince(start) - 100.0);
    }
    for (int i = 0; i < 20; ++i) {
        const auto start = std::chrono::steady_clock::now();
        ports.identify(ports.selectedInterface());
        identity.push_back(msSince(start) - 100.0);
    }
    std::printf("%s, %d messages of 153 bytes, %d acknowledged\n", backend.systemName().c_str(),
                messages, acknowledged);
    std::printf("time above the 100 ms wait: median %.2f ms, p95 %.2f ms, max %.2f ms\n",
                percentile(above, 0.5), percentile(above, 0.95), percentile(above, 1.0));
    std::printf("identity cycles: median %.2f ms above the 100 ms wait\n",
                percentile(identity, 0.5));
    return acknowledged == messages ? 0 : 1;
}
