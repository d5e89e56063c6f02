// Converting presets to and from JSON, with the checks of every imported field.
#include "preset/preset_json.h"

#include "preset/hex.h"

#include <algorithm>
#include <stdexcept>

namespace tarnwick {

using json = Json;

namespace {

const char* const kSlotKeys[] = {"bankMsb", "bankLsb", "program"}; // by SlotKind

// A slot's value as shown: programs 1 to 128, bank selects 0 to 127.
int slotValue(std::uint8_t slotByte, bool program) {
    return program ? ProgramNumberFromStored(slotByte) : slotByte & kSlotValueMask;
}

// The name's bytes as code points U+0000 to U+00FF, so that every byte survives.
std::string nameToUtf8(const PresetRecord& record) {
    std::string text;
    for (std::size_t i = 0; i < kNameLength; ++i) {
        const std::uint8_t b = record.name[i];
        if (b < 0x80) {
            text += char(b);
        } else {
            text += char(0xC0 | (b >> 6));
            text += char(0x80 | (b & 0x3F));
        }
    }
    return text;
}

// A name of at most 13 characters, padded with blanks to 13. Every 7-bit byte is taken
// (export writes a zero byte that hides the rest of a name as \u0000); bytes of 0x80 and
// more cannot travel inside System Exclusive.
bool nameFromText(const std::string& text, std::array<std::uint8_t, kNameLength + 1>& name) {
    if (text.size() > kNameLength ||
        !std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; })) {
        return false;
    }
    name.fill(' ');
    std::copy(text.begin(), text.end(), name.begin());
    name[kNameLength] = 0;
    return true;
}

// Reads one field, naming it in the error.
class Reader {
public:
    explicit Reader(std::string& error) : m_error(error) {}

    bool fail(const std::string& path, const std::string& reason) {
        m_error = path + ": " + reason;
        return false;
    }
    // An object with every one of `keys`, and of `optional` what it likes, nothing else.
    bool object(const json& value, const std::string& path, std::initializer_list<const char*> keys,
                std::initializer_list<const char*> optional = {}) {
        if (!value.is_object()) {
            return fail(path, "must be an object");
        }
        for (const char* key : keys) {
            if (!value.contains(key)) {
                return fail(path + "." + key, "is missing");
            }
        }
        const auto known = [&](const std::string& key, std::initializer_list<const char*> in) {
            return std::find_if(in.begin(), in.end(), [&](const char* k) { return key == k; }) !=
                   in.end();
        };
        for (const auto& item : value.items()) {
            const std::string& key = item.key();
            if (!known(key, keys) && !known(key, optional)) {
                return fail(path + "." + key, "is not a field of this format");
            }
        }
        return true;
    }
    bool integer(const json& value, const std::string& path, int low, int high, int& out) {
        if (!value.is_number_integer() || value.get<long long>() < low ||
            value.get<long long>() > high) {
            return fail(path, "must be a whole number from " + std::to_string(low) + " to " +
                                  std::to_string(high));
        }
        out = value.get<int>();
        return true;
    }
    bool boolean(const json& value, const std::string& path, bool& out) {
        if (!value.is_boolean()) {
            return fail(path, "must be true or false");
        }
        out = value.get<bool>();
        return true;
    }
    bool string(const json& value, const std::string& path, std::string& out) {
        if (!value.is_string()) {
            return fail(path, "must be a string");
        }
        out = value.get<std::string>();
        return true;
    }

private:
    std::string& m_error;
};

json slotJson(std::uint8_t slotByte, bool program) {
    return json{{"enabled", SlotEnabled(slotByte)}, {"value", slotValue(slotByte, program)}};
}

