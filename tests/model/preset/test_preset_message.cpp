// The preset SysEx message: encoder against stored bytes, decoder checks and messages,
// streams of several messages, and the file writer.
#include "preset/preset_message.h"
#include "preset/syx_file.h"

#include <QtTest>

#include <sstream>

using namespace tarnwick;

namespace {

QByteArray bytes(const PresetMessage& message) {
    return QByteArray(reinterpret_cast<const char*>(message.data()), qsizetype(message.size()));
}

QByteArray encode(const PresetRecord& record, int number) {
    return bytes(EncodePresetMessage(record, PresetIndex::fromOneBase(number)));
}

DecodeOutcome decode(const QByteArray& data) {
    std::istringstream in(data.toStdString());
    return DecodePresetMessage(in);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

bool writeFile(const QString& path, const QByteArray& data) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

// A record with every kind of field set to something other than its default.
PresetRecord busyRecord() {
    PresetRecord record = DefaultPresetRecord();
    SetPresetName(record, "Strings+Brass");
    for (int c = 1; c <= kChannelCount; ++c) {
        record.channel(c)[SlotKind::Msb] = std::uint8_t(c * 7);
        record.channel(c)[SlotKind::Lsb] = std::uint8_t(0x80 | c);
        record.channel(c)[SlotKind::Program] = std::uint8_t(127 - c);
    }
    const std::uint8_t data[] = {0xB0, 0x07, 0x64, 0xC0, 0x05};
    std::copy(std::begin(data), std::end(data), record.data.begin());
    record.placement = 0xA5;
    record.reservedA = 0x12;
    record.reservedB = 0xFE;
    return record;
}

} // namespace

Q_DECLARE_METATYPE(PresetRecord)

class PresetMessageTest : public QObject {
    Q_OBJECT
private slots:
    void encodesDefaultPresetOneAsStored() {
        const QByteArray stored =
            readFile(QStringLiteral(TARNWICK_TEST_DATA "/default_preset_1.syx"));
        QCOMPARE(stored.size(), 153);
        QCOMPARE(encode(NewBankPreset(PresetIndex::fromOneBase(1)), 1), stored);
    }

    void encodesFields_data() {
        QTest::addColumn<PresetRecord>("record");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QByteArray>("expected");
        PresetRecord r = DefaultPresetRecord();
        r.channel(1)[SlotKind::Msb] = 127;
        QTest::newRow("enabled MSB 127") << r << 18 << QByteArray::fromHex("070F");
        r = DefaultPresetRecord();
        r.channel(1)[SlotKind::Program] = StoredFromProgramNumber(1);
        QTest::newRow("enabled program 1") << r << 22 << QByteArray::fromHex("0000");
        r = DefaultPresetRecord();
        r.channel(16)[SlotKind::Program] = StoredFromProgramNumber(128);
        QTest::newRow("program 128, channel 16")
            << r << 18 + 6 * 15 + 4 << QByteArray::fromHex("070F");
        r = DefaultPresetRecord();
        r.channel(2)[SlotKind::Program] = std::uint8_t(0x80 | StoredFromProgramNumber(12));
        QTest::newRow("disabled program keeps no value") << r << 28 << QByteArray::fromHex("0800");
        r = DefaultPresetRecord();
        r.data[0] = 0xC0;
        QTest::newRow("data byte C0") << r << 114 << QByteArray::fromHex("0C000F0F");
        r = DefaultPresetRecord();
        r.placement = 0xA5;
        r.reservedA = 0x12;
        r.reservedB = 0xFE;
        QTest::newRow("placement and reserved bytes")
            << r << 146 << QByteArray::fromHex("0A0501020F0EF7");
        r = DefaultPresetRecord();
        SetPresetName(r, "Piano");
        QTest::newRow("short name padded with blanks") << r << 5 << QByteArray("Piano        ");
    }
    void encodesFields() {
        QFETCH(PresetRecord, record);
        QFETCH(int, offset);
        QFETCH(QByteArray, expected);
        const QByteArray message = encode(record, 1);
        QCOMPARE(message.size(), 153);
        QCOMPARE(message.mid(offset, expected.size()).toHex(' '), expected.toHex(' '));
    }

