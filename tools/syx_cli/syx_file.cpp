// .syx files as runs of preset messages.
#include "syx_file.h"

#include "atomic_file.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

namespace tarnwick {

bool ReadSyxFile(const std::string& path, std::vector<SyxMessage>& messages, SyxError& error) {
    messages.clear();
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = {0, 0, "cannot read the file"};
        return false;
    }
    const std::string content((std::istreambuf_iterator<char>(file)),
                              std::istreambuf_iterator<char>());
    std::istringstream in(content);
    do {
        const auto offset = static_cast<std::size_t>(in.tellg());
        const DecodeOutcome outcome = DecodePresetMessage(in);
        if (!outcome.record) {
            error = {messages.size() + 1, offset, DecodeErrorText(outcome.error)};
            return false;
        }
        SyxMessage message;
        message.offset = offset;
        message.presetByte = *outcome.presetByte;
        message.record = *outcome.record;
        std::copy_n(content.begin() + std::ptrdiff_t(offset), kPresetMessageSize,
                    message.raw.begin());
        messages.push_back(message);
    } while (in.peek() != std::istringstream::traits_type::eof());
    return true;
}

bool WriteSyxFile(const std::string& path, const std::vector<PresetMessage>& messages) {
    AtomicFile file(path);
    if (!file.open()) {
        return false;
    }
    for (const PresetMessage& message : messages) {
        if (!file.write(message.data(), message.size())) {
            return false;
        }
    }
    return file.commit();
}

} // namespace tarnwick
