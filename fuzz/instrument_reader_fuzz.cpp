// libFuzzer harness for the instrument file readers (MIDNAM and .ins): the first input byte
// picks the reader. Besides not crashing or hanging on any input: every sound read has a
// program 0 to 127 and a name, every name set's index lists each sound once under its
// program, and naming a channel through it never names what the set does not hold.
#include "fuzz_check.h"
#include "instruments/instrument.h"
#include "instruments/sound_names.h"

#include <algorithm>

using namespace tarnwick;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string content(reinterpret_cast<const char*>(data) + 1, size - 1);
    const InstrumentFile file = data[0] % 2 == 0 ? ReadMidnam(content, "fuzz.midnam")
                                                 : ReadInstrumentDefinitions(content, "fuzz.ins");
    FuzzCheck(file.error.empty() || file.instruments.empty());
    for (const Instrument& instrument : file.instruments) {
        for (const NameSet& set : instrument.nameSets) {
            std::size_t indexed = 0;
            for (std::size_t program = 0; program < set.byProgram.size(); ++program) {
                for (const std::uint32_t i : set.byProgram[program]) {
                    FuzzCheck(i < set.sounds.size() && set.sounds[i].program == program);
                    ++indexed;
                }
            }
            FuzzCheck(indexed == set.sounds.size());
            for (const Sound& sound : set.sounds) {
                FuzzCheck(sound.program < 128 && !sound.name.empty());
                ChannelSlot slot{{sound.msb.value_or(kSlotDisabled),
                                  sound.lsb.value_or(kSlotDisabled), sound.program}};
                const SoundName named = NameSound(set, slot);
                FuzzCheck(!named.candidates.empty());
                for (const std::string& candidate : named.candidates) {
                    FuzzCheck(std::any_of(set.sounds.begin(), set.sounds.end(),
                                          [&](const Sound& s) { return s.name == candidate; }));
                }
            }
        }
    }
    return 0;
}
