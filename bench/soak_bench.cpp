// 1,000 transfers in a row, as Download Current makes them (temporary file written and read
// back, the preset sent and acknowledged, the follow-up message), against the keypad
// simulator: file descriptors, JACK ports and resident memory counted before and after.
//   tarnwick-soak-bench KEYPAD [TRANSFERS]   (scripts/soak-midi runs it on a private server)
#include "clock.h"
#include "cycle_lock.h"
#include "port_layer.h"
#include "preset/preset_message.h"
#include "resident_memory.h"
#include "rtmidi_backend.h"

#include <jack/jack.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

using namespace tarnwick;

long openFiles() {
    long count = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/self/fd")) {
        ++count;
    }
    return count;
}

// Ports of the server, ours and the others'.
long jackPorts(jack_client_t* client) {
    long count = 0;
    if (const char** ports = jack_get_ports(client, nullptr, nullptr, 0)) {
        while (ports[count]) {
            ++count;
        }
        jack_free(ports);
    }
    return count;
}

struct Counts {
    long files;
    long ports;
    long kib;
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: tarnwick-soak-bench KEYPAD [TRANSFERS]\n");
        return 2;
    }
    const std::string keypad = argv[1];
    const int transfers = argc > 2 ? std::atoi(argv[2]) : 1000;
    jack_client_t* counter = jack_client_open("tarnwick-soak-counter", JackNoStartServer, nullptr);
    if (!counter) {
        std::fprintf(stderr, "tarnwick-soak-bench: no JACK server\n");
        return 1;
    }
    RtMidiBackend backend("Tarnwick Soak");
    SystemClock clock;
    FileCycleLock cycleLock;
    MidiPortLayer ports(backend, clock, cycleLock);
    ports.refreshInterfaces();
    for (std::size_t i = 0; i < ports.interfaceList().size(); ++i) {
        if (ports.interfaceList()[i].name == keypad) {
            ports.setSelectedInterface(int(i));
        }
    }
    int failures = 0;
    const auto transfer = [&](int n) {
        const auto index = PresetIndex::fromZeroBase(n % kPresetCount);
        if (ports.sendPresetMessage(EncodePresetMessage(NewBankPreset(index), index)) !=
            TransferResult::Acknowledged) {
            ++failures;
            return;
        }
        ports.sendPostDownloadPreset(index.zeroBased());
    };
    for (int n = 0; n < 10; ++n) { // everything that is made once is made
        transfer(n);
    }
    const Counts before{openFiles(), jackPorts(counter), ResidentKiB()};
    const auto start = std::chrono::steady_clock::now();
    for (int n = 0; n < transfers; ++n) {
        transfer(n);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const Counts after{openFiles(), jackPorts(counter), ResidentKiB()};
    jack_client_close(counter);
    std::printf("%d transfers in %.1f s, %d not acknowledged\n", transfers, seconds, failures);
    std::printf("open files: %ld before, %ld after\n", before.files, after.files);
    std::printf("JACK ports: %ld before, %ld after\n", before.ports, after.ports);
    std::printf("resident memory: %ld KiB before, %ld KiB after (%+ld KiB)\n", before.kib,
                after.kib, after.kib - before.kib);
    const bool kept = failures == 0 && after.files == before.files && after.ports == before.ports &&
                      after.kib - before.kib < 1024;
    std::printf("%s\n", kept ? "nothing leaked" : "LEAK or failure");
    return kept ? 0 : 1;
}
