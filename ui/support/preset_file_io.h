// Reading and writing .syx files for the windows: the file a drop carries, the presets of a
// dropped file, a message written whole. Each failure is said in the file commands' words.
#pragma once

#include "preset/preset_message.h"
#include "preset/syx_file.h"

#include <QString>

#include <optional>
#include <vector>

class QMimeData;

namespace tarnwick {

class UserInteraction;

// Where the file dialogs start: the folder "Syx" when there is one, else the current folder.
QString PresetStartFolder();

// The file at `path` through the one reader; a file that cannot be read stops as a message
// cut short would.
SyxFileRead ReadPresetFile(const QString& path);
// The box that says a file is too small to hold the 100 presets of a bank.
void ReportTooSmallForBank(UserInteraction& interaction);

// The one local .syx file a drag carries, or nothing: several files, a folder or another
// kind of file are not dropped.
std::optional<QString> DroppedPresetFile(const QMimeData* data);

// The presets of a file dropped on a slot of the Bank Organizer, in slot order: the one of a
// file of at most one message, the 100 of a larger one. Nothing, said as the Open commands
// say it, when the file is not read whole.
std::optional<std::vector<PresetRecord>> ReadDroppedPresets(UserInteraction& interaction,
                                                            const QString& path);

// Writes `message` as the whole of the file at `path`, replacing it only when all went
// well; otherwise says "Error opening output file." and returns false.
bool WriteMessageFile(UserInteraction& interaction, const QString& path,
                      const PresetMessage& message);
// The box every failed .syx write shows.
void ReportWriteFailure(UserInteraction& interaction);
// The box that says why a message of an opened file was refused.
void ReportDecodeFailure(UserInteraction& interaction, DecodeError error);

} // namespace tarnwick
