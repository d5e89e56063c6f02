// Preset message layout: F0 7D 22 24, preset index, 13 name bytes, then every other
// record byte as a high/low nibble pair so all data stays below 0x80, and F7.
#include "preset/preset_message.h"

#include <iterator>
#include <vector>

namespace tarnwick {

namespace {

constexpr std::uint8_t kDisabledHigh = 0x08;
constexpr std::uint8_t kDisabledLow = 0x00;

class MessageBuilder {
public:
    void byte(std::uint8_t value) { m_message[m_size++] = value; }
    void nibblePair(std::uint8_t value) {
        byte(static_cast<std::uint8_t>(value >> 4));
        byte(static_cast<std::uint8_t>(value & 0x0F));
    }
    const PresetMessage& message() const { return m_message; }
    std::size_t size() const { return m_size; }

private:
    PresetMessage m_message{};
    std::size_t m_size = 0;
};

// Reads one byte; nothing at the end of the input.
std::optional<std::uint8_t> next(std::istream& in) {
    const auto value = in.get();
    if (value == std::istream::traits_type::eof()) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(value);
}

struct NibblePair {
    std::uint8_t high;
    std::uint8_t low;
    bool valid() const { return high < 0x10 && low < 0x10; }
    std::uint8_t value() const { return static_cast<std::uint8_t>(high * 16 + low); }
};

std::optional<NibblePair> nextPair(std::istream& in) {
    const auto high = next(in);
    const auto low = next(in);
    if (!high || !low) {
        return std::nullopt;
    }
    return NibblePair{*high, *low};
}

DecodeOutcome failure(DecodeError error, std::optional<std::uint8_t> presetByte = std::nullopt) {
    return DecodeOutcome{std::nullopt, error, presetByte};
}

} // namespace

PresetMessage EncodePresetMessage(const PresetRecord& record, PresetIndex presetNumber) {
    MessageBuilder out;
    out.byte(kSysExStart);
    out.byte(kManufacturerId);
    out.byte(kKeypadDeviceId);
    out.byte(kPresetCommand);
    out.byte(static_cast<std::uint8_t>(presetNumber.zeroBased()));

    const std::string name = PresetName(record);
    for (std::size_t i = 0; i < kNameLength; ++i) {
        out.byte(i < name.size() ? static_cast<std::uint8_t>(name[i]) : ' ');
    }
    for (const ChannelSlot& slot : record.channels) {
        for (std::uint8_t slotByte : slot.bytes) {
            // A switched-off slot never carries its kept value to the keypad.
            if (SlotEnabled(slotByte)) {
                out.nibblePair(slotByte);
            } else {
                out.byte(kDisabledHigh);
                out.byte(kDisabledLow);
            }
        }
    }
    for (std::uint8_t dataByte : record.data) {
        out.nibblePair(dataByte);
    }
    out.nibblePair(record.placement);
    out.nibblePair(record.reservedA);
    out.nibblePair(record.reservedB);
    out.byte(kSysExEnd);
    return out.message();
}

PresetRecord CarriedByMessage(PresetRecord record) {
    for (ChannelSlot& slot : record.channels) {
        for (std::uint8_t& slotByte : slot.bytes) {
            if (!SlotEnabled(slotByte)) {
                slotByte = kSlotDisabled;
            }
        }
    }
    std::string name = PresetName(record);
    name.resize(kNameLength, ' ');
    SetPresetName(record, name);
    return record;
}

bool IsUntouchedDefault(const PresetRecord& record, PresetIndex index) {
    const PresetRecord fresh = NewBankPreset(index);
    return record == fresh || record == CarriedByMessage(fresh);
}

bool WritePresetMessage(const std::filesystem::path& fileName, bool append,
                        const PresetRecord& record, PresetIndex presetNumber) {
    std::ofstream file(fileName, std::ios::binary | (append ? std::ios::app : std::ios::trunc));
    if (!file) {
        return false;
    }
    const PresetMessage message = EncodePresetMessage(record, presetNumber);
    file.write(reinterpret_cast<const char*>(message.data()),
               static_cast<std::streamsize>(message.size()));
    file.close();
    return !file.fail();
}

const char* DecodeErrorText(DecodeError error) {
    // In the order of DecodeError.
    static constexpr const char* kTexts[] = {
        "",
        "File does not start with 0xF0.",
        "Manufacturer ID not 0x7D.",
        "Device ID not 0x22. Wrong file type selected?",
        "Invalid command byte.",
        "Preset # beyond 100 (0x63).",
        "Unexpected End-of-File.",
    };
    static_assert(std::size(kTexts) == std::size_t(DecodeError::UnexpectedEnd) + 1);
    return kTexts[std::size_t(error)];
}

DecodeOutcome DecodePresetMessage(std::istream& in) {
    // The end of the input in the header reads as a value that fails that byte's check.
    if (next(in) != kSysExStart) {
        return failure(DecodeError::NoStart);
    }
    if (next(in) != kManufacturerId) {
        return failure(DecodeError::WrongManufacturer);
    }
    if (next(in) != kKeypadDeviceId) {
        return failure(DecodeError::WrongDevice);
    }
    const auto command = next(in);
    if (command != kPresetCommand && command != kPresetCommandAlternate) {
        return failure(DecodeError::WrongCommand);
    }
    const auto presetByte = next(in);
    if (!presetByte || *presetByte >= kPresetCount) {
        return failure(DecodeError::PresetOutOfRange, presetByte);
    }

    PresetRecord record = DefaultPresetRecord();
    for (std::size_t i = 0; i < kNameLength; ++i) {
        const auto character = next(in);
        if (!character) {
            return failure(DecodeError::UnexpectedEnd, presetByte);
        }
        record.name[i] = *character;
    }
    record.name[kNameLength] = 0;

    // Reads the next pair into `field`; false when the input ends first. In the slots and
    // the data, pairs with a byte of 0x10 or more are not nibbles: the field keeps its
    // default. The trailing bytes take whatever the pair says.
    const auto readPair = [&in](std::uint8_t& field, bool onlyNibbles) {
        const auto pair = nextPair(in);
        if (pair && (pair->valid() || !onlyNibbles)) {
            field = pair->value();
        }
        return pair.has_value();
    };
    std::vector<std::uint8_t*> nibbleFields;
    for (ChannelSlot& slot : record.channels) {
        for (std::uint8_t& slotByte : slot.bytes) {
            nibbleFields.push_back(&slotByte);
        }
    }
    for (std::uint8_t& dataByte : record.data) {
        nibbleFields.push_back(&dataByte);
    }
    for (std::uint8_t* field : nibbleFields) {
        if (!readPair(*field, true)) {
            return failure(DecodeError::UnexpectedEnd, presetByte);
        }
    }
    for (std::uint8_t* trailing : {&record.placement, &record.reservedA, &record.reservedB}) {
        if (!readPair(*trailing, false)) {
            return failure(DecodeError::UnexpectedEnd, presetByte);
        }
    }
    // The terminator must be there, but its value is not checked.
    if (!next(in)) {
        return failure(DecodeError::UnexpectedEnd, presetByte);
    }
    return DecodeOutcome{record, DecodeError::None, presetByte};
}

bool PresetFileReader::open(const std::filesystem::path& fileName) {
    m_file.close();
    m_file.clear();
    m_file.open(fileName, std::ios::binary);
    return m_file.is_open();
}

DecodeOutcome PresetFileReader::next() {
    DecodeOutcome outcome = DecodePresetMessage(m_file);
    if (outcome.presetByte) {
        m_lastPresetByte = *outcome.presetByte;
    }
    if (outcome.error != DecodeError::None) {
        m_file.close();
    }
    return outcome;
}

} // namespace tarnwick
