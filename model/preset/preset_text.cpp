// Describing and comparing presets.
#include "preset/preset_text.h"

#include "preset/hex.h"

#include "preset/preset_json.h"

#include <algorithm>
#include <map>

namespace tarnwick {

namespace {

const char* const kSlotNames[] = {"bank MSB", "bank LSB", "program"};

std::string quotedName(const PresetRecord& record) {
    std::string text = "\"";
    for (std::size_t i = 0; i < kNameLength; ++i) {
        const std::uint8_t b = record.name[i];
        if (b >= 0x20 && b < 0x7F) {
            text += char(b);
        } else {
            text += "\\x" + HexPairs(&b, 1);
        }
    }
    return text + "\"";
}

std::string slotValue(std::uint8_t slotByte, std::size_t kind) {
    if (!SlotEnabled(slotByte)) {
        return "off";
    }
    return std::to_string((slotByte & kSlotValueMask) + (kind == 2 ? 1 : 0));
}

std::string dataText(const PresetRecord& record) {
    const auto end = std::find(record.data.begin(), record.data.end(), kMidiDataEnd);
    std::string text = end == record.data.begin()
                           ? std::string("none")
                           : HexPairs(record.data.data(), std::size_t(end - record.data.begin()));
    if (std::any_of(end, record.data.end(), [](std::uint8_t b) { return b != kMidiDataEnd; })) {
        text += " (hidden after the end: " + HexPairs(&*end, std::size_t(record.data.end() - end)) +
                ")";
    }
    return text;
}

std::string placementText(std::uint8_t placement) {
    std::string text = (placement & kPlacementPost) ? "Post" : "Pre";
    if (placement >> 1) {
        text += " (other bits " + std::to_string(placement >> 1) + ")";
    }
    return text;
}

} // namespace

std::string DescribePreset(const SyxMessage& message, const ChannelNamer& names) {
    const PresetRecord& r = message.record;
    std::string text = "Preset " + std::to_string(message.presetByte + 1) + "  " + quotedName(r) +
                       "  " + placementText(r.placement) + "\n";
    bool any = false;
    for (int c = 1; c <= kChannelCount; ++c) {
        std::string values;
        for (std::size_t k = 0; k < 3; ++k) {
            const std::uint8_t b = r.channel(c).bytes[k];
            if (SlotEnabled(b)) {
                values += (values.empty() ? "" : ", ") + std::string(kSlotNames[k]) + " " +
                          slotValue(b, k);
            }
        }
        if (!values.empty()) {
            const std::string sound = names ? names(c, r.channel(c)) : std::string();
            text += "  channel " + std::to_string(c) + ": " + values +
                    (sound.empty() ? "" : " = " + sound) + "\n";
            any = true;
        }
    }
    if (!any) {
        text += "  no channel values switched on\n";
    }
    text += "  MIDI data: " + dataText(r) + "\n";
    if (r.reservedA || r.reservedB) {
        text += "  reserved bytes: " + std::to_string(r.reservedA) + ", " +
                std::to_string(r.reservedB) + "\n";
    }
    return text;
}

std::vector<std::string> DiffPresets(const std::vector<SyxMessage>& a,
                                     const std::vector<SyxMessage>& b, const ChannelNamer& names) {
    std::map<int, const SyxMessage*> left;
    std::map<int, const SyxMessage*> right;
    for (const SyxMessage& m : a) {
        left[m.presetByte + 1] = &m;
    }
    for (const SyxMessage& m : b) {
        right[m.presetByte + 1] = &m;
    }
    std::vector<std::string> lines;
    for (int number = 1; number <= kPresetCount; ++number) {
        const auto l = left.find(number);
        const auto r = right.find(number);
        const std::string preset = "preset " + std::to_string(number) + ": ";
        if (l == left.end() && r == right.end()) {
            continue;
        }
        if (l == left.end() || r == right.end()) {
            lines.push_back(preset + "only in the " + (l == left.end() ? "second" : "first") +
                            " file");
            continue;
        }
        const PresetRecord& x = l->second->record;
        const PresetRecord& y = r->second->record;
        const auto changed = [&](const std::string& what, const std::string& from,
                                 const std::string& to) {
            if (from != to) {
                lines.push_back(preset + what + " " + from + " -> " + to);
            }
        };
        changed("name", quotedName(x), quotedName(y));
        for (int c = 1; c <= kChannelCount; ++c) {
            const std::size_t before = lines.size();
            for (std::size_t k = 0; k < 3; ++k) {
                changed("channel " + std::to_string(c) + " " + kSlotNames[k],
                        slotValue(x.channel(c).bytes[k], k), slotValue(y.channel(c).bytes[k], k));
            }
            if (names && lines.size() > before) {
                const std::string from = names(c, x.channel(c));
                const std::string to = names(c, y.channel(c));
                if (from != to) {
                    lines.back() += " = " + (from.empty() ? "no sound" : from) + " -> " +
                                    (to.empty() ? "no sound" : to);
                }
            }
        }
        changed("MIDI data", dataText(x), dataText(y));
        changed("placement", placementText(x.placement), placementText(y.placement));
        changed("reserved byte A", std::to_string(x.reservedA), std::to_string(y.reservedA));
        changed("reserved byte B", std::to_string(x.reservedB), std::to_string(y.reservedB));
    }
    return lines;
}

std::string ChannelValues(const ChannelSlot& slot) {
    const auto shown = [](std::uint8_t slotByte, bool program) {
        if (!SlotEnabled(slotByte)) {
            return std::string("-");
        }
        return std::to_string(program ? ProgramNumberFromStored(slotByte) : slotByte);
    };
    return shown(slot[SlotKind::Msb], false) + '/' + shown(slot[SlotKind::Lsb], false) + '/' +
           shown(slot[SlotKind::Program], true);
}

std::string ChannelsSummary(const PresetRecord& record, const ChannelNamer& names) {
    std::string text;
    for (int channel = 1; channel <= kChannelCount; ++channel) {
        const ChannelSlot& slot = record.channel(channel);
        if (!SlotEnabled(slot[SlotKind::Msb]) && !SlotEnabled(slot[SlotKind::Lsb]) &&
            !SlotEnabled(slot[SlotKind::Program])) {
            continue;
        }
        text += (text.empty() ? "" : "  ") + std::to_string(channel) + ": " + ChannelValues(slot);
        if (const std::string sound = names ? names(channel, slot) : std::string();
            !sound.empty()) {
            text += ' ' + sound;
        }
    }
    return text;
}

std::string MidiDataSummary(const PresetRecord& record) {
    std::string data = MidiDataText(record);
    while (!data.empty() && data.back() == ' ') {
        data.pop_back();
    }
    if (data.empty()) {
        return data;
    }
    return data + ((record.placement & kPlacementPost) ? "  Post" : "  Pre");
}

} // namespace tarnwick