    void encodesPresetNumberAsIndex() {
        QCOMPARE(quint8(encode(DefaultPresetRecord(), 1).at(4)), quint8(0x00));
        QCOMPARE(quint8(encode(DefaultPresetRecord(), 100).at(4)), quint8(0x63));
    }

    void everyEncodedByteIsSysExData() {
        PresetRecord record = busyRecord();
        record.data.fill(0xFE);
        const QByteArray message = encode(record, 100);
        QCOMPARE(quint8(message.front()), kSysExStart);
        QCOMPARE(quint8(message.back()), kSysExEnd);
        for (qsizetype i = 1; i < message.size() - 1; ++i) {
            QVERIFY2(quint8(message[i]) < 0x80, qPrintable(QString::number(i)));
        }
    }

    void roundTrip_data() {
        QTest::addColumn<PresetRecord>("record");
        QTest::newRow("new bank preset") << NewBankPreset(PresetIndex::fromOneBase(42));
        QTest::newRow("every field set") << busyRecord();
        PresetRecord r = busyRecord();
        for (std::size_t i = 0; i < kMidiDataLength; ++i) {
            r.data[i] = std::uint8_t(0x90 + i);
        }
        QTest::newRow("sixteen data bytes") << r;
        r = busyRecord();
        r.data = {0x90, 0x3C, 0xFF, 0x12, 0x34, 0xFF, 0xFF, 0xFF,
                  0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
        QTest::newRow("hidden bytes behind the end marker") << r;
        r = busyRecord();
        SetPresetName(r, "ABCDEFGHIJKLM");
        QTest::newRow("thirteen-character name") << r;
    }
    void roundTrip() {
        QFETCH(PresetRecord, record);
        const DecodeOutcome outcome = decode(encode(record, 77));
        QCOMPARE(outcome.error, DecodeError::None);
        QCOMPARE(outcome.presetByte, std::optional<std::uint8_t>(76));
        QVERIFY(outcome.record.has_value());
        QVERIFY(*outcome.record == CarriedByMessage(record));
    }

    void decoderChecks_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("message"); // empty: decodes
        QTest::addColumn<int>("presetByte");  // -1: not read

        const QByteArray valid = encode(busyRecord(), 6);
        const auto with = [&valid](qsizetype at, char value) {
            QByteArray changed = valid;
            changed[at] = value;
            return changed;
        };
        const QString noStart = QStringLiteral("File does not start with 0xF0.");
        const QString eof = QStringLiteral("Unexpected End-of-File.");
        const QString beyond = QStringLiteral("Preset # beyond 100 (0x63).");

        QTest::newRow("valid") << valid << QString() << 5;
        QTest::newRow("empty file") << QByteArray() << noStart << -1;
        QTest::newRow("no F0") << with(0, 0x00) << noStart << -1;
        QTest::newRow("manufacturer") << with(1, 0x7E) << "Manufacturer ID not 0x7D." << -1;
        QTest::newRow("ends after F0") << valid.left(1) << "Manufacturer ID not 0x7D." << -1;
        QTest::newRow("device") << with(2, 0x21) << "Device ID not 0x22. Wrong file type selected?"
                                << -1;
        QTest::newRow("command") << with(3, 0x25) << "Invalid command byte." << -1;
        QTest::newRow("command 23 accepted") << with(3, 0x23) << QString() << 5;
        QTest::newRow("only the four header bytes") << valid.left(4) << beyond << -1;
        QTest::newRow("preset 100 accepted") << with(4, 0x63) << QString() << 0x63;
        QTest::newRow("preset 101") << with(4, 0x64) << beyond << 0x64;
        QTest::newRow("preset byte 7F") << with(4, 0x7F) << beyond << 0x7F;
        QTest::newRow("ends before the name") << valid.left(5) << eof << 5;
        QTest::newRow("ends inside the name") << valid.left(10) << eof << 5;
        QTest::newRow("ends after the name") << valid.left(18) << eof << 5;
        QTest::newRow("ends inside a slot pair") << valid.left(19) << eof << 5;
        QTest::newRow("ends inside the slots") << valid.left(60) << eof << 5;
        QTest::newRow("ends inside the data") << valid.left(120) << eof << 5;
        QTest::newRow("ends inside the trailer") << valid.left(147) << eof << 5;
        QTest::newRow("only the terminator missing") << valid.left(152) << eof << 5;
        QTest::newRow("terminator not F7") << with(152, 0x00) << QString() << 5;
    }
    void decoderChecks() {
        QFETCH(QByteArray, input);
        QFETCH(QString, message);
        QFETCH(int, presetByte);
        const DecodeOutcome outcome = decode(input);
        QCOMPARE(QString::fromLatin1(DecodeErrorText(outcome.error)), message);
        QCOMPARE(outcome.record.has_value(), message.isEmpty());
        QCOMPARE(outcome.presetByte.has_value() ? int(*outcome.presetByte) : -1, presetByte);
    }

