// Firmware files and their sending: how a file splits into blocks, which files are
// refused, and how the blocks go out, each acknowledged but the last.
#include "counting_cycle_lock.h"
#include "fake_clock.h"
#include "fake_midi_backend.h"
#include "firmware_messages.h"
#include "firmware_sender.h"
#include "port_layer.h"
#include "preset/firmware_file.h"
#include "row_folder.h"

#include <QtTest>

using namespace tarnwick;
using testing::FakeClock;
using testing::FakeMidiBackend;
using testing::FirmwareMessage;

Q_DECLARE_METATYPE(tarnwick::FirmwareReadResult)
Q_DECLARE_METATYPE(tarnwick::TransferResult)

class FirmwareTest : public QObject {
    Q_OBJECT
    testing::RowFolder m_dir;

private slots:
    void init() { m_dir.renew(); }

    void reading_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<FirmwareReadResult>("result");
        QTest::addColumn<QList<int>>("blocks"); // message length of each block
        const QByteArray three = FirmwareMessage(10) + FirmwareMessage(20) + FirmwareMessage(2048);
        QTest::newRow("three messages ending with F7")
            << three << FirmwareReadResult::Read << QList<int>{10, 20, 2048, 2048};
        QTest::newRow("bytes after the last F7 that end no message")
            << FirmwareMessage(10) + QByteArray::fromHex("F07D2101")
            << FirmwareReadResult::NotFirmware << QList<int>{};
        QTest::newRow("2049-byte message")
            << FirmwareMessage(2049) << FirmwareReadResult::NotFirmware << QList<int>{};
        QByteArray preset = FirmwareMessage(153);
        preset[2] = 0x22;
        QTest::newRow("a preset file") << preset << FirmwareReadResult::NotFirmware << QList<int>{};
        QByteArray second = FirmwareMessage(10) + FirmwareMessage(10);
        second[12] = 0x22;
        QTest::newRow("second message not firmware")
            << second << FirmwareReadResult::NotFirmware << QList<int>{};
        QTest::newRow("empty file")
            << QByteArray() << FirmwareReadResult::NotFirmware << QList<int>{};
        QTest::newRow("no F7 at all") << QByteArray::fromHex("F07D2101020304")
                                      << FirmwareReadResult::NotFirmware << QList<int>{};
        QTest::newRow("leading byte not checked")
            << QByteArray::fromHex("007D21F7") << FirmwareReadResult::Read << QList<int>{4, 2048};
    }
    void reading() {
        QFETCH(QByteArray, file);
        QFETCH(FirmwareReadResult, result);
        QFETCH(QList<int>, blocks);
        FirmwareImage image;
        QCOMPARE(ReadFirmwareFile(m_dir.write("firmware.syx", file).toStdString(), image), result);
        QList<int> lengths;
        for (const FirmwareBlock& block : image) {
            lengths << int(block.messageLength());
        }
        QCOMPARE(lengths, blocks);
        if (result == FirmwareReadResult::Read) {
            QCOMPARE(QByteArray(reinterpret_cast<const char*>(image[0].data.data()), blocks[0]),
                     file.left(blocks[0]));
        }
    }

    void missingFileCannotBeOpened() {
        FirmwareImage image;
        QCOMPARE(ReadFirmwareFile(m_dir.filePath("none.syx").toStdString(), image),
                 FirmwareReadResult::CannotOpen);
        QVERIFY(image.empty());
    }

    void sending_data() {
        QTest::addColumn<bool>("upgradeMode");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<bool>("portsOpen");
        QTest::addColumn<TransferResult>("result");
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("onTheWire");
        QTest::newRow("upgrade mode")
            << true << true << true << TransferResult::Acknowledged << 4 << 3;
        QTest::newRow("not in upgrade mode")
            << false << true << true << TransferResult::NoAcknowledge << 1 << 1;
        QTest::newRow("no interface")
            << true << false << true << TransferResult::NoInterface << 0 << 0;
        QTest::newRow("ports will not open")
            << true << true << false << TransferResult::PortsUnavailable << 0 << 0;
    }
    void sending() {
        QFETCH(bool, upgradeMode);
        QFETCH(bool, selected);
        QFETCH(bool, portsOpen);
        QFETCH(TransferResult, result);
        QFETCH(int, steps);
        QFETCH(int, onTheWire);
        FakeMidiBackend backend;
        backend.keypad = KeypadProtocol({.upgradeMode = upgradeMode});
        FakeClock clock;
        testing::CountingCycleLock cycleLock;
        MidiPortLayer ports(backend, clock, cycleLock);
        ports.refreshInterfaces();
        ports.setSelectedInterface(selected ? 0 : -1);
        backend.refuseOutput = !portsOpen;
        FirmwareImage image;
        QCOMPARE(
            ReadFirmwareFile(m_dir
                                 .write("firmware.syx", FirmwareMessage(10) + FirmwareMessage(20) +
                                                            FirmwareMessage(2048))
                                 .toStdString(),
                             image),
            FirmwareReadResult::Read);
        int stepped = 0;
        QCOMPARE(SendFirmware(ports, image, [&stepped] { ++stepped; }), result);
        QCOMPARE(stepped, steps);
        QCOMPARE(int(backend.sent.size()), onTheWire);
        // The empty last block is refused at the hand-over: no 2048 zero bytes go out.
        for (const Bytes& sent : backend.sent) {
            QCOMPARE(sent.front(), std::uint8_t(0xF0));
            QCOMPARE(sent.back(), std::uint8_t(0xF7));
        }
        if (onTheWire == 3) {
            QCOMPARE(backend.sent[2].size(), std::size_t(2048));
            QCOMPARE(backend.keypad.firmwareMessages(), 3);
        }
    }

    void everyMessageIsAcknowledgedTheLastIncluded_data() {
        QTest::addColumn<QByteArray>("acknowledged"); // the message sizes the keypad answers
        QTest::addColumn<TransferResult>("result");
        QTest::newRow("both") << QByteArray("\x05\x14") << TransferResult::Acknowledged;
        QTest::newRow("not the last") << QByteArray("\x05") << TransferResult::NoAcknowledge;
    }
    void everyMessageIsAcknowledgedTheLastIncluded() {
        QFETCH(QByteArray, acknowledged);
        QFETCH(TransferResult, result);
        FakeMidiBackend backend;
        FakeClock clock;
        testing::CountingCycleLock cycleLock;
        MidiPortLayer ports(backend, clock, cycleLock);
        ports.refreshInterfaces();
        ports.setSelectedInterface(0);
        backend.replies = [acknowledged](const Bytes& m) {
            return acknowledged.contains(char(m.size()))
                       ? std::vector<Bytes>{{0xF0, 0x7D, 0x21, 0x01, 0x41, 0xF7}}
                       : std::vector<Bytes>{};
        };
        FirmwareImage image;
        QCOMPARE(
            ReadFirmwareFile(
                m_dir.write("firmware.syx", QByteArray::fromHex("F07D2101F7") + FirmwareMessage(20))
                    .toStdString(),
                image),
            FirmwareReadResult::Read);
        QCOMPARE(SendFirmware(ports, image, {}), result);
        image.pop_back(); // even without the empty block that closes a file's image
        QCOMPARE(SendFirmware(ports, image, {}), result);
    }
};

QTEST_GUILESS_MAIN(FirmwareTest)
#include "test_firmware.moc"
