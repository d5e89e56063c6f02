// The rig: which instrument listens on each of the 16 MIDI channels, and with which name
// set. Kept as a small JSON file shared by the editor and tarnwick-syx:
//   {"format": "tarnwick-rig", "version": 1,
//    "channels": {"1": {"instrument": "Roland JV-1080", "nameSet": "Patches"}, ...}}
// A channel not listed has no instrument; a name set left out is the instrument's own
// choice for that channel.
#pragma once

#include "instruments/instrument_library.h"
#include "instruments/sound_names.h"
#include "preset/preset_record.h"

#include <array>
#include <filesystem>
#include <optional>
#include <string>

namespace tarnwick {

struct RigChannel {
    std::string instrument; // empty: none
    std::string nameSet;    // empty: the instrument's own for the channel
    bool operator==(const RigChannel&) const = default;
};

struct Rig {
    std::array<RigChannel, kRigChannels> channels; // channel 1 at 0
    bool empty() const;
    bool operator==(const Rig&) const = default;
};

// TARNWICK_RIG when set ("off": none), else $XDG_CONFIG_HOME/tarnwick-editor/rig.json.
std::optional<std::filesystem::path> DefaultRigPath();
// The rig a file holds; an empty rig when there is no file; nothing and `error` when the
// file is not a rig.
std::optional<Rig> ReadRig(const std::filesystem::path& path, std::string& error);
// The rig a file's text holds; nothing and `error` when it is not a rig, whatever it holds.
std::optional<Rig> ParseRig(const std::string& text, std::string& error);
std::string RigJson(const Rig& rig);
// Written whole or not at all. False and `error` when not.
bool WriteRig(const std::filesystem::path& path, const Rig& rig, std::string& error);

// A rig's instruments looked up, to name the sounds of presets quickly.
class RigNames {
public:
    RigNames() = default;
    // Channels whose instrument or name set `library` does not know name nothing; their
    // reasons are in problems().
    RigNames(const Rig& rig, const InstrumentLibrary& library);

    bool any() const; // some channel has a name set
    const NameSet* nameSet(int channel) const { return m_sets[std::size_t(channel - 1)]; }
    const Instrument* instrument(int channel) const {
        return m_instruments[std::size_t(channel - 1)];
    }
    SoundName name(int channel, const ChannelSlot& slot) const;
    const std::vector<std::string>& problems() const { return m_problems; }

private:
    std::array<const Instrument*, kRigChannels> m_instruments{};
    std::array<const NameSet*, kRigChannels> m_sets{};
    std::vector<std::string> m_problems;
};

} // namespace tarnwick
