// Reading, checking and writing the files of tarnwick-syx.
#include "preset/syx_file.h"
#include "platform/utf8_path.h"

#include "platform/atomic_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <set>
#include <sstream>
#include <system_error>

namespace tarnwick {

namespace fs = std::filesystem;

namespace {

std::string systemReason(int error) {
    return std::generic_category().message(error != 0 ? error : EIO);
}

const std::string kTooLarge = "larger than 1 MiB: no preset or firmware file is";

// Reads `in` to its end, or stops past kMaxInputSize.
bool readStream(std::FILE* in, std::string& content, std::string& reason) {
    char buffer[65536];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, in)) > 0) {
        content.append(buffer, count);
        if (content.size() > kMaxInputSize) {
            reason = kTooLarge;
            return false;
        }
    }
    if (std::ferror(in)) {
        reason = systemReason(errno);
        return false;
    }
    return true;
}

std::string messageText(std::size_t offset, const std::string& content) {
    return std::string(content, offset, kPresetMessageSize);
}

} // namespace

bool ReadInput(const std::string& path, std::string& content, std::string& reason) {
    content.clear();
    if (path == "-") {
        if (!readStream(stdin, content, reason)) {
            return false;
        }
    } else {
        std::error_code error;
        const fs::path file = Utf8Path(path);
        const fs::file_status status = fs::status(file, error);
        if (error) {
            reason = error.message();
            return false;
        }
        // Checked before opening: opening a named pipe would wait for a writer.
        if (fs::is_directory(status)) {
            reason = systemReason(EISDIR);
            return false;
        }
        if (!fs::is_regular_file(status)) {
            reason = "not a regular file (a pipe or a device)";
            return false;
        }
        if (fs::file_size(file, error) > kMaxInputSize) {
            reason = kTooLarge;
            return false;
        }
        errno = 0;
        std::FILE* stream = std::fopen(path.c_str(), "rb"); // UTF-8 on every system we run on
        if (!stream) {
            reason = systemReason(errno);
            return false;
        }
        const bool read = readStream(stream, content, reason);
        std::fclose(stream);
        if (!read) {
            return false;
        }
    }
    if (content.empty()) {
        reason = "the file is empty";
        return false;
    }
    return true;
}

bool WriteOutput(const std::string& path, const std::string& bytes, std::string& reason) {
    if (path == "-") {
        std::cout.write(bytes.data(), std::streamsize(bytes.size()));
        std::cout.flush();
        if (!std::cout) {
            reason = systemReason(errno);
            return false;
        }
        return true;
    }
    AtomicFile file(Utf8Path(path));
    if (!file.open() ||
        !file.write(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()) ||
        !file.commit()) {
        reason = file.error();
        return false;
    }
    return true;
}

namespace {

// Decodes the messages of `content` one after another, `limit` at the most; false and
// `error` at the first that fails, with the messages before it in `messages`.
bool decodeMessages(const std::string& content, std::size_t limit,
                    std::vector<SyxMessage>& messages, SyxError& error) {
    messages.clear();
    std::istringstream in(content);
    do {
        const auto offset = static_cast<std::size_t>(in.tellg());
        const DecodeOutcome outcome = DecodePresetMessage(in);
        if (!outcome.record) {
            error = {messages.size() + 1, offset, DecodeErrorText(outcome.error), outcome.error};
            return false;
        }
        SyxMessage message;
        message.offset = offset;
        message.presetByte = *outcome.presetByte;
        message.record = *outcome.record;
        std::copy_n(content.begin() + std::ptrdiff_t(offset), kPresetMessageSize,
                    message.raw.begin());
        messages.push_back(message);
    } while (messages.size() < limit && in.peek() != std::istringstream::traits_type::eof());
    return true;
}

} // namespace

bool DecodeSyx(const std::string& content, std::vector<SyxMessage>& messages, SyxError& error) {
    return decodeMessages(content, SIZE_MAX, messages, error);
}