    void decodesFieldsThatAreNoNibbles() {
        QByteArray message = encode(busyRecord(), 1);
        message[18] = 0x10; // channel 1 MSB: not a nibble pair
        message[20] = 0x08; // channel 1 LSB: disabled, keeping value 5
        message[21] = 0x05;
        message[114] = 0x1C; // first data byte: not a nibble pair
        message[146] = 0x1F; // placement: no nibble test, kept to 8 bits
        message[147] = 0x0F;
        const DecodeOutcome outcome = decode(message);
        QVERIFY(outcome.record);
        QCOMPARE(outcome.record->channel(1)[SlotKind::Msb], std::uint8_t{0x80});
        QCOMPARE(outcome.record->channel(1)[SlotKind::Lsb], std::uint8_t{0x85});
        QCOMPARE(outcome.record->channel(2)[SlotKind::Msb], std::uint8_t{14});
        QCOMPARE(outcome.record->data[0], std::uint8_t{0xFF});
        QCOMPARE(outcome.record->data[1], std::uint8_t{0x07});
        QCOMPARE(outcome.record->placement, std::uint8_t{0xFF});
    }

    void namesKeepTheirBytes() {
        QByteArray message = encode(DefaultPresetRecord(), 1);
        message[5] = char(0xE9);
        message[6] = 0x01;
        const DecodeOutcome outcome = decode(message);
        QVERIFY(outcome.record);
        QCOMPARE(outcome.record->name[0], std::uint8_t{0xE9});
        QCOMPARE(outcome.record->name[1], std::uint8_t{0x01});
        QCOMPARE(outcome.record->name[13], std::uint8_t{0});
    }

    void readsMessagesBackToBackFromOneFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("bank.syx"));
        QByteArray file;
        for (int n = 1; n <= 3; ++n) {
            file += encode(NewBankPreset(PresetIndex::fromOneBase(n)), n);
        }
        QVERIFY(writeFile(path, file));

