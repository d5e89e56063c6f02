// Sounds by name: reading every instrument file of a folder (Debian's ardour-data by
// default), then naming the 16 channels of presets through a rig of four instruments.
// Usage: tarnwick-sound-names-bench [FOLDER]
#include "instruments/instrument_library.h"
#include "instruments/rig.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>

using namespace tarnwick;
using Clock = std::chrono::steady_clock;

int main(int argc, char** argv) {
    const std::filesystem::path folder = argc > 1 ? argv[1] : "/usr/share/ardour7/patchfiles";
    const auto start = Clock::now();
    InstrumentLibrary library;
    library.load({folder});
    const double loadMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::size_t sounds = 0;
    for (const Instrument& instrument : library.instruments()) {
        sounds += instrument.soundCount();
    }
    std::printf("read %zu instruments, %zu sounds, %zu files refused: %.0f ms\n",
                library.instruments().size(), sounds, library.fileProblems().size(), loadMs);

    // Four instruments with the most sounds, on channels 1-4 and again on 5-16.
    std::vector<const Instrument*> biggest;
    for (const Instrument& instrument : library.instruments()) {
        biggest.push_back(&instrument);
    }
    std::sort(biggest.begin(), biggest.end(), [](const Instrument* a, const Instrument* b) {
        return a->soundCount() > b->soundCount();
    });
    Rig rig;
    for (int channel = 0; channel < kRigChannels; ++channel) {
        rig.channels[std::size_t(channel)].instrument = biggest[std::size_t(channel % 4)]->name;
    }
    const RigNames names(rig, library);
    std::mt19937 random(7);
    std::vector<PresetRecord> presets(1000);
    // Each channel selects one of its instrument's own sounds, as a real preset would.
    for (PresetRecord& preset : presets) {
        for (int channel = 1; channel <= kChannelCount; ++channel) {
            const NameSet& set = *names.nameSet(channel);
            const Sound& sound = set.sounds[random() % set.sounds.size()];
            preset.channel(channel) =
                ChannelSlot{{sound.msb.value_or(kSlotDisabled), sound.lsb.value_or(kSlotDisabled),
                             sound.program}};
        }
    }
    std::size_t named = 0;
    const auto naming = Clock::now();
    for (const PresetRecord& preset : presets) {
        for (int channel = 1; channel <= kChannelCount; ++channel) {
            named += names.name(channel, preset.channel(channel)).shown.empty() ? 0 : 1;
        }
    }
    const double perPreset =
        std::chrono::duration<double, std::micro>(Clock::now() - naming).count() /
        double(presets.size());
    std::printf("named the 16 channels of a preset (4 instruments, %zu of %zu named): %.1f us\n",
                named, presets.size() * 16, perPreset);
    return 0;
}