SyxFileRead ReadSyxFile(const std::string& content) {
    SyxFileRead read;
    read.bank = IsBankSize(content.size());
    const std::size_t wanted = read.bank ? std::size_t(kPresetCount) : 1;
    if (!decodeMessages(content, wanted, read.messages, read.error)) {
        read.stop = SyxStop::BadMessage;
        return read;
    }
    if (read.messages.size() < wanted) {
        read.stop = SyxStop::TooFew;
        read.error = {read.messages.size() + 1, read.messages.size() * kPresetMessageSize,
                      "holds " + std::to_string(read.messages.size()) +
                          " presets; a bank holds 100"};
        return read;
    }
    read.records = RecordsInSlotOrder(read.messages);
    return read;
}

std::vector<SyxError> CheckSyx(const std::string& content) {
    std::vector<SyxError> problems;
    if (content.size() % kPresetMessageSize != 0) {
        problems.push_back(
            {content.size() / kPresetMessageSize + 1,
             content.size() / kPresetMessageSize * kPresetMessageSize,
             std::to_string(content.size()) + " bytes are no whole number of 153-byte messages"});
    }
    std::set<int> seen;
    for (std::size_t offset = 0; offset < content.size(); offset += kPresetMessageSize) {
        const std::size_t number = offset / kPresetMessageSize + 1;
        const std::string text = messageText(offset, content);
        const auto problem = [&](std::size_t at, const std::string& what) {
            problems.push_back({number, offset + at, what});
        };
        std::istringstream in(text);
        const DecodeOutcome outcome = DecodePresetMessage(in);
        if (!outcome.record) {
            problem(0, DecodeErrorText(outcome.error));
        }
        if (text.size() < kPresetMessageSize) {
            continue; // cut short: said above
        }
        const auto bytes = reinterpret_cast<const std::uint8_t*>(text.data());
        bool highByte = false;
        for (std::size_t i = 1; i + 1 < kPresetMessageSize; ++i) {
            if (bytes[i] >= 0x80) {
                highByte = true;
                char value[8];
                std::snprintf(value, sizeof value, "%02X", bytes[i]);
                problem(i, std::string("byte ") + value + " is no data byte (0x80 or more)");
            }
        }
        // What export and import would write in its place: a message only a round trip
        // keeps byte for byte passes (a byte of 0x80 or more is said once, above).
        if (outcome.record && !highByte) {
            const PresetMessage again =
                MessageKeepingName(*outcome.record, PresetIndex::fromZeroBase(*outcome.presetByte));
            const auto last = bytes + kPresetMessageSize - 1;
            const auto [at, other] = std::mismatch(bytes, last, again.begin());
            if (at != last) {
                char values[32];
                std::snprintf(values, sizeof values, "%02X is written back as %02X", *at, *other);
                problem(std::size_t(at - bytes),
                        std::string("byte ") + values + " (export and import would change it)");
            }
        }
        if (bytes[kPresetMessageSize - 1] != kSysExEnd) {
            problem(kPresetMessageSize - 1, "does not end with F7 at its 153rd byte");
        }
        if (outcome.presetByte && !seen.insert(*outcome.presetByte).second) {
            problem(4, "preset " + std::to_string(*outcome.presetByte + 1) +
                           " stands in this file more than once");
        }
    }
    return problems;
}

PresetMessage MessageKeepingName(const PresetRecord& record, PresetIndex number) {
    PresetMessage message = EncodePresetMessage(record, number);
    std::copy_n(record.name.begin(), kNameLength, message.begin() + kNameOffset);
    return message;
}

std::string SyxBytes(const std::vector<PresetMessage>& messages) {
    std::string bytes;
    for (const PresetMessage& message : messages) {
        bytes.append(reinterpret_cast<const char*>(message.data()), message.size());
    }
    return bytes;
}

std::vector<PresetRecord> RecordsInSlotOrder(const std::vector<SyxMessage>& messages) {
    std::vector<SyxMessage> sorted = messages;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const auto& a, const auto& b) { return a.presetByte < b.presetByte; });
    const bool distinct =
        std::adjacent_find(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) {
            return a.presetByte == b.presetByte;
        }) == sorted.end();
    std::vector<PresetRecord> records;
    for (const SyxMessage& message : distinct ? sorted : messages) {
        records.push_back(message.record);
    }
    return records;
}

} // namespace tarnwick
