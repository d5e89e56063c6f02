// libFuzzer harness for the preset message decoder. Besides not crashing on any input,
// a message that decodes must have consumed exactly 153 bytes and must survive an
// encode/decode round trip unchanged (up to what a message cannot carry).
#include "fuzz_check.h"
#include "preset/preset_message.h"

#include <sstream>
#include <string>

using namespace tarnwick;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    const DecodeOutcome outcome = DecodePresetMessage(in);
    FuzzCheck(outcome.record.has_value() == (outcome.error == DecodeError::None));
    if (!outcome.record) {
        return 0;
    }
    FuzzCheck(outcome.presetByte && *outcome.presetByte < kPresetCount);
    FuzzCheck(in.tellg() == static_cast<std::streamoff>(kPresetMessageSize));

    const PresetMessage message =
        EncodePresetMessage(*outcome.record, PresetIndex::fromZeroBase(*outcome.presetByte));
    std::istringstream again(std::string(message.begin(), message.end()));
    const DecodeOutcome second = DecodePresetMessage(again);
    FuzzCheck(second.record && *second.record == CarriedByMessage(*outcome.record));
    return 0;
}
