// Presets as the clipboard and drags carry them: their messages back to back, as in a .syx
// file, in a MIME type of our own for another Tarnwick Editor, and beside them the JSON text
// of `tarnwick-syx export` for text editors and chats. JSON text pastes back too.
#pragma once

#include "preset/preset_record.h"

#include <QString>

#include <optional>
#include <string>
#include <vector>

class QMimeData;

namespace tarnwick {

inline const QString kPresetsMimeType = QStringLiteral("application/x-tarnwick-presets");

// `presets` as clipboard data, numbered from `firstNumber` (1 to 100) in the JSON text.
QMimeData* PresetsMimeData(const std::vector<PresetRecord>& presets, int firstNumber);

// The presets `data` carries: our own type first, else JSON text checked as
// `tarnwick-syx import` checks a file. Nothing, with a one-line reason, when it holds
// none or a check fails; the reason names `holder` ("The clipboard", "The drop").
std::optional<std::vector<PresetRecord>>
PresetsFromMimeData(const QMimeData* data, std::string& reason,
                    const std::string& holder = "The clipboard");

} // namespace tarnwick