// The fields both versions share: number, name, data and its hidden tail, placement and
// the reserved bytes. Version 2 leaves out the tail, the placement's other bits and the
// reserved bytes when they hold their defaults.
bool readCommonFields(Reader& read, const json& item, const std::string& path, int version,
                      JsonPreset& preset) {
    int number = 0;
    if (!read.integer(item["number"], path + ".number", 1, kPresetCount, number)) {
        return false;
    }
    preset.number = PresetIndex::fromOneBase(number);
    PresetRecord& record = preset.record;
    record = DefaultPresetRecord();

    std::string name;
    if (!read.string(item["name"], path + ".name", name)) {
        return false;
    }
    if (!nameFromText(name, record.name)) {
        return read.fail(path + ".name", "must be at most 13 characters from U+0000 to U+007F");
    }

    const auto optional = [&](const char* key, const json& fallback) -> const json& {
        return version == 1 || item.contains(key) ? item[key] : fallback;
    };
    static const json kEmpty = "";
    static const json kZero = 0;
    std::string data;
    std::string tail;
    if (!read.string(item["data"], path + ".data", data) ||
        !read.string(optional("dataTail", kEmpty), path + ".dataTail", tail)) {
        return false;
    }
    const auto dataBytes = ParseHexPairs(data);
    if (!dataBytes || dataBytes->size() > kMidiDataLength ||
        std::find(dataBytes->begin(), dataBytes->end(), kMidiDataEnd) != dataBytes->end()) {
        return read.fail(path + ".data",
                         "must be up to 16 hex pairs from 00 to FE, single blanks between");
    }
    const auto tailBytes = ParseHexPairs(tail);
    if (!tailBytes ||
        (!tailBytes->empty() && (tailBytes->size() + dataBytes->size() != kMidiDataLength ||
                                 tailBytes->front() != kMidiDataEnd))) {
        return read.fail(
            path + ".dataTail",
            "must be empty, or the bytes from the end marker FF to the 16th as hex pairs");
    }
    record.data.fill(kMidiDataEnd);
    std::copy(dataBytes->begin(), dataBytes->end(), record.data.begin());
    std::copy(tailBytes->begin(), tailBytes->end(),
              record.data.begin() + std::ptrdiff_t(dataBytes->size()));

    std::string placement;
    int bits = 0;
    int reservedA = 0;
    int reservedB = 0;
    if (!read.string(item["placement"], path + ".placement", placement)) {
        return false;
    }
    if (placement != "Pre" && placement != "Post") {
        return read.fail(path + ".placement", "must be \"Pre\" or \"Post\"");
    }
    if (!read.integer(optional("placementBits", kZero), path + ".placementBits", 0, 127, bits) ||
        !read.integer(optional("reservedA", kZero), path + ".reservedA", 0, 255, reservedA) ||
        !read.integer(optional("reservedB", kZero), path + ".reservedB", 0, 255, reservedB)) {
        return false;
    }
    record.placement = std::uint8_t((bits << 1) | (placement == "Post" ? 1 : 0));
    record.reservedA = std::uint8_t(reservedA);
    record.reservedB = std::uint8_t(reservedB);
    return true;
}

bool readSlot(Reader& read, const json& value, const std::string& path, SlotKind kind, bool enabled,
              std::uint8_t& slotByte) {
    const bool program = kind == SlotKind::Program;
    int number = 0;
    if (!read.integer(value, path, program ? 1 : 0, program ? 128 : 127, number)) {
        return false;
    }
    const auto stored = program ? StoredFromProgramNumber(number) : std::uint8_t(number);
    slotByte = enabled ? stored : std::uint8_t(stored | kSlotDisabled);
    return true;
}

// Version 1: a list of 16 channels, every value with its switch.
bool readChannelsV1(Reader& read, const json& channels, const std::string& path,
                    PresetRecord& record) {
    if (!channels.is_array() || channels.size() != std::size_t(kChannelCount)) {
        return read.fail(path, "must be a list of 16 channels");
    }
    for (int c = 1; c <= kChannelCount; ++c) {
        const std::string at = path + "[" + std::to_string(c - 1) + "]";
        const json& channel = channels[std::size_t(c - 1)];
        int channelNumber = 0;
        if (!read.object(channel, at, {"channel", "bankMsb", "bankLsb", "program"}) ||
            !read.integer(channel["channel"], at + ".channel", c, c, channelNumber)) {
            return false;
        }
        for (SlotKind kind : kSlotKinds) {
            const std::string slotPath = at + "." + kSlotKeys[std::size_t(kind)];
            const json& slot = channel[kSlotKeys[std::size_t(kind)]];
            bool enabled = false;
            if (!read.object(slot, slotPath, {"enabled", "value"}) ||
                !read.boolean(slot["enabled"], slotPath + ".enabled", enabled) ||
                !readSlot(read, slot["value"], slotPath + ".value", kind, enabled,
                          record.channel(c)[kind])) {
                return false;
            }
        }
    }
    return true;
}

