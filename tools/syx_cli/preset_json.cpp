// Converting presets to and from JSON, with the checks of every imported field.
#include "preset_json.h"

#include "hex.h"

#include <algorithm>
#include <stdexcept>

namespace tarnwick {

using json = Json;

namespace {

const char* const kSlotKeys[] = {"bankMsb", "bankLsb", "program"};

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

bool nameFromUtf8(const std::string& text, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = std::uint8_t(text[i]);
        if (c < 0x80) {
            bytes.push_back(c);
        } else if ((c & 0xE0) == 0xC0 && c <= 0xC3 && i + 1 < text.size()) {
            bytes.push_back(std::uint8_t(((c & 0x1F) << 6) | (std::uint8_t(text[++i]) & 0x3F)));
        } else {
            return false; // a character beyond U+00FF
        }
    }
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
    bool object(const json& value, const std::string& path,
                std::initializer_list<const char*> keys) {
        if (!value.is_object()) {
            return fail(path, "must be an object");
        }
        for (const char* key : keys) {
            if (!value.contains(key)) {
                return fail(path + "." + key, "is missing");
            }
        }
        for (const auto& item : value.items()) {
            const std::string& key = item.key();
            if (std::find_if(keys.begin(), keys.end(), [&](const char* k) { return key == k; }) ==
                keys.end()) {
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
    const int value = program ? ProgramNumberFromStored(slotByte) : slotByte & kSlotValueMask;
    return json{{"enabled", SlotEnabled(slotByte)}, {"value", value}};
}

bool readPreset(Reader& read, const json& item, const std::string& path, JsonPreset& preset) {
    if (!read.object(item, path,
                     {"number", "name", "channels", "data", "dataTail", "placement",
                      "placementBits", "reservedA", "reservedB"})) {
        return false;
    }
    int number = 0;
    if (!read.integer(item["number"], path + ".number", 1, kPresetCount, number)) {
        return false;
    }
    preset.number = PresetIndex::fromOneBase(number);
    PresetRecord& record = preset.record;
    record = DefaultPresetRecord();

    std::string name;
    std::vector<std::uint8_t> nameBytes;
    if (!read.string(item["name"], path + ".name", name)) {
        return false;
    }
    if (!nameFromUtf8(name, nameBytes) || nameBytes.size() != kNameLength) {
        return read.fail(path + ".name", "must be 13 characters, each U+0000 to U+00FF");
    }
    std::copy(nameBytes.begin(), nameBytes.end(), record.name.begin());
    record.name[kNameLength] = 0;

    const json& channels = item["channels"];
    if (!channels.is_array() || channels.size() != std::size_t(kChannelCount)) {
        return read.fail(path + ".channels", "must be a list of 16 channels");
    }
    for (int c = 1; c <= kChannelCount; ++c) {
        const std::string at = path + ".channels[" + std::to_string(c - 1) + "]";
        const json& channel = channels[std::size_t(c - 1)];
        if (!read.object(channel, at, {"channel", "bankMsb", "bankLsb", "program"})) {
            return false;
        }
        int channelNumber = 0;
        if (!read.integer(channel["channel"], at + ".channel", c, c, channelNumber)) {
            return false;
        }
        for (std::size_t k = 0; k < 3; ++k) {
            const bool program = k == 2;
            const std::string slotPath = at + "." + kSlotKeys[k];
            const json& slot = channel[kSlotKeys[k]];
            bool enabled = false;
            int value = 0;
            if (!read.object(slot, slotPath, {"enabled", "value"}) ||
                !read.boolean(slot["enabled"], slotPath + ".enabled", enabled) ||
                !read.integer(slot["value"], slotPath + ".value", program ? 1 : 0,
                              program ? 128 : 127, value)) {
                return false;
            }
            const auto stored = program ? StoredFromProgramNumber(value) : std::uint8_t(value);
            record.channel(c).bytes[k] = enabled ? stored : std::uint8_t(stored | kSlotDisabled);
        }
    }

    std::string data;
    std::string tail;
    if (!read.string(item["data"], path + ".data", data)) {
        return false;
    }
    const auto dataBytes = ParseHexPairs(data);
    if (!dataBytes || dataBytes->size() > kMidiDataLength ||
        std::find(dataBytes->begin(), dataBytes->end(), kMidiDataEnd) != dataBytes->end()) {
        return read.fail(path + ".data",
                         "must be up to 16 hex pairs from 00 to FE, single blanks between");
    }
    if (!read.string(item["dataTail"], path + ".dataTail", tail)) {
        return false;
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
    if (!read.integer(item["placementBits"], path + ".placementBits", 0, 127, bits) ||
        !read.integer(item["reservedA"], path + ".reservedA", 0, 255, reservedA) ||
        !read.integer(item["reservedB"], path + ".reservedB", 0, 255, reservedB)) {
        return false;
    }
    record.placement = std::uint8_t((bits << 1) | (placement == "Post" ? 1 : 0));
    record.reservedA = std::uint8_t(reservedA);
    record.reservedB = std::uint8_t(reservedB);
    return true;
}

} // namespace

Json PresetsToJson(const std::vector<SyxMessage>& messages) {
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
        const auto end = std::find(r.data.begin(), r.data.end(), kMidiDataEnd);
        const std::size_t dataCount = std::size_t(end - r.data.begin());
        const bool hiddenBytes =
            std::any_of(end, r.data.end(), [](std::uint8_t b) { return b != kMidiDataEnd; });
        presets.push_back(
            {{"number", message.presetByte + 1},
             {"name", nameToUtf8(r)},
             {"channels", channels},
             {"data", HexPairs(r.data.data(), dataCount)},
             {"dataTail", hiddenBytes ? HexPairs(&*end, std::size_t(r.data.end() - end)) : ""},
             {"placement", (r.placement & kPlacementPost) ? "Post" : "Pre"},
             {"placementBits", r.placement >> 1},
             {"reservedA", r.reservedA},
             {"reservedB", r.reservedB}});
    }
    return json{{"format", "tarnwick-presets"}, {"version", 1}, {"presets", presets}};
}

bool PresetsFromJson(const Json& document, std::vector<JsonPreset>& presets, std::string& error) {
    presets.clear();
    Reader read(error);
    if (!read.object(document, "$", {"format", "version", "presets"})) {
        return false;
    }
    if (document["format"] != "tarnwick-presets") {
        return read.fail("$.format", "must be \"tarnwick-presets\"");
    }
    int version = 0;
    if (!read.integer(document["version"], "$.version", 1, 1, version)) {
        return false;
    }
    const json& list = document["presets"];
    if (!list.is_array() || list.empty()) {
        return read.fail("$.presets", "must be a list of at least one preset");
    }
    for (std::size_t i = 0; i < list.size(); ++i) {
        JsonPreset preset;
        if (!readPreset(read, list[i], "$.presets[" + std::to_string(i) + "]", preset)) {
            return false;
        }
        presets.push_back(preset);
    }
    return true;
}

} // namespace tarnwick
