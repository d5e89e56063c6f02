// The keypad simulator's answers: what a test peer says must be what the keypad says.
#include "keypad_protocol.h"

#include <QtTest>

using namespace tarnwick;
using Bytes = KeypadProtocol::Bytes;

Q_DECLARE_METATYPE(tarnwick::KeypadBehaviour)

namespace {
Bytes preset(int number, std::uint8_t command = kPresetCommand) {
    const PresetMessage m =
        EncodePresetMessage(DefaultPresetRecord(), PresetIndex::fromOneBase(number));
    Bytes bytes(m.begin(), m.end());
    bytes[3] = command;
    return bytes;
}
QList<QByteArray> hex(const std::vector<Bytes>& replies) {
    QList<QByteArray> out;
    for (const Bytes& reply : replies) {
        out << QByteArray(reinterpret_cast<const char*>(reply.data()), qsizetype(reply.size()))
                   .toHex(' ');
    }
    return out;
}
} // namespace

class KeypadProtocolTest : public QObject {
    Q_OBJECT
private slots:
    void answers_data() {
        QTest::addColumn<KeypadBehaviour>("behaviour");
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QList<QByteArray>>("replies");
        const auto bytes = [](const Bytes& b) {
            return QByteArray(reinterpret_cast<const char*>(b.data()), qsizetype(b.size()));
        };
        QTest::newRow("preset 42 acknowledged")
            << KeypadBehaviour{} << bytes(preset(42)) << QList<QByteArray>{"f0 7d 22 24 29 41 f7"};
        QTest::newRow("command 23 too")
            << KeypadBehaviour{} << bytes(preset(1, kPresetCommandAlternate))
            << QList<QByteArray>{"f0 7d 22 23 00 41 f7"};
        QTest::newRow("stops acknowledging at 42") << KeypadBehaviour{.stopAcknowledgingAt = 42}
                                                   << bytes(preset(42)) << QList<QByteArray>{};
        QTest::newRow("41 still acknowledged")
            << KeypadBehaviour{.stopAcknowledgingAt = 42} << bytes(preset(41))
            << QList<QByteArray>{"f0 7d 22 24 28 41 f7"};
        QTest::newRow("identity") << KeypadBehaviour{.identity = "TWK-5"}
                                  << QByteArray::fromHex("F07E7F0601F7")
                                  << QList<QByteArray>{
                                         "f0 7e 7f 06 02 7d 22 54 57 4b 2d 35 20 20 20 20 "
                                         "20 20 20 20 20 20 20 f7"};
        QTest::newRow("standard identity")
            << KeypadBehaviour{.standardIdentity = true} << QByteArray::fromHex("F07E7F0601F7")
            << QList<QByteArray>{"f0 7e 7f 06 02 7d 22 00 01 00 02 07 00 00 f7"};
        QTest::newRow("no identity") << KeypadBehaviour{.answerIdentity = false}
                                     << QByteArray::fromHex("F07E7F0601F7") << QList<QByteArray>{};
        QTest::newRow("firmware in upgrade mode")
            << KeypadBehaviour{.upgradeMode = true} << QByteArray::fromHex("F07D2101020304F7")
            << QList<QByteArray>{"f0 7d 21 01 41 f7"};
        QTest::newRow("firmware outside upgrade mode")
            << KeypadBehaviour{} << QByteArray::fromHex("F07D2101020304F7") << QList<QByteArray>{};
        QTest::newRow("echo comes first")
            << KeypadBehaviour{.echo = true} << QByteArray::fromHex("F07E7F0601F7")
            << QList<QByteArray>{
                   "f0 7e 7f 06 01 f7",
                   bytes(KeypadProtocol::identityReply("Tarnwick Keypad ")).toHex(' ')};
        QTest::newRow("other device")
            << KeypadBehaviour{} << QByteArray::fromHex("F0430001F7") << QList<QByteArray>{};
    }
    void answers() {
        QFETCH(KeypadBehaviour, behaviour);
        QFETCH(QByteArray, message);
        QFETCH(QList<QByteArray>, replies);
        KeypadProtocol keypad(behaviour);
        QCOMPARE(hex(keypad.receive(Bytes(message.begin(), message.end()))), replies);
    }

    void storesPresetsAndSelects() {
        KeypadProtocol keypad;
        Bytes first = keypad.memoryAsBank();
        QCOMPARE(first.size(), std::size_t(15300));
        const Bytes stored = preset(7);
        keypad.receive(stored);
        keypad.receive({0xF0, 0x7D, 0x22, 0x07, 0x06, 0xF7});
        const Bytes bank = keypad.memoryAsBank();
        QVERIFY(std::equal(stored.begin(), stored.end(), bank.begin() + 6 * 153));
        QVERIFY(std::equal(bank.begin(), bank.begin() + 6 * 153, first.begin()));
        QCOMPARE(keypad.selectedPreset(), 6);
        QCOMPARE(keypad.presetsStored(), 1);
    }
};

QTEST_GUILESS_MAIN(KeypadProtocolTest)
#include "test_keypad_protocol.moc"