// Version 2: only the values switched on, by channel number.
bool readChannelsV2(Reader& read, const json& channels, const std::string& path,
                    PresetRecord& record) {
    if (!channels.is_object()) {
        return read.fail(path, "must be an object of channels \"1\" to \"16\"");
    }
    for (const auto& item : channels.items()) {
        const std::string at = path + "." + item.key();
        int c = 0;
        for (int n = 1; n <= kChannelCount; ++n) {
            c = item.key() == std::to_string(n) ? n : c;
        }
        if (c == 0) {
            return read.fail(at, "is no channel: channels are \"1\" to \"16\"");
        }
        if (!read.object(item.value(), at, {}, {"bankMsb", "bankLsb", "program"})) {
            return false;
        }
        for (SlotKind kind : kSlotKinds) {
            const char* key = kSlotKeys[std::size_t(kind)];
            if (item.value().contains(key) && !readSlot(read, item.value()[key], at + "." + key,
                                                        kind, true, record.channel(c)[kind])) {
                return false;
            }
        }
    }
    return true;
}

bool readPreset(Reader& read, const json& item, const std::string& path, int version,
                JsonPreset& preset) {
    const bool fields =
        version == 1 ? read.object(item, path,
                                   {"number", "name", "channels", "data", "dataTail", "placement",
                                    "placementBits", "reservedA", "reservedB"})
                     : read.object(item, path, {"number", "name", "placement", "data", "channels"},
                                   {"dataTail", "placementBits", "reservedA", "reservedB"});
    if (!fields || !readCommonFields(read, item, path, version, preset)) {
        return false;
    }
    return version == 1 ? readChannelsV1(read, item["channels"], path + ".channels", preset.record)
                        : readChannelsV2(read, item["channels"], path + ".channels", preset.record);
}

std::string quoted(const std::string& text) {
    return json(text).dump();
}

std::string hiddenTail(const PresetRecord& r) {
    const auto end = std::find(r.data.begin(), r.data.end(), kMidiDataEnd);
    const bool hidden =
        std::any_of(end, r.data.end(), [](std::uint8_t b) { return b != kMidiDataEnd; });
    return hidden ? HexPairs(&*end, std::size_t(r.data.end() - end)) : "";
}

std::string dataText(const PresetRecord& r) {
    const auto end = std::find(r.data.begin(), r.data.end(), kMidiDataEnd);
    return HexPairs(r.data.data(), std::size_t(end - r.data.begin()));
}

// Version 2, laid out by hand: a preset's fields one a line, a channel's values on one.
std::string presetsToJsonV2(const std::vector<SyxMessage>& messages) {
    std::string text =
        "{\n  \"format\": \"tarnwick-presets\",\n  \"version\": 2,\n  \"presets\": [";
    for (std::size_t i = 0; i < messages.size(); ++i) {
        const PresetRecord& r = messages[i].record;
        std::vector<std::string> fields{
            "\"number\": " + std::to_string(messages[i].presetByte + 1),
            "\"name\": " + quoted(nameToUtf8(r)),
            std::string("\"placement\": ") +
                ((r.placement & kPlacementPost) ? "\"Post\"" : "\"Pre\""),
            "\"data\": " + quoted(dataText(r))};
        if (const std::string tail = hiddenTail(r); !tail.empty()) {
            fields.push_back("\"dataTail\": " + quoted(tail));
        }
        for (const auto& [key, value] :
             {std::pair{"placementBits", r.placement >> 1},
              std::pair{"reservedA", int(r.reservedA)}, std::pair{"reservedB", int(r.reservedB)}}) {
            if (value != 0) {
                fields.push_back("\"" + std::string(key) + "\": " + std::to_string(value));
            }
        }
        std::vector<std::string> channels;
        for (int c = 1; c <= kChannelCount; ++c) {
            std::string values;
            for (SlotKind kind : kSlotKinds) {
                const std::uint8_t slotByte = r.channel(c)[kind];
                if (SlotEnabled(slotByte)) {
                    values += (values.empty() ? "" : ", ") + quoted(kSlotKeys[std::size_t(kind)]) +
                              ": " + std::to_string(slotValue(slotByte, kind == SlotKind::Program));
                }
            }
            if (!values.empty()) {
                channels.push_back("        \"" + std::to_string(c) + "\": {" + values + "}");
            }
        }
        std::string channelText = "\"channels\": {";
        for (std::size_t c = 0; c < channels.size(); ++c) {
            channelText += (c == 0 ? "\n" : ",\n") + channels[c];
        }
        channelText += channels.empty() ? "}" : "\n      }";
        fields.push_back(channelText);
        text += i == 0 ? "\n    {" : ",\n    {";
        for (std::size_t f = 0; f < fields.size(); ++f) {
            text += (f == 0 ? "\n      " : ",\n      ") + fields[f];
        }
        text += "\n    }";
    }
    return text + "\n  ]\n}\n";
}

} // namespace

