// The .syx file a download sends, read back before it goes: one preset message or a bank
// of 100, judged with the transfer's own results. The port layer is then handed the bytes.
#pragma once

#include "preset_message.h"
#include "transfer_result.h"

#include <filesystem>
#include <vector>

namespace tarnwick {

// The first message of `path` into `message`: CannotOpenFile, ReadFailed, WrongSize (fewer
// than 153 bytes) or Acknowledged; what follows the first 153 bytes is not read.
TransferResult ReadPresetDownload(const std::filesystem::path& path, PresetMessage& message);
// The first 100 messages of `path` into `bank`, the same way (WrongSize: fewer than 15,300
// bytes).
TransferResult ReadBankDownload(const std::filesystem::path& path,
                                std::vector<PresetMessage>& bank);

} // namespace tarnwick
