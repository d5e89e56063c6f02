// Naming a channel's sound.
#include "instruments/sound_names.h"

#include "platform/ascii_case.h"
#include "preset/preset_text.h"

#include <algorithm>

namespace tarnwick {

SoundName NameSound(const NameSet& set, const ChannelSlot& slot) {
    SoundName name;
    if (!SlotEnabled(slot[SlotKind::Program])) {
        return name;
    }
    // How many of the channel's bank selects the sound's bank sends with the same value;
    // -1 when one differs.
    const auto agreement = [&slot](const Sound& sound) {
        int same = 0;
        for (const auto& [sent, slotByte] : {std::pair{sound.msb, slot[SlotKind::Msb]},
                                             std::pair{sound.lsb, slot[SlotKind::Lsb]}}) {
            if (sent && SlotEnabled(slotByte)) {
                if (*sent != (slotByte & kSlotValueMask)) {
                    return -1;
                }
                ++same;
            }
        }
        return same;
    };
    // A bank that sends what the channel sends is what the synth selects; a bank that sends
    // less only names the sound when no bank agrees more closely.
    int best = 0;
    for (const std::uint32_t i : set.byProgram[slot[SlotKind::Program] & kSlotValueMask]) {
        const Sound& sound = set.sounds[i];
        const int same = agreement(sound);
        if (same < best) {
            continue;
        }
        if (same > best) {
            best = same;
            name.candidates.clear();
            name.banks.clear();
        }
        const auto known = std::find(name.candidates.begin(), name.candidates.end(), sound.name);
        if (known == name.candidates.end()) {
            name.candidates.push_back(sound.name);
            name.banks.push_back(sound.bank);
        } else if (std::string& banks = name.banks[std::size_t(known - name.candidates.begin())];
                   banks != sound.bank && banks.find(" / " + sound.bank) == std::string::npos &&
                   banks.rfind(sound.bank + " / ", 0) != 0) {
            banks += " / " + sound.bank;
        }
    }
    if (!name.candidates.empty()) {
        name.shown = name.candidates.front() + (name.candidates.size() > 1 ? "?" : "");
    }
    return name;
}

ChannelSlot SoundSlot(ChannelSlot slot, const Sound& sound) {
    slot[SlotKind::Msb] = sound.msb.value_or(std::uint8_t(slot[SlotKind::Msb] | kSlotDisabled));
    slot[SlotKind::Lsb] = sound.lsb.value_or(std::uint8_t(slot[SlotKind::Lsb] | kSlotDisabled));
    slot[SlotKind::Program] = sound.program;
    return slot;
}

std::string SoundValues(const Sound& sound) {
    return ChannelValues(
        SoundSlot(ChannelSlot{{kSlotDisabled, kSlotDisabled, kSlotDisabled}}, sound));
}

bool SelectsSound(const PresetRecord& preset, const SoundNamer& names, std::string_view text,
                  std::optional<int> onChannel) {
    const std::string wanted = LowerCase(text);
    for (int channel = onChannel.value_or(1); channel <= onChannel.value_or(kChannelCount);
         ++channel) {
        for (const std::string& name : names(channel, preset.channel(channel)).candidates) {
            if (LowerCase(name).find(wanted) != std::string::npos) {
                return true;
            }
        }
    }
    return false;
}

} // namespace tarnwick
