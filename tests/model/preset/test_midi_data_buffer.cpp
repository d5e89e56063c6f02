// The MIDI data editor's buffer logic: composed events, room checks, typed bytes in hex
// and decimal, inserting in the middle, selecting and erasing cells, hidden bytes.
#include "preset/hex.h"
#include "preset/midi_data_buffer.h"

#include <QtTest>

using namespace tarnwick;

Q_DECLARE_METATYPE(std::string)

namespace {
MidiDataBuffer::Bytes bytesOf(const QByteArray& hex) {
    MidiDataBuffer::Bytes bytes;
    bytes.fill(0xFF);
    const QByteArray raw = QByteArray::fromHex(hex);
    std::copy(raw.begin(), raw.end(), bytes.begin());
    return bytes;
}
QByteArray hexOf(const MidiDataBuffer& buffer) {
    return QByteArray(reinterpret_cast<const char*>(buffer.bytes().data()), 16)
        .toHex(' ')
        .toUpper();
}
} // namespace

class MidiDataBufferTest : public QObject {
    Q_OBJECT
private slots:
    void composedEvents_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::addColumn<QString>("preview");
        QTest::newRow("Note On ch 1 key 60 velocity 127") << 0x90 << 1 << 60 << 127 << "90 3C 7F";
        QTest::newRow("Control Change ch 16 controller 7 value 100")
            << 0xB0 << 16 << 7 << 100 << "BF 07 64";
        QTest::newRow("Program Change ch 10 patch 0") << 0xC0 << 10 << 0 << 127 << "C9 00";
        QTest::newRow("Start ignores the channel") << 0xFA << 9 << 60 << 127 << "FA";
        QTest::newRow("Song Position, low part first") << 0xF2 << 5 << 16 << 2 << "F2 10 02";
        QTest::newRow("Pitch Wheel LSB then MSB") << 0xE0 << 3 << 0 << 64 << "E2 00 40";
        QTest::newRow("Mono Aftertouch") << 0xD0 << 2 << 99 << 1 << "D1 63";
        QTest::newRow("Song Select") << 0xF3 << 1 << 3 << 1 << "F3 03";
    }
    void composedEvents() {
        QFETCH(int, status);
        QFETCH(int, channel);
        QFETCH(int, first);
        QFETCH(int, second);
        QFETCH(QString, preview);
        const MidiEventKind& kind = MidiEventKindOf(std::uint8_t(status));
        QCOMPARE(int(kind.status), status);
        QCOMPARE(QString::fromStdString(EventPreview(ComposeEvent(kind, channel, first, second))),
                 preview);
    }

    void kindsInButtonOrder() {
        QList<int> statuses;
        for (const MidiEventKind& kind : MidiEventKinds()) {
            statuses << kind.status;
        }
        QCOMPARE(statuses,
                 (QList<int>{144, 128, 160, 208, 176, 192, 224, 242, 243, 250, 251, 252}));
    }

    void noteNames_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<std::string>("name");
        QTest::newRow("0") << 0 << std::string("C 0");
        QTest::newRow("60") << 60 << std::string("C 5");
        QTest::newRow("61") << 61 << std::string("C#5");
        QTest::newRow("119") << 119 << std::string("B 9");
        QTest::newRow("120") << 120 << std::string("---");
        QTest::newRow("127") << 127 << std::string("---");
    }
    void noteNames() {
        QFETCH(int, key);
        QFETCH(std::string, name);
        QCOMPARE(NoteName(key), name);
    }

    void roomChecks_data() {
        QTest::addColumn<int>("present");
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("room");
        QTest::newRow("14 + 3") << 14 << 3 << false;
        QTest::newRow("14 + 2") << 14 << 2 << true;
        QTest::newRow("14 + 1") << 14 << 1 << true;
        QTest::newRow("15 + 1") << 15 << 1 << true;
        QTest::newRow("16 + 1") << 16 << 1 << false;
    }
    void roomChecks() {
        QFETCH(int, present);
        QFETCH(int, length);
        QFETCH(bool, room);
        MidiDataBuffer buffer;
        buffer.insert(std::vector<std::uint8_t>(std::size_t(present), 0x11));
        QCOMPARE(buffer.byteCount(), present);
        QCOMPARE(buffer.hasRoomFor(length), room);
    }

    void typedHex_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("value");
        QTest::newRow("fe") << "fe" << 0xFE;
        QTest::newRow("FF") << "FF" << 0xFF;
        QTest::newRow("empty") << "" << 0x00;
        QTest::newRow("G1") << "G1" << 0x01;
        QTest::newRow("1G") << "1G" << 0x10;
        QTest::newRow("7") << "7" << 0x07;
        QTest::newRow("123: first two only") << "123" << 0x12;
    }
    void typedHex() {
        QFETCH(QString, entry);
        QFETCH(int, value);
        QCOMPARE(ParseHexEntry(entry.toStdString()), value);
    }

    // The one reader of "90 3C 7F" text, used wherever bytes come back from text.
    void hexPairsText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("bytes"); // "-": not of the form
        QTest::newRow("no bytes") << ""
                                  << "";
        QTest::newRow("three") << "90 3C 7F"
                               << "903c7f";
        QTest::newRow("lower case") << "b0 0a"
                                    << "b00a";
        for (const char* bad : {"90 ", " 90", "903C", "9", "90  3C", "G0", "90,3C"}) {
            QTest::newRow(bad) << bad << "-";
        }
    }
    void hexPairsText() {
        QFETCH(QString, text);
        QFETCH(QString, bytes);
        const auto parsed = ParseHexPairs(text.toStdString());
        QCOMPARE(parsed ? QByteArray(reinterpret_cast<const char*>(parsed->data()),
                                     qsizetype(parsed->size()))
                              .toHex()
                        : QByteArray("-"),
                 bytes.toLatin1());
        if (parsed) {
            QCOMPARE(QString::fromStdString(HexPairs(*parsed)), text.toUpper());
        }
    }

    void typedDecimal_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("value"); // -1000: not a number
        QTest::newRow("254") << "254" << 254;
        QTest::newRow("255") << "255" << 255;
        QTest::newRow("abc") << "abc" << -1000;
        QTest::newRow("empty") << "" << -1000;
        QTest::newRow("12a") << "12a" << -1000;
        QTest::newRow("-1") << "-1" << -1;
        QTest::newRow("+7") << "+7" << 7;
    }
    void typedDecimal() {
        QFETCH(QString, entry);
        QFETCH(int, value);
        QCOMPARE(ParseDecimalEntry(entry.toStdString()).value_or(-1000), value);
    }

    void typedBytes_data() {
        QTest::addColumn<int>("present");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("result");
        QTest::newRow("254 goes in") << 0 << 254 << int(MidiDataBuffer::TypedResult::Inserted);
        QTest::newRow("255 refused") << 0 << 255 << int(MidiDataBuffer::TypedResult::TooLarge);
        QTest::newRow("negative refused") << 0 << -1 << int(MidiDataBuffer::TypedResult::Negative);
        QTest::newRow("full") << 16 << 5 << int(MidiDataBuffer::TypedResult::NoRoom);
        QTest::newRow("full, value checked first")
            << 16 << 255 << int(MidiDataBuffer::TypedResult::TooLarge);
    }
    void typedBytes() {
        QFETCH(int, present);
        QFETCH(int, value);
        QFETCH(int, result);
        MidiDataBuffer buffer;
        buffer.insert(std::vector<std::uint8_t>(std::size_t(present), 0x22));
        const auto before = buffer.bytes();
        QCOMPARE(int(buffer.insertTyped(value)), result);
        if (result == int(MidiDataBuffer::TypedResult::Inserted)) {
            QCOMPARE(buffer.byteCount(), present + 1);
            QCOMPARE(int(buffer.bytes()[std::size_t(present)]), value);
        } else {
            QVERIFY(buffer.bytes() == before);
        }
    }

    void insertingInTheMiddle() {
        MidiDataBuffer buffer;
        buffer.setBytes(bytesOf("903C7F"));
        QCOMPARE(buffer.insertPosition(), 3);
        QCOMPARE(buffer.selectCell(0), 0);
        buffer.insert(ComposeEvent(MidiEventKindOf(0xFA), 1, 0, 0));
        buffer.insert(ComposeEvent(MidiEventKindOf(0xFA), 1, 0, 0));
        QCOMPARE(hexOf(buffer).left(14), QByteArray("FA FA 90 3C 7F"));
        QCOMPARE(buffer.insertPosition(), 2);
        // A typed byte then moves the selection to the first free cell.
        buffer.insertTyped(0xB0);
        QCOMPARE(hexOf(buffer).left(17), QByteArray("FA FA B0 90 3C 7F"));
        QCOMPARE(buffer.selectCell(buffer.byteCount()), 6);
    }

    void selectingBeyondTheDataSelectsTheFirstFreeCell() {
        MidiDataBuffer buffer;
        buffer.setBytes(bytesOf("903C7F"));
        QCOMPARE(buffer.selectCell(9), 3);
        QCOMPARE(buffer.selectCell(1), 1);
        QCOMPARE(buffer.cellText(0), std::string("90"));
        QCOMPARE(buffer.cellText(3), std::string(" "));
    }

    void erasing_data() {
        QTest::addColumn<int>("cell");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("cell 1") << 1 << QByteArray("90 7F FF");
        QTest::newRow("first free cell") << 3 << QByteArray("90 3C 7F");
        QTest::newRow("beyond") << 10 << QByteArray("90 3C 7F");
    }
    void erasing() {
        QFETCH(int, cell);
        QFETCH(QByteArray, after);
        MidiDataBuffer buffer;
        buffer.setBytes(bytesOf("903C7F"));
        buffer.selectCell(cell);
        buffer.eraseAt(cell);
        QCOMPARE(hexOf(buffer).left(after.size()), after);
        QCOMPARE(buffer.bytes()[15], std::uint8_t(0xFF));
        buffer.eraseAll();
        QCOMPARE(buffer.byteCount(), 0);
        QCOMPARE(buffer.insertPosition(), 0);
    }

    void hiddenBytesMoveWithTheTail() {
        MidiDataBuffer buffer;
        buffer.setBytes(bytesOf("90FF05"));
        QCOMPARE(buffer.byteCount(), 1);
        buffer.selectCell(1);
        buffer.insert({0xFA});
        QCOMPARE(hexOf(buffer).left(11), QByteArray("90 FA FF 05"));
        buffer.eraseAt(0);
        QCOMPARE(hexOf(buffer).left(8), QByteArray("FA FF 05"));
    }

    void fullBufferTakesNothingMore() {
        MidiDataBuffer buffer;
        buffer.insert(std::vector<std::uint8_t>(16, 0x33));
        QCOMPARE(buffer.byteCount(), 16);
        QCOMPARE(buffer.selectCell(3), 3);
        QVERIFY(!buffer.hasRoomFor(1));
        QCOMPARE(buffer.selectCell(16), 16);
        buffer.insert({0x01}); // the caller checked for room; nothing lands past the end
        QCOMPARE(buffer.bytes()[15], std::uint8_t(0x33));
    }
};

QTEST_GUILESS_MAIN(MidiDataBufferTest)
#include "test_midi_data_buffer.moc"
