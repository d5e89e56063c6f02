// Messages, inputs and outputs of the commands.
#include "cli_support.h"

#include <iostream>

namespace tarnwick {

int fail(const std::string& text) {
    std::cerr << "tarnwick-syx: " << text << '\n';
    return kBad;
}

int usageError(const std::string& text) {
    std::cerr << "tarnwick-syx: " << text << " (see tarnwick-syx --help)\n";
    return kUsage;
}

void report(const std::string& path, const SyxError& error) {
    fail(path + ": message " + std::to_string(error.message) + " at byte " +
         std::to_string(error.offset) + ": " + error.text);
}

std::optional<std::string> input(const std::string& path) {
    std::string content;
    std::string reason;
    if (!ReadInput(path, content, reason)) {
        fail(path + ": " + reason);
        return std::nullopt;
    }
    return content;
}

bool load(const std::string& path, std::vector<SyxMessage>& messages) {
    messages.clear();
    const auto content = input(path);
    if (!content) {
        return false;
    }
    SyxError error;
    if (!DecodeSyx(*content, messages, error)) {
        report(path, error);
        return false;
    }
    return true;
}

int output(const std::string& path, const std::string& bytes) {
    std::string reason;
    return WriteOutput(path, bytes, reason) ? kOk : fail("cannot write " + path + ": " + reason);
}

} // namespace tarnwick
