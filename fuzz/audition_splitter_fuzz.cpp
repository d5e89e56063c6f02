// libFuzzer harness for the splitter of a preset's MIDI data into the messages an audition
// sends. The input is the 16 data bytes and the placement byte. Besides not crashing: data
// it takes is split into messages that each start with a status byte and that put back
// together give the bytes before the first FF; data it refuses comes with a reason and no
// messages.
#include "fuzz_check.h"
#include "preset/audition.h"

#include <algorithm>

using namespace tarnwick;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PresetRecord record = DefaultPresetRecord();
    record.data.fill(0xFF);
    std::copy_n(data, std::min(size, record.data.size()), record.data.begin());
    if (size > record.data.size()) {
        record.placement = data[record.data.size()];
    }
    const AuditionMessages split = SplitMidiData(record);
    if (!split.refusal.empty()) {
        FuzzCheck(split.messages.empty());
        return 0;
    }
    std::vector<std::uint8_t> joined;
    for (const std::vector<std::uint8_t>& message : split.messages) {
        FuzzCheck(!message.empty() && message.front() >= 0x80);
        joined.insert(joined.end(), message.begin(), message.end());
    }
    const auto end = std::find(record.data.begin(), record.data.end(), std::uint8_t{0xFF});
    FuzzCheck(std::equal(joined.begin(), joined.end(), record.data.begin(), end));
    // What a whole audition sends holds the same data messages, before or after the rest.
    FuzzCheck(PresetAudition(record).messages.size() >= split.messages.size());
    return 0;
}
