// The default record and bank, and the name and MIDI data helpers.
#include "preset/preset_record.h"

#include <QtTest>

using namespace tarnwick;

Q_DECLARE_METATYPE(std::string)

class PresetRecordTest : public QObject {
    Q_OBJECT
private slots:
    void defaultRecordIsSwitchedOffWithProgramEqualToChannel() {
        const PresetRecord record = DefaultPresetRecord();
        QCOMPARE(PresetName(record), std::string("New Name "));
        QCOMPARE(record.name[9], std::uint8_t{0});
        QCOMPARE(record.name[13], std::uint8_t{0});
        for (int c = 1; c <= kChannelCount; ++c) {
            QCOMPARE(record.channel(c)[SlotKind::Msb], std::uint8_t{0x80});
            QCOMPARE(record.channel(c)[SlotKind::Lsb], std::uint8_t{0x80});
            QCOMPARE(record.channel(c)[SlotKind::Program], std::uint8_t(0x80 + c - 1));
            QCOMPARE(ProgramNumberFromStored(record.channel(c)[SlotKind::Program]), c);
        }
        for (std::uint8_t b : record.data) {
            QCOMPARE(b, kMidiDataEnd);
        }
        QCOMPARE(record.placement, std::uint8_t{0});
        QCOMPARE(record.reservedA, std::uint8_t{0});
        QCOMPARE(record.reservedB, std::uint8_t{0});
    }

    void newBankNamesRunFromOneToHundred() {
        PresetBank bank;
        bank[PresetIndex::fromOneBase(50)].placement = 1;
        bank.setCurrentPresetIndex(PresetIndex::fromOneBase(50));
        bank.reset();
        QCOMPARE(bank.currentPresetIndex().oneBased(), 1);
        QCOMPARE(PresetName(bank[PresetIndex::fromOneBase(1)]), std::string("New Name 1"));
        const PresetRecord& last = bank[PresetIndex::fromOneBase(100)];
        QCOMPARE(PresetName(last), std::string("New Name 100"));
        QCOMPARE(last.name[12], std::uint8_t{0}); // 12 characters: the terminator stays
        QCOMPARE(bank[PresetIndex::fromOneBase(50)], NewBankPreset(PresetIndex::fromOneBase(50)));
    }

    void bankRefusesIndexesOutsideItsPresets() {
        PresetBank bank;
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, bank[PresetIndex::fromOneBase(101)]);
        QVERIFY_THROWS_EXCEPTION(std::out_of_range,
                                 bank.setCurrentPresetIndex(PresetIndex::fromOneBase(0)));
    }

    void nameWithoutTerminatorShowsAllThirteen() {
        PresetRecord record = DefaultPresetRecord();
        SetPresetName(record, "ABCDEFGHIJKLMNOP");
        QCOMPARE(PresetName(record), std::string("ABCDEFGHIJKLM"));
        QCOMPARE(record.name[13], std::uint8_t{0});
    }

    void midiDataText_data() {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<std::string>("text");
        QTest::newRow("no data") << QByteArray(16, '\xFF') << std::string();
        QTest::newRow("three bytes")
            << QByteArray::fromHex("B00764FFFFFFFFFFFFFFFFFFFFFFFFFF") << std::string("B0 07 64 ");
        QTest::newRow("hidden bytes after the end marker")
            << QByteArray::fromHex("C005FF12345678FFFFFFFFFFFFFFFFFF") << std::string("C0 05 ");
        QTest::newRow("sixteen bytes, no end marker")
            << QByteArray::fromHex("000102030405060708090A0B0C0D0EFE")
            << std::string("00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E FE ");
    }
    void midiDataText() {
        QFETCH(QByteArray, data);
        QFETCH(std::string, text);
        PresetRecord record = DefaultPresetRecord();
        std::copy(data.begin(), data.end(), record.data.begin());
        QCOMPARE(MidiDataText(record), text);
    }

    void programNumbersConvertByOne_data() {
        QTest::addColumn<int>("program");
        QTest::addColumn<int>("stored");
        QTest::newRow("first") << 1 << 0x00;
        QTest::newRow("last") << 128 << 0x7F;
        QTest::newRow("middle") << 64 << 0x3F;
    }
    void programNumbersConvertByOne() {
        QFETCH(int, program);
        QFETCH(int, stored);
        QCOMPARE(int(StoredFromProgramNumber(program)), stored);
        QCOMPARE(ProgramNumberFromStored(std::uint8_t(stored)), program);
        QCOMPARE(ProgramNumberFromStored(std::uint8_t(stored | 0x80)), program);
    }
};

QTEST_GUILESS_MAIN(PresetRecordTest)
#include "test_preset_record.moc"
