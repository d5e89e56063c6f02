// libFuzzer harness for the readers of our JSON: tarnwick-syx import's and the clipboard's
// preset form (both versions) and the rig file.
// Besides not crashing on any input: every preset it takes becomes a message of valid
// System Exclusive that the editor decodes, and exporting those messages and importing the
// text again gives the same bytes.
#include "fuzz_check.h"
#include "instruments/rig.h"
#include "preset/preset_json.h"
#include "preset/syx_file.h"

#include <algorithm>
#include <sstream>

using namespace tarnwick;

namespace {

std::vector<SyxMessage> messagesOf(const std::vector<JsonPreset>& presets) {
    std::vector<SyxMessage> messages;
    for (const JsonPreset& preset : presets) {
        SyxMessage message;
        message.raw = MessageKeepingName(preset.record, preset.number);
        FuzzCheck(std::all_of(message.raw.begin() + 1, message.raw.end() - 1,
                              [](std::uint8_t b) { return b < 0x80; }));
        std::istringstream in(std::string(message.raw.begin(), message.raw.end()));
        const DecodeOutcome outcome = DecodePresetMessage(in);
        FuzzCheck(outcome.record && *outcome.presetByte == preset.number.zeroBased());
        message.presetByte = *outcome.presetByte;
        message.record = *outcome.record;
        messages.push_back(message);
    }
    return messages;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The rig reader: a rig read is written back and read again unchanged.
    std::string rigError;
    if (const auto rig =
            ParseRig(std::string(reinterpret_cast<const char*>(data), size), rigError)) {
        const auto again = ParseRig(RigJson(*rig), rigError);
        FuzzCheck(again && *again == *rig);
    } else {
        FuzzCheck(!rigError.empty());
    }
    // The text reader, as import and the clipboard call it: nothing the JSON library
    // throws may escape it.
    std::vector<JsonPreset> presets;
    std::string error;
    if (!PresetsFromJsonText(std::string(reinterpret_cast<const char*>(data), size), presets,
                             error)) {
        return 0;
    }
    const std::vector<SyxMessage> messages = messagesOf(presets);
    for (const int version : {1, 2}) {
        std::vector<JsonPreset> again;
        FuzzCheck(PresetsFromJson(Json::parse(PresetsToJsonText(messages, version)), again, error));
        const std::vector<SyxMessage> back = messagesOf(again);
        FuzzCheck(back.size() == messages.size());
        for (std::size_t i = 0; i < back.size(); ++i) {
            FuzzCheck(back[i].raw == messages[i].raw);
        }
    }
    return 0;
}
