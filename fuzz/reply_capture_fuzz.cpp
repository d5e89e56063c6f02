// libFuzzer harness for the handling of replies: the input is cut into SysEx messages
// (each ends at F7) that arrive one after another while a message is out. Whatever
// arrives, the capture holds exactly the first message that is not our own echoed back,
// the acknowledgement reads its byte, and the identity text is at most 16 characters of
// a 24-byte reply.
#include "fuzz_check.h"
#include "reply_capture.h"

#include <algorithm>
#include <vector>

using namespace tarnwick;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    // The first byte says how long the message we sent is; it comes from the input too,
    // so that echoes of it are likely.
    const std::size_t sentSize = std::min<std::size_t>(data[0], size - 1);
    std::vector<std::uint8_t> sent(data + 1, data + 1 + sentSize);
    std::vector<std::vector<std::uint8_t>> messages;
    std::vector<std::uint8_t> current;
    for (std::size_t i = 1; i < size; ++i) {
        current.push_back(data[i]);
        if (data[i] == 0xF7) {
            messages.push_back(current);
            current.clear();
        }
    }
    if (!current.empty()) {
        messages.push_back(current);
    }

    ReplyCapture capture;
    capture.arm(sent);
    for (const auto& message : messages) {
        capture.onSysEx(message.data(), message.size());
    }

    const auto reply = std::find_if(messages.begin(), messages.end(),
                                    [&](const auto& m) { return !m.empty() && m != sent; });
    const ReplyCapture::Buffer buffer = capture.buffer();
    std::vector<std::uint8_t> expected(kCaptureSize, 0);
    if (reply != messages.end()) {
        std::copy_n(reply->begin(), std::min(reply->size(), kCaptureSize), expected.begin());
    }
    FuzzCheck(std::equal(buffer.begin(), buffer.end(), expected.begin()));
    for (std::size_t position : {std::size_t(4), std::size_t(5)}) {
        FuzzCheck(capture.acknowledged(position) == (expected[position] == kAcknowledge));
    }
    const std::string identity = capture.identityText();
    FuzzCheck(identity.size() <= 16);
    if (!identity.empty()) {
        FuzzCheck(reply != messages.end() && reply->size() == 24 && reply->front() == 0xF0 &&
                  reply->back() == 0xF7);
        FuzzCheck(
            std::equal(identity.begin(), identity.end(), reply->begin() + 7,
                       [](char c, std::uint8_t b) { return static_cast<std::uint8_t>(c) == b; }));
    }
    return 0;
}
