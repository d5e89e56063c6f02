// libFuzzer harness for the MIDI input parser. Besides not crashing on any stream: every
// message is whole (a status byte, then data bytes only, as many as its kind holds; SysEx
// from F0 to F7), and the same stream cut into chunks (at places the first byte picks)
// gives the same messages as when fed at once.
#include "fuzz_check.h"
#include "preset/midi_input.h"

using namespace tarnwick;

namespace {

std::vector<std::vector<std::uint8_t>> parse(const std::uint8_t* data, std::size_t size,
                                             std::size_t step) {
    MidiParser parser;
    std::vector<std::vector<std::uint8_t>> messages;
    const auto sink = [&messages](const MidiMessage& message) {
        const auto& bytes = message.bytes;
        FuzzCheck(!bytes.empty() && (bytes[0] & 0x80));
        if (message.kind == MidiMessage::Kind::SysEx) {
            FuzzCheck(bytes.size() >= 2 && bytes.front() == 0xF0 && bytes.back() == 0xF7);
            for (std::size_t i = 1; i + 1 < bytes.size(); ++i) {
                FuzzCheck(bytes[i] < 0x80);
            }
        } else {
            for (std::size_t i = 1; i < bytes.size(); ++i) {
                FuzzCheck(bytes[i] < 0x80);
            }
            FuzzCheck(bytes.size() <= 3);
            FuzzCheck((message.channel > 0) == (bytes[0] < 0xF0));
        }
        messages.push_back(bytes);
    };
    for (std::size_t at = 0; at < size; at += step) {
        parser.feed(data + at, std::min(step, size - at), sink);
    }
    return messages;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const std::size_t step = data[0] % 16 + 1;
    FuzzCheck(parse(data + 1, size - 1, size) == parse(data + 1, size - 1, step));
    return 0;
}