        PresetFileReader reader;
        QVERIFY(reader.open(path.toStdString()));
        for (int n = 1; n <= 3; ++n) {
            const DecodeOutcome outcome = reader.next();
            QVERIFY(outcome.record);
            QCOMPARE(PresetName(*outcome.record), std::string("New Name ") + std::to_string(n) +
                                                      std::string(n < 10 ? 3 : 2, ' '));
            QCOMPARE(int(reader.lastPresetByte()), n - 1);
        }
        // Past the last message the file simply ends.
        QCOMPARE(reader.next().error, DecodeError::NoStart);
    }

    void failedCheckClosesTheFileAndSaysWhy() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("bad.syx"));
        QByteArray second = encode(DefaultPresetRecord(), 2);
        second[4] = 0x64;
        QVERIFY(writeFile(path, encode(DefaultPresetRecord(), 1) + second));

        PresetFileReader reader;
        QVERIFY(reader.open(path.toStdString()));
        QVERIFY(reader.next().record);
        QVERIFY(reader.isOpen());
        const DecodeOutcome outcome = reader.next();
        QVERIFY(!outcome.record);
        QVERIFY(!reader.isOpen());
        QCOMPARE(int(reader.lastPresetByte()), 0x64);
        QCOMPARE(QString::fromLatin1(DecodeErrorText(outcome.error)),
                 QStringLiteral("Preset # beyond 100 (0x63)."));
    }

    void missingFileCannotBeOpened() {
        PresetFileReader reader;
        QVERIFY(!reader.open("/nonexistent/dir/none.syx"));
        QVERIFY(!reader.isOpen());
    }

    void writerTruncatesOrAppends() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("out.syx"));
        QVERIFY(writeFile(path, QByteArray(500, 'x')));
        const PresetRecord record = busyRecord();
        QVERIFY(WritePresetMessage(path.toStdString(), false, record, PresetIndex::fromOneBase(3)));
        QVERIFY(WritePresetMessage(path.toStdString(), true, record, PresetIndex::fromOneBase(4)));
        QCOMPARE(readFile(path), encode(record, 3) + encode(record, 4));
    }

    void writerReportsAnOutputItCannotOpen() {
        QTemporaryDir dir;
        const std::string path = dir.filePath(QStringLiteral("missing/out.syx")).toStdString();
        QVERIFY(
            !WritePresetMessage(path, false, DefaultPresetRecord(), PresetIndex::fromOneBase(1)));
    }

    // A file read into slots: one preset up to 153 bytes, else a bank of its first 100
    // messages, by their numbers when each stands once, else in file order. `numbers` are the
    // numbers the messages name; message k carries a name "Slot k"; `order` is the message
    // each slot ends up with.
    void readsAFileIntoSlots_data() {
        QTest::addColumn<QList<int>>("numbers");
        QTest::addColumn<QByteArray>("tail");
        QTest::addColumn<int>("stop"); // SyxStop
        QTest::addColumn<QString>("error");
        QTest::addColumn<QList<int>>("order");
        QList<int> inOrder;
        for (int n = 1; n <= 100; ++n) {
            inOrder << n;
        }
        QList<int> reversed(inOrder.rbegin(), inOrder.rend());
        QList<int> twice = inOrder;
        twice[1] = 1;
        const int none = int(SyxStop::None);
        QTest::newRow("one preset numbered 7")
            << QList<int>{7} << QByteArray() << none << "" << QList<int>{1};
        QTest::newRow("a bank in order") << inOrder << QByteArray() << none << "" << inOrder;
        QTest::newRow("a bank numbered backwards")
            << reversed << QByteArray() << none << "" << reversed;
        QTest::newRow("a number twice: file order")
            << twice << QByteArray() << none << "" << inOrder;
        QTest::newRow("what follows the 100th is not read")
            << inOrder << QByteArray("junk") << none << "" << inOrder;
        QTest::newRow("a bank cut in its third message")
            << QList<int>{1, 2, 3} << QByteArray() << int(SyxStop::BadMessage)
            << "3 306 Unexpected End-of-File." << QList<int>();
        QTest::newRow("two whole messages")
            << QList<int>{1, 2} << QByteArray() << int(SyxStop::TooFew)
            << "3 306 holds 2 presets; a bank holds 100" << QList<int>();
        QTest::newRow("one preset of another maker")
            << QList<int>() << QByteArray::fromHex("F0431000F7") << int(SyxStop::BadMessage)
            << "1 0 Manufacturer ID not 0x7D." << QList<int>();
    }
    void readsAFileIntoSlots() {
        QFETCH(QList<int>, numbers);
        QFETCH(QByteArray, tail);
        QFETCH(int, stop);
        QFETCH(QString, error);
        QFETCH(QList<int>, order);
        QByteArray file;
        for (qsizetype k = 0; k < numbers.size(); ++k) {
            PresetRecord record = DefaultPresetRecord();
            SetPresetName(record, "Slot " + std::to_string(k + 1));
            file += encode(record, numbers[k]);
        }
        if (numbers.size() == 3) {
            file.chop(100); // the third message cut short
        }
        const SyxFileRead read = ReadSyxFile((file + tail).toStdString());
        QCOMPARE(int(read.stop), stop);
        QCOMPARE(read.bank, numbers.size() > 1);
        if (!read.whole()) {
            QCOMPARE(QStringLiteral("%1 %2 %3")
                         .arg(read.error.message)
                         .arg(read.error.offset)
                         .arg(QString::fromStdString(read.error.text)),
                     error);
            QVERIFY(read.records.empty());
            return;
        }
        QCOMPARE(read.records.size(), std::size_t(order.size()));
        for (qsizetype slot = 0; slot < order.size(); ++slot) {
            QCOMPARE(QString::fromStdString(PresetName(read.records[std::size_t(slot)])).trimmed(),
                     QStringLiteral("Slot %1").arg(order[slot]));
        }
    }
};

QTEST_GUILESS_MAIN(PresetMessageTest)
#include "test_preset_message.moc"
