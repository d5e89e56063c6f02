// The JSON form of preset files, for keeping banks as readable text:
// { "format": "tarnwick-presets", "version": 1, "presets": [ ... ] }.
// Every field of a preset message is there, so a file the editor wrote comes back from
// its JSON form byte for byte.
#pragma once

#include "syx_file.h"

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace tarnwick {

// Keys in the order a reader expects them: format, version, presets; number, name, ...
using Json = nlohmann::ordered_json;

Json PresetsToJson(const std::vector<SyxMessage>& messages);

struct JsonPreset {
    PresetIndex number;
    PresetRecord record;
};

// Checks every field; on the first bad one sets `error` to "PATH: REASON" and returns false.
bool PresetsFromJson(const Json& document, std::vector<JsonPreset>& presets, std::string& error);

} // namespace tarnwick