std::string PresetsToJsonText(const std::vector<SyxMessage>& messages, int version) {
    if (version == 2) {
        return presetsToJsonV2(messages);
    }
    json presets = json::array();
    for (const SyxMessage& message : messages) {
        const PresetRecord& r = message.record;
        json channels = json::array();
        for (int c = 1; c <= kChannelCount; ++c) {
            const ChannelSlot& slot = r.channel(c);
            channels.push_back({{"channel", c},
                                {"bankMsb", slotJson(slot[SlotKind::Msb], false)},
                                {"bankLsb", slotJson(slot[SlotKind::Lsb], false)},
                                {"program", slotJson(slot[SlotKind::Program], true)}});
        }
        presets.push_back({{"number", message.presetByte + 1},
                           {"name", nameToUtf8(r)},
                           {"channels", channels},
                           {"data", dataText(r)},
                           {"dataTail", hiddenTail(r)},
                           {"placement", (r.placement & kPlacementPost) ? "Post" : "Pre"},
                           {"placementBits", r.placement >> 1},
                           {"reservedA", r.reservedA},
                           {"reservedB", r.reservedB}});
    }
    const json document{{"format", "tarnwick-presets"}, {"version", 1}, {"presets", presets}};
    return document.dump(2, ' ', true) + "\n";
}

bool PresetsFromJson(const Json& given, std::vector<JsonPreset>& presets, std::string& error) {
    presets.clear();
    Reader read(error);
    // One preset on its own, or a list of them, as the manual shows them: the newest form.
    Json document = given;
    if ((given.is_object() && !given.contains("format") && given.contains("number")) ||
        given.is_array()) {
        document = Json{{"format", "tarnwick-presets"},
                        {"version", kJsonVersion},
                        {"presets", given.is_array() ? given : Json::array({given})}};
    }
    if (!read.object(document, "$", {"format", "version", "presets"})) {
        return false;
    }
    if (document["format"] != "tarnwick-presets") {
        return read.fail("$.format", "must be \"tarnwick-presets\"");
    }
    int version = 0;
    if (!read.integer(document["version"], "$.version", 1, 2, version)) {
        return false;
    }
    const json& list = document["presets"];
    if (!list.is_array() || list.empty()) {
        return read.fail("$.presets", "must be a list of at least one preset");
    }
    for (std::size_t i = 0; i < list.size(); ++i) {
        JsonPreset preset;
        if (!readPreset(read, list[i], "$.presets[" + std::to_string(i) + "]", version, preset)) {
            return false;
        }
        presets.push_back(preset);
    }
    return true;
}

Json ChannelsJson(const PresetRecord& record) {
    Json channels = Json::object();
    for (int c = 1; c <= kChannelCount; ++c) {
        Json values = Json::object();
        for (SlotKind kind : kSlotKinds) {
            const std::uint8_t slotByte = record.channel(c)[kind];
            if (SlotEnabled(slotByte)) {
                values[kSlotKeys[std::size_t(kind)]] =
                    slotValue(slotByte, kind == SlotKind::Program);
            }
        }
        if (!values.empty()) {
            channels[std::to_string(c)] = values;
        }
    }
    return channels;
}

bool PresetsFromJsonText(const std::string& text, std::vector<JsonPreset>& presets,
                         std::string& reason) {
    // The JSON library throws for more than bad syntax (a number too large for a double is
    // out_of_range): whatever it throws is a text that holds no presets, said in words.
    try {
        const Json document = Json::parse(text);
        if (!PresetsFromJson(document, presets, reason)) {
            return false;
        }
    } catch (const Json::exception& error) {
        reason = std::string("not JSON: ") + error.what();
        return false;
    }
    std::stable_sort(presets.begin(), presets.end(), [](const auto& a, const auto& b) {
        return a.number.zeroBased() < b.number.zeroBased();
    });
    for (std::size_t i = 1; i < presets.size(); ++i) {
        if (presets[i].number.zeroBased() == presets[i - 1].number.zeroBased()) {
            reason =
                "preset " + std::to_string(presets[i].number.oneBased()) + " stands more than once";
            return false;
        }
    }
    return true;
}

} // namespace tarnwick
