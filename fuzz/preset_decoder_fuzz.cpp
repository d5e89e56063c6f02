// libFuzzer harness for the preset message decoder. Besides not crashing on any input,
// a message that decodes must have consumed exactly 153 bytes and must survive an
// encode/decode round trip unchanged (up to what a message cannot carry).
#include "preset_message.h"

#include <cstdlib>
#include <sstream>
#include <string>

using namespace tarnwick;

namespace {

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    const DecodeOutcome outcome = DecodePresetMessage(in);
    check(outcome.record.has_value() == (outcome.error == DecodeError::None));
    if (!outcome.record) {
        return 0;
    }
    check(outcome.presetByte && *outcome.presetByte < kPresetCount);
    check(in.tellg() == static_cast<std::streamoff>(kPresetMessageSize));

    const PresetMessage message =
        EncodePresetMessage(*outcome.record, PresetIndex::fromZeroBase(*outcome.presetByte));
    std::istringstream again(std::string(message.begin(), message.end()));
    const DecodeOutcome second = DecodePresetMessage(again);
    check(second.record && *second.record == CarriedByMessage(*outcome.record));
    return 0;
}
