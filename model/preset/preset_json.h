// The JSON form of preset files, for keeping banks as readable text:
// { "format": "tarnwick-presets", "version": 2, "presets": [ ... ] }.
// Version 2 keeps, of each preset, its number, name, placement and MIDI data, and by
// channel only the values switched on (the only ones a preset message carries), each
// channel on one line; fields at their defaults are left out. Version 1 lists every field.
// Either way a file the editor wrote comes back from its JSON form byte for byte.
#pragma once

#include "preset/syx_file.h"

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace tarnwick {

// Keys in the order a reader expects them: format, version, presets; number, name, ...
using Json = nlohmann::ordered_json;

inline constexpr int kJsonVersion = 2;
std::string PresetsToJsonText(const std::vector<SyxMessage>& messages, int version = kJsonVersion);

// The values of `record` switched on, as version 2 writes them: {"1": {"bankMsb": 0,
// "program": 41}, ...}.
Json ChannelsJson(const PresetRecord& record);

struct JsonPreset {
    PresetIndex number;
    PresetRecord record;
};

// Reads either version and checks every field; on the first bad one sets `error` to
// "PATH: REASON" and returns false.
bool PresetsFromJson(const Json& document, std::vector<JsonPreset>& presets, std::string& error);

// JSON text as `tarnwick-syx import` and the editor's paste read it: parsed, every field
// checked, each preset number at most once; the presets in number order. False and a
// one-line reason ("not JSON: ...", "$.presets[0].name: ...", "preset 3 stands more than
// once") otherwise.
bool PresetsFromJsonText(const std::string& text, std::vector<JsonPreset>& presets,
                         std::string& reason);

} // namespace tarnwick
