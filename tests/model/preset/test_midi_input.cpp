// The MIDI input parser and the learner, as tables of byte streams cut into chunks.
#include "preset/midi_input.h"

#include <QtTest>

using namespace tarnwick;

namespace {

using Bytes = std::vector<std::uint8_t>;

// The messages a stream gives, one a line as "KIND CHANNEL: HEX", fed in chunks cut at
// `cuts` (positions in the stream).
QStringList parsed(const Bytes& stream, const QList<int>& cuts) {
    static const char* const kNames[] = {"note-off", "note-on",  "poly-pressure", "control",
                                         "program",  "pressure", "bend",          "common",
                                         "sysex",    "realtime"};
    MidiParser parser;
    QStringList out;
    const auto sink = [&out](const MidiMessage& message) {
        QString hex;
        for (const std::uint8_t b : message.bytes) {
            hex += QStringLiteral("%1 ").arg(b, 2, 16, QLatin1Char('0')).toUpper();
        }
        out << QStringLiteral("%1 %2: %3")
                   .arg(QLatin1String(kNames[int(message.kind)]))
                   .arg(message.channel)
                   .arg(hex.trimmed());
    };
    std::size_t from = 0;
    for (const int cut : cuts + QList<int>{int(stream.size())}) {
        parser.feed(stream.data() + from, std::size_t(cut) - from, sink);
        from = std::size_t(cut);
    }
    return out;
}

} // namespace

class MidiInputTest : public QObject {
    Q_OBJECT
private slots:
    void parsing_data() {
        QTest::addColumn<Bytes>("stream");
        QTest::addColumn<QList<int>>("cuts");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("bank selects and a program")
            << Bytes{0xB1, 0x00, 0x50, 0xB1, 0x20, 0x00, 0xC1, 0x00} << QList<int>{}
            << QStringList{"control 2: B1 00 50", "control 2: B1 20 00", "program 2: C1 00"};
        QTest::newRow("running status, cut in every message")
            << Bytes{0xB0, 0x00, 0x50, 0x20, 0x01, 0xC0, 0x05, 0x06} << QList<int>{1, 4, 6}
            << QStringList{"control 1: B0 00 50", "control 1: B0 20 01", "program 1: C0 05",
                           "program 1: C0 06"};
        QTest::newRow("clock inside a note, and active sensing")
            << Bytes{0x90, 0x3C, 0xF8, 0x64, 0xFE, 0x3C, 0x00} << QList<int>{}
            << QStringList{"realtime 0: F8", "note-on 1: 90 3C 64", "realtime 0: FE",
                           "note-on 1: 90 3C 00"};
        QTest::newRow("SysEx over three chunks, a clock inside it")
            << Bytes{0xF0, 0x7D, 0x01, 0xF8, 0x02, 0x03, 0xF7, 0xC2, 0x07} << QList<int>{2, 5}
            << QStringList{"realtime 0: F8", "sysex 0: F0 7D 01 02 03 F7", "program 3: C2 07"};
        QTest::newRow("a SysEx cut short by a status byte is dropped")
            << Bytes{0xF0, 0x7D, 0x01, 0xC0, 0x02} << QList<int>{}
            << QStringList{"program 1: C0 02"};
        QTest::newRow("stray data, a stray F7 and undefined bytes")
            << Bytes{0x12, 0xF7, 0x34, 0xF4, 0x01, 0xF9, 0xFD, 0xC0, 0x01} << QList<int>{}
            << QStringList{"program 1: C0 01"};
        QTest::newRow("system common leaves no running status")
            << Bytes{0xF2, 0x10, 0x20, 0x30, 0xF6, 0xE5, 0x00, 0x40} << QList<int>{1}
            << QStringList{"common 0: F2 10 20", "common 0: F6", "bend 6: E5 00 40"};
    }
    void parsing() {
        QFETCH(Bytes, stream);
        QFETCH(QList<int>, cuts);
        QFETCH(QStringList, messages);
        QCOMPARE(parsed(stream, cuts), messages);
        QCOMPARE(parsed(stream, {}), messages); // the cuts change nothing
    }

    // What a program change learns on its channel: the last bank selects the channel
    // received, held until others come, the rest left as it was.
    void learning_data() {
        QTest::addColumn<Bytes>("stream");
        QTest::addColumn<QStringList>("learned"); // channel: MSB/LSB/program, "-" not received
        QTest::newRow("MSB, LSB, program")
            << Bytes{0xB1, 0x00, 0x50, 0xB1, 0x20, 0x00, 0xC1, 0x00} << QStringList{"2: 80/0/0"};
        QTest::newRow("a program alone") << Bytes{0xC9, 0x10} << QStringList{"10: -/-/16"};
        QTest::newRow("bank selects are the channel's own, and hold")
            << Bytes{0xB0, 0x00, 0x51, 0xC1, 0x02, 0xC0, 0x03, 0xC0, 0x04}
            << QStringList{"2: -/-/2", "1: 81/-/3", "1: 81/-/4"};
        QTest::newRow("a new MSB replaces the old, the LSB held")
            << Bytes{0xB0, 0x00, 0x51, 0xB0, 0x20, 0x02, 0xC0, 0x01, 0xB0, 0x00, 0x52, 0xC0, 0x02}
            << QStringList{"1: 81/2/1", "1: 82/2/2"};
        QTest::newRow("other controllers, notes and clock learn nothing")
            << Bytes{0xB0, 0x07, 0x64, 0x90, 0x3C, 0x64, 0xF8, 0xB0, 0x20, 0x05, 0xC0, 0x01}
            << QStringList{"1: -/5/1"};
    }
    void learning() {
        QFETCH(Bytes, stream);
        QFETCH(QStringList, learned);
        MidiParser parser;
        ChannelLearner learner;
        QStringList got;
        parser.feed(stream.data(), stream.size(), [&](const MidiMessage& message) {
            if (const auto sound = learner.take(message)) {
                const auto value = [](const std::optional<std::uint8_t>& v) {
                    return v ? QString::number(*v) : QStringLiteral("-");
                };
                got << QStringLiteral("%1: %2/%3/%4")
                           .arg(sound->channel)
                           .arg(value(sound->msb), value(sound->lsb))
                           .arg(sound->program);
            }
        });
        QCOMPARE(got, learned);
    }

    // Learned values are written in and switched on; what was not received stays.
    void aLearnedSoundInAChannel() {
        const ChannelSlot before{{std::uint8_t(0x80 | 5), 7, std::uint8_t(0x80 | 9)}};
        const ChannelSlot after = LearnedSlot(before, {1, 80, std::nullopt, 0});
        QCOMPARE(after, (ChannelSlot{{80, 7, 0}}));
    }
};

QTEST_GUILESS_MAIN(MidiInputTest)
#include "test_midi_input.moc"
