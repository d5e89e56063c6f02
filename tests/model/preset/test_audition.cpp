// What playing a preset sends: the MIDI data split into whole messages around the
// channels' bank selects and program changes, and MIDI data that is refused.
#include "preset/audition.h"

#include <QtTest>

using namespace tarnwick;

namespace {

// Bytes as "B0 00 05", messages joined by " | ".
QString shown(const std::vector<std::vector<std::uint8_t>>& messages) {
    QStringList parts;
    for (const auto& message : messages) {
        parts << QByteArray(reinterpret_cast<const char*>(message.data()),
                            qsizetype(message.size()))
                     .toHex(' ')
                     .toUpper();
    }
    return parts.join(" | ");
}

} // namespace

class AuditionTest : public QObject {
    Q_OBJECT
private slots:
    // Channel 1 has every value on (MSB 5, LSB 6, stored program 7); channel 10 only its
    // program (0, shown as 1); channel 16's MSB is on, its LSB and program off.
    void messages_data() {
        QTest::addColumn<QByteArray>("data"); // before the FFs that fill the rest
        QTest::addColumn<bool>("post");
        QTest::addColumn<QString>("sent");    // when played
        QTest::addColumn<QString>("refusal"); // when refused
        const QString channels = "B0 00 05 | B0 20 06 | C0 07 | C9 00 | BF 00 7F";
        QTest::newRow("no MIDI data") << QByteArray() << false << channels << "";
        QTest::newRow("Pre: data first")
            << QByteArray::fromHex("B00764") << false << "B0 07 64 | " + channels << "";
        QTest::newRow("Post: data last, System Exclusive whole, a real-time byte alone")
            << QByteArray::fromHex("F07D0102F7F8C105") << true
            << channels + " | F0 7D 01 02 F7 | F8 | C1 05"
            << "";
        QTest::newRow("a data byte without a status byte")
            << QByteArray::fromHex("B0076440") << false << ""
            << "The MIDI data is not whole MIDI messages: byte 4 (40) follows no status byte.";
        QTest::newRow("a message cut short by the end")
            << QByteArray::fromHex("90 3C") << true << ""
            << "The MIDI data is not whole MIDI messages: the message at byte 1 (90) is cut short.";
        QTest::newRow("a message cut short by the next status")
            << QByteArray::fromHex("B007C005") << false << ""
            << "The MIDI data is not whole MIDI messages: the message at byte 1 (B0) is cut short.";
        QTest::newRow("System Exclusive without F7")
            << QByteArray::fromHex("F07D01") << false << ""
            << "The MIDI data is not whole MIDI messages: the System Exclusive message at byte 1 "
               "(F0) has no F7.";
        QTest::newRow("an undefined status byte")
            << QByteArray::fromHex("F4") << false << ""
            << "The MIDI data is not whole MIDI messages: byte 1 (F4) starts no MIDI message.";
    }
    void messages() {
        QFETCH(QByteArray, data);
        QFETCH(bool, post);
        QFETCH(QString, sent);
        QFETCH(QString, refusal);
        PresetRecord record;
        for (ChannelSlot& slot : record.channels) {
            slot.bytes.fill(kSlotDisabled | 0x11);
        }
        record.channel(1).bytes = {5, 6, 7};
        record.channel(10)[SlotKind::Program] = 0;
        record.channel(16)[SlotKind::Msb] = 0x7F;
        record.data.fill(kMidiDataEnd);
        std::copy(data.begin(), data.end(), record.data.begin());
        record.placement = post ? kPlacementPost : 0;
        const AuditionMessages played = PresetAudition(record);
        QCOMPARE(shown(played.messages), sent);
        QCOMPARE(QString::fromStdString(played.refusal), refusal);
    }
};

QTEST_GUILESS_MAIN(AuditionTest)
#include "test_audition.moc"
