// Reading a download's file back.
#include "download_file.h"

#include <algorithm>
#include <fstream>

namespace tarnwick {

namespace {

// Reads up to `capacity` bytes of `path` into `buffer`, zeros behind what the file holds.
TransferResult readFile(const std::filesystem::path& path, std::uint8_t* buffer,
                        std::size_t capacity) {
    std::fill(buffer, buffer + capacity, 0);
    std::ifstream file(path, std::ios::binary);
    if (!file.is_open()) {
        return TransferResult::CannotOpenFile;
    }
    file.read(reinterpret_cast<char*>(buffer), static_cast<std::streamsize>(capacity));
    if (file.bad()) {
        return TransferResult::ReadFailed;
    }
    return static_cast<std::size_t>(file.gcount()) < capacity ? TransferResult::WrongSize
                                                              : TransferResult::Acknowledged;
}

} // namespace

TransferResult ReadPresetDownload(const std::filesystem::path& path, PresetMessage& message) {
    return readFile(path, message.data(), message.size());
}

TransferResult ReadBankDownload(const std::filesystem::path& path,
                                std::vector<PresetMessage>& bank) {
    std::vector<std::uint8_t> bytes(kBankFileSize);
    const TransferResult read = readFile(path, bytes.data(), bytes.size());
    bank.assign(kPresetCount, PresetMessage{});
    for (std::size_t i = 0; i < bank.size(); ++i) {
        std::copy_n(bytes.begin() + std::ptrdiff_t(i * kPresetMessageSize), kPresetMessageSize,
                    bank[i].begin());
    }
    return read;
}

} // namespace tarnwick
