// Reading and writing the rig, and naming sounds through it.
#include "instruments/rig.h"
#include "platform/utf8_path.h"

#include "platform/atomic_file.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

namespace tarnwick {

namespace {
constexpr const char* kFormat = "tarnwick-rig";
constexpr int kVersion = 1;
} // namespace

bool Rig::empty() const {
    return std::all_of(channels.begin(), channels.end(),
                       [](const RigChannel& channel) { return channel.instrument.empty(); });
}

std::optional<fs::path> DefaultRigPath() {
    if (const char* chosen = std::getenv("TARNWICK_RIG"); chosen && *chosen) {
        if (std::string(chosen) == "off") {
            return std::nullopt;
        }
        return Utf8Path(chosen);
    }
    const char* config = std::getenv("XDG_CONFIG_HOME");
#ifdef _WIN32
    if (const char* appData = std::getenv("APPDATA"); !(config && *config) && appData && *appData) {
        return Utf8Path(appData) / "tarnwick-editor" / "rig.json";
    }
#endif
    const char* home = std::getenv("HOME");
    const fs::path base =
        config && *config ? Utf8Path(config) : Utf8Path(home ? home : ".") / ".config";
    return base / "tarnwick-editor" / "rig.json";
}

std::optional<Rig> ReadRig(const fs::path& path, std::string& error) {
    std::error_code missing;
    if (!fs::exists(path, missing)) {
        return Rig{};
    }
    std::ifstream in(path, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return ParseRig(text, error);
}

std::optional<Rig> ParseRig(const std::string& text, std::string& error) {
    // Every field is checked for its type before it is read: the JSON library throws for a
    // value of another type, and a damaged rig must be said in words, never end a program.
    const Json json = Json::parse(text, nullptr, false);
    const auto format = json.is_object() ? json.find("format") : json.end();
    if (json.is_discarded() || !json.is_object() || format == json.end() || !format->is_string() ||
        format->get<std::string>() != kFormat) {
        error = "is not a rig file (JSON with \"format\": \"tarnwick-rig\")";
        return std::nullopt;
    }
    const auto version = json.find("version");
    if (version == json.end() || !version->is_number_integer()) {
        error = "is damaged: \"version\" is not a whole number";
        return std::nullopt;
    }
    const bool newer = version->is_number_unsigned() ? version->get<std::uint64_t>() > kVersion
                                                     : version->get<std::int64_t>() > kVersion;
    if (newer) {
        error =
            "is a rig of a newer version than this one reads (" + std::to_string(kVersion) + ")";
        return std::nullopt;
    }
    Rig rig;
    const auto channels = json.find("channels");
    if (channels == json.end()) {
        return rig;
    }
    if (!channels->is_object()) {
        error = "is damaged: \"channels\" is not an object";
        return std::nullopt;
    }
    for (const auto& [key, value] : channels->items()) {
        int channel = 0;
        for (const char c : key) {
            channel = c >= '0' && c <= '9' && channel <= kRigChannels ? channel * 10 + (c - '0')
                                                                      : kRigChannels + 1;
        }
        const auto instrument = value.is_object() ? value.find("instrument") : value.end();
        if (channel < 1 || channel > kRigChannels || !value.is_object() ||
            instrument == value.end() || !instrument->is_string()) {
            error = "is damaged: channel \"" + key + "\" is not a channel 1 to 16 with an " +
                    "\"instrument\"";
            return std::nullopt;
        }
        if (instrument->get<std::string>().empty()) {
            continue; // no instrument on that channel
        }
        RigChannel& slot = rig.channels[std::size_t(channel - 1)];
        slot.instrument = instrument->get<std::string>();
        if (const auto nameSet = value.find("nameSet"); nameSet != value.end()) {
            if (!nameSet->is_string()) {
                error = "is damaged: channel " + key + "'s \"nameSet\" is not text";
                return std::nullopt;
            }
            slot.nameSet = nameSet->get<std::string>();
        }
    }
    return rig;
}

std::string RigJson(const Rig& rig) {
    Json channels = Json::object();
    for (int channel = 1; channel <= kRigChannels; ++channel) {
        const RigChannel& slot = rig.channels[std::size_t(channel - 1)];
        if (slot.instrument.empty()) {
            continue;
        }
        Json entry = {{"instrument", slot.instrument}};
        if (!slot.nameSet.empty()) {
            entry["nameSet"] = slot.nameSet;
        }
        channels[std::to_string(channel)] = entry;
    }
    return Json{{"format", kFormat}, {"version", kVersion}, {"channels", channels}}.dump(2) + "\n";
}

bool WriteRig(const fs::path& path, const Rig& rig, std::string& error) {
    std::error_code ignored;
    fs::create_directories(path.parent_path(), ignored);
    const std::string text = RigJson(rig);
    AtomicFile out(path);
    if (!out.open() ||
        !out.write(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()) ||
        !out.commit()) {
        error = out.error();
        return false;
    }
    return true;
}

RigNames::RigNames(const Rig& rig, const InstrumentLibrary& library) {
    for (int channel = 1; channel <= kRigChannels; ++channel) {
        const RigChannel& slot = rig.channels[std::size_t(channel - 1)];
        if (slot.instrument.empty()) {
            continue;
        }
        const Instrument* instrument = library.find(slot.instrument);
        if (!instrument) {
            m_problems.push_back("channel " + std::to_string(channel) + ": no instrument \"" +
                                 slot.instrument + "\" is found");
            continue;
        }
        const std::string setName = slot.nameSet.empty()
                                        ? instrument->channelNameSets[std::size_t(channel - 1)]
                                        : slot.nameSet;
        const NameSet* set = instrument->nameSet(setName);
        if (!set) {
            m_problems.push_back("channel " + std::to_string(channel) + ": " + instrument->name +
                                 " has no name set \"" + setName + "\"");
            continue;
        }
        m_instruments[std::size_t(channel - 1)] = instrument;
        m_sets[std::size_t(channel - 1)] = set;
    }
}

bool RigNames::any() const {
    return std::any_of(m_sets.begin(), m_sets.end(), [](const NameSet* set) { return set; });
}

SoundName RigNames::name(int channel, const ChannelSlot& slot) const {
    const NameSet* set = nameSet(channel);
    return set ? NameSound(*set, slot) : SoundName{};
}

} // namespace tarnwick
