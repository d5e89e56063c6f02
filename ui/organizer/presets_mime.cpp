// The clipboard's forms of presets.
#include "organizer/presets_mime.h"

#include "preset/preset_json.h"
#include "preset/syx_file.h"

#include <QMimeData>

#include <cstdlib>

namespace tarnwick {

namespace {

// A reason of the JSON reader in words: no parser's text, no JSON paths.
std::string inWords(const std::string& reason) {
    if (reason.rfind("not JSON", 0) == 0) {
        return "its text is no JSON of presets (as tarnwick-syx export writes them, or one "
               "preset as the manual shows it).";
    }
    std::string words = reason;
    if (words.rfind("$.", 0) == 0) {
        words.erase(0, 2);
    }
    // "presets[4].name: ..." is "preset 5 of the list, name: ...".
    if (words.rfind("presets[", 0) == 0) {
        const std::size_t end = words.find(']');
        if (end != std::string::npos) {
            const int index = std::atoi(words.c_str() + 8);
            const std::string rest = words.substr(end + 1);
            words = "preset " + std::to_string(index + 1) + " of the list" +
                    (rest.rfind('.', 0) == 0 ? ", " + rest.substr(1) : rest);
        }
    }
    return words + (words.empty() || words.back() == '.' ? "" : ".");
}

} // namespace

QMimeData* PresetsMimeData(const std::vector<PresetRecord>& presets, int firstNumber) {
    std::vector<SyxMessage> messages;
    std::vector<PresetMessage> raw;
    for (std::size_t i = 0; i < presets.size(); ++i) {
        const auto number = PresetIndex::fromZeroBase(std::min(firstNumber - 1 + int(i), 99));
        messages.push_back({0, std::uint8_t(number.zeroBased()), presets[i], {}});
        raw.push_back(MessageKeepingName(presets[i], number));
    }
    auto* data = new QMimeData;
    const std::string bytes = SyxBytes(raw);
    data->setData(kPresetsMimeType, QByteArray(bytes.data(), qsizetype(bytes.size())));
    data->setText(QString::fromStdString(PresetsToJsonText(messages)));
    return data;
}

std::optional<std::vector<PresetRecord>>
PresetsFromMimeData(const QMimeData* data, std::string& reason, const std::string& holder) {
    std::vector<PresetRecord> records;
    if (data && data->hasFormat(kPresetsMimeType)) {
        std::vector<SyxMessage> messages;
        SyxError error;
        if (!DecodeSyx(data->data(kPresetsMimeType).toStdString(), messages, error)) {
            reason = error.text;
            return std::nullopt;
        }
        for (const SyxMessage& message : messages) {
            records.push_back(message.record);
        }
    } else if (data && data->hasText()) {
        std::vector<JsonPreset> presets;
        if (!PresetsFromJsonText(data->text().toStdString(), presets, reason)) {
            reason = holder + " holds no presets: " + inWords(reason);
            return std::nullopt;
        }
        for (const JsonPreset& preset : presets) {
            records.push_back(preset.record);
        }
    }
    if (records.empty()) {
        reason = holder + " holds no presets.";
        return std::nullopt;
    }
    return records;
}

} // namespace tarnwick
