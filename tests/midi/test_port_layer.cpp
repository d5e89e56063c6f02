// The port layer against an in-process keypad on virtual time: pairing, the order of the
// transfer checks, reply positions, identity replies, waits and their bounds, and the
// mends (echo guard, no wrong device, bounded waits, cleared buffer, SysEx only).
#include "counting_cycle_lock.h"
#include "cycle_lock.h"
#include "fake_clock.h"
#include "fake_midi_backend.h"
#include "port_layer.h"
#include "preset/preset_message.h"
#include "row_folder.h"
#include "rtmidi_backend.h"

#include <QtTest>

#include <stdexcept>

using namespace tarnwick;
using namespace std::chrono_literals;
using testing::FakeClock;
using testing::FakeMidiBackend;

using Names = std::vector<std::optional<std::string>>;
Q_DECLARE_METATYPE(Names)
Q_DECLARE_METATYPE(std::vector<MidiPortPair>)
Q_DECLARE_METATYPE(tarnwick::TransferResult)
Q_DECLARE_METATYPE(tarnwick::MidiSystemKind)
Q_DECLARE_METATYPE(std::vector<std::string>)

namespace {

Bytes presetMessage(const std::string& name = "Piano", int number = 1) {
    PresetRecord record = NewBankPreset(PresetIndex::fromOneBase(number));
    SetPresetName(record, name);
    const PresetMessage m = EncodePresetMessage(record, PresetIndex::fromOneBase(number));
    return Bytes(m.begin(), m.end());
}

std::vector<std::optional<std::string>> numbered(const std::string& stem, int count) {
    std::vector<std::optional<std::string>> names;
    for (int i = 0; i < count; ++i) {
        names.push_back(stem + std::to_string(i));
    }
    return names;
}

} // namespace

class PortLayerTest : public QObject {
    Q_OBJECT

    FakeMidiBackend backend;
    FakeClock clock;
    testing::CountingCycleLock cycleLock;
    std::unique_ptr<MidiPortLayer> layer;
    testing::RowFolder dir;

    void select() {
        QCOMPARE(layer->refreshInterfaces(), 1);
        layer->setSelectedInterface(0);
        backend.log.clear();
    }
    // A preset message sent as a direct download sends it.
    TransferResult download(const Bytes& bytes) {
        PresetMessage message{};
        std::copy_n(bytes.begin(), std::min(bytes.size(), message.size()), message.begin());
        return layer->sendPresetMessage(message);
    }

private slots:
    void init() {
        dir.renew();
        backend = FakeMidiBackend();
        clock = FakeClock();
        cycleLock = testing::CountingCycleLock();
        layer = std::make_unique<MidiPortLayer>(backend, clock, cycleLock);
    }

    void pairing_data() {
        QTest::addColumn<Names>("outputs");
        QTest::addColumn<Names>("inputs");
        QTest::addColumn<std::vector<MidiPortPair>>("pairs");
        QTest::newRow("same name") << Names{"Synth", "Keypad"} << Names{"Keypad"}
                                   << std::vector<MidiPortPair>{{1, 0, "Keypad"}};
        QTest::newRow("letter case differs")
            << Names{"keypad"} << Names{"Keypad"} << std::vector<MidiPortPair>{};
        QTest::newRow("one name, several inputs")
            << Names{"Keypad"} << Names{"Keypad", "Other", "Keypad"}
            << std::vector<MidiPortPair>{{0, 0, "Keypad"}, {0, 2, "Keypad"}};
        QTest::newRow("no inputs") << Names{"Keypad"} << Names{} << std::vector<MidiPortPair>{};
        QTest::newRow("description fails: later devices not offered")
            << Names{"A", std::nullopt, "Keypad"} << Names{"Keypad", "A"}
            << std::vector<MidiPortPair>{{0, 1, "A"}};
        Names twelve = numbered("Port ", 12);
        QTest::newRow("only the first ten of twelve")
            << twelve << Names{"Port 11", "Port 9"} << std::vector<MidiPortPair>{{9, 1, "Port 9"}};
        std::vector<MidiPortPair> ten;
        for (int i = 0; i < 10; ++i) {
            ten.push_back({0, i, "Same"});
        }
        QTest::newRow("at most ten pairs")
            << Names{"Same"} << Names(10, std::string("Same")) << ten;
    }
    void pairing() {
        QFETCH(Names, outputs);
        QFETCH(Names, inputs);
        QFETCH(std::vector<MidiPortPair>, pairs);
        backend.outputs = outputs;
        backend.inputs = inputs;
        layer->setSelectedInterface(3);
        QCOMPARE(layer->refreshInterfaces(), int(pairs.size()));
        QVERIFY(layer->interfaceList() == pairs);
        QCOMPARE(layer->selectedInterface(), -1);
    }

    void transferChecksInOrder_data() {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<TransferResult>("result");
        QTest::addColumn<bool>("portsOpened");
        const QByteArray good =
            QByteArray(reinterpret_cast<const char*>(presetMessage().data()), 153);
        QByteArray badEnd = good;
        badEnd[152] = 0x00;
        QByteArray badStart = good;
        badStart[0] = 0x00;
        QTest::newRow("no F7") << badEnd << true << TransferResult::NotSysEx << false;
        QTest::newRow("no F0") << badStart << true << TransferResult::NotSysEx << false;
        QTest::newRow("no interface") << good << false << TransferResult::NoInterface << false;
        QTest::newRow("acknowledged") << good << true << TransferResult::Acknowledged << true;
    }
    void transferChecksInOrder() {
        QFETCH(QByteArray, message);
        QFETCH(bool, selected);
        QFETCH(TransferResult, result);
        QFETCH(bool, portsOpened);
        layer->refreshInterfaces();
        layer->setSelectedInterface(selected ? 0 : -1);
        QCOMPARE(download(Bytes(message.begin(), message.end())), result);
        QCOMPARE(!backend.log.empty(), portsOpened);
        if (portsOpened) {
            QCOMPARE(backend.sent.size(), std::size_t(1));
            QVERIFY(backend.sent[0] == presetMessage());
            QCOMPARE(backend.log,
                     (std::vector<std::string>{"open output 0", "open input 0", "send 153",
                                               "close output", "close input"}));
        }
    }

    void portsThatWillNotOpen_data() {
        QTest::addColumn<QString>("refusing");
        QTest::addColumn<std::vector<std::string>>("log");
        QTest::addColumn<int>("waitedMs");
        QTest::newRow("output") << "output" << std::vector<std::string>{"open output 0"} << 0;
        QTest::newRow("input: the output is closed again")
            << "input" << std::vector<std::string>{"open output 0", "open input 0", "close output"}
            << 0;
        QTest::newRow("another program's cycle that never ends: nothing opened after 10 s")
            << "lock" << std::vector<std::string>{} << 10000;
    }
    void portsThatWillNotOpen() {
        QFETCH(QString, refusing);
        QFETCH(std::vector<std::string>, log);
        QFETCH(int, waitedMs);
        select();
        backend.refuseOutput = refusing == "output";
        backend.refuseInput = refusing == "input";
        cycleLock.refusals = refusing == "lock" ? -1 : 0;
        QCOMPARE(download(presetMessage()), TransferResult::PortsUnavailable);
        QCOMPARE(backend.log, log);
        QVERIFY(backend.sent.empty());
        QCOMPARE(clock.totalPaused(), Clock::Duration(std::chrono::milliseconds(waitedMs)));
        QCOMPARE(cycleLock.held, 0);
        QCOMPARE(cycleLock.stoppedWaiting, refusing == "lock" ? 1 : 0);
    }

    // Work done inside a cycle that throws still closes the pair and gives the lock back.
    void aCycleThatThrowsClosesItsPair() {
        select();
        const Bytes message = presetMessage();
        bool thrown = false;
        try {
            layer->runCycle(0, message.data(), message.size(), kPresetAckPosition,
                            [] { throw std::runtime_error("inside the cycle"); });
        } catch (const std::runtime_error&) {
            thrown = true;
        }
        QVERIFY(thrown);
        QCOMPARE(backend.log, (std::vector<std::string>{"open output 0", "open input 0", "send 153",
                                                        "close output", "close input"}));
        QCOMPARE(cycleLock.held, 0);
        QCOMPARE(download(presetMessage()), TransferResult::Acknowledged); // the next one goes
    }

    // Two holders of the lock in one process, as two programs would be: "A+" A takes it,
    // "B-" B is refused (and waits), "Bx" B gives up, "A1" A lets go and another waits,
    // "A0" A lets go and nobody waits.
    void cycleLockBetweenTwoHolders_data() {
        QTest::addColumn<bool>("markIsAFolder");
        QTest::addColumn<QString>("steps");
        QTest::newRow("a waiter gets its turn") << false << "A+ B- A1 B+ B0 A+ A0";
        QTest::newRow("a waiter that gives up drops its mark") << false << "A+ B- Bx A0";
        QTest::newRow("no wait mark to be had: neither file is used")
            << true << "A+ A0 A+ A0 B+ B0 B+ B0";
    }
    void cycleLockBetweenTwoHolders() {
        QFETCH(bool, markIsAFolder);
        QFETCH(QString, steps);
        const std::string stem = dir.filePath("cycle").toStdString();
        if (markIsAFolder) {
            QVERIFY(QDir().mkdir(dir.filePath("cycle.wait")));
        }
        FileCycleLock a(stem);
        FileCycleLock b(stem);
        for (const QString& step : steps.split(' ')) {
            CycleLock& lock = step[0] == u'A' ? a : b;
            switch (step[1].toLatin1()) {
            case '+':
            case '-':
                QVERIFY2(lock.tryLock() == (step[1] == u'+'), qPrintable(step));
                break;
            case 'x':
                lock.stopWaiting();
                break;
            default:
                QVERIFY2(lock.unlock() == (step[1] == u'1'), qPrintable(step));
            }
        }
    }

    void replyPositions_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("position");
        QTest::addColumn<TransferResult>("result");
        QTest::newRow("A at 5") << QByteArray::fromHex("F07D2224004100F7") << 5
                                << TransferResult::Acknowledged;
        QTest::newRow("A at 5, anything around it")
            << QByteArray::fromHex("F0010203044199") << 5 << TransferResult::Acknowledged;
        QTest::newRow("A only at 4")
            << QByteArray::fromHex("F07D22244100F7") << 5 << TransferResult::NoAcknowledge;
        QTest::newRow("no reply") << QByteArray() << 5 << TransferResult::NoAcknowledge;
        QTest::newRow("firmware: A at 4")
            << QByteArray::fromHex("F07D210141F7") << 4 << TransferResult::Acknowledged;
        QTest::newRow("firmware: A at 5")
            << QByteArray::fromHex("F07D21010041F7") << 4 << TransferResult::NoAcknowledge;
    }
    void replyPositions() {
        QFETCH(QByteArray, reply);
        QFETCH(int, position);
        QFETCH(TransferResult, result);
        select();
        backend.replies = [reply](const Bytes&) {
            return reply.isEmpty() ? std::vector<Bytes>{}
                                   : std::vector<Bytes>{Bytes(reply.begin(), reply.end())};
        };
        const Bytes message = presetMessage();
        QCOMPARE(layer->sendAcknowledged(message.data(), message.size(), std::size_t(position)),
                 result);
    }

    void onlyTheFirstReplyCounts() {
        select();
        backend.replies = [](const Bytes&) {
            return std::vector<Bytes>{{0xF0, 0x01, 0x02, 0x03, 0x04, 0x05, 0xF7},
                                      {0xF0, 0x7D, 0x22, 0x24, 0x00, 0x41, 0xF7}};
        };
        QCOMPARE(download(presetMessage()), TransferResult::NoAcknowledge);
    }

    void identityReplies_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("identity");
        const auto keypad = KeypadProtocol::identityReply("TWK-5 v2.79     ");
        QTest::newRow("24-byte keypad reply")
            << QByteArray(reinterpret_cast<const char*>(keypad.data()), 24) << "TWK-5 v2.79     ";
        const auto standard = KeypadProtocol::standardIdentityReply();
        QTest::newRow("standard 15-byte reply")
            << QByteArray(reinterpret_cast<const char*>(standard.data()), 15) << "";
        QByteArray shortText = QByteArray(reinterpret_cast<const char*>(keypad.data()), 24);
        shortText[12] = 0;
        QTest::newRow("text ends at a zero byte") << shortText << "TWK-5";
        QByteArray noEnd = QByteArray(reinterpret_cast<const char*>(keypad.data()), 24);
        noEnd[23] = 0x00;
        QTest::newRow("24 bytes without F7") << noEnd << "";
        QTest::newRow("no reply") << QByteArray() << "";
    }
    void identityReplies() {
        QFETCH(QByteArray, reply);
        QFETCH(QString, identity);
        select();
        backend.replies = [reply](const Bytes& sent) {
            if (sent != Bytes{0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7} || reply.isEmpty()) {
                return std::vector<Bytes>{};
            }
            return std::vector<Bytes>{Bytes(reply.begin(), reply.end())};
        };
        QCOMPARE(layer->identify(0).result, TransferResult::Acknowledged);
        QCOMPARE(QString::fromStdString(layer->identityText()), identity);
        QCOMPARE(backend.sent.size(), std::size_t(1));
    }

    void probeClearsTheWholeBuffer() {
        select();
        backend.replies = [](const Bytes& sent) {
            // The first message gets a long reply that would look like an identity
            // reply's tail if only byte 0 were cleared.
            if (sent.size() == 153) {
                return std::vector<Bytes>{KeypadProtocol::identityReply("Stale text here!")};
            }
            return std::vector<Bytes>{};
        };
        QCOMPARE(download(presetMessage()), TransferResult::NoAcknowledge);
        QCOMPARE(layer->identityText(), std::string("Stale text here!"));
        const auto buffer = layer->identify(0).reply;
        QCOMPARE(layer->identityText(), std::string());
        QVERIFY(std::all_of(buffer.begin(), buffer.end(), [](std::uint8_t b) { return b == 0; }));
    }

    void echoIsNoReply_data() {
        QTest::addColumn<int>("stopAckAt");
        QTest::addColumn<TransferResult>("result");
        QTest::newRow("echo only: a name starting with A") << 1 << TransferResult::NoAcknowledge;
        QTest::newRow("echo, then the acknowledgement") << 0 << TransferResult::Acknowledged;
    }
    void echoIsNoReply() {
        QFETCH(int, stopAckAt);
        QFETCH(TransferResult, result);
        backend.keypad = KeypadProtocol({.stopAcknowledgingAt = stopAckAt, .echo = true});
        select();
        const Bytes alpha = presetMessage("Alpha");
        QCOMPARE(alpha[5], std::uint8_t('A'));
        QCOMPARE(download(alpha), result);
    }

    void neverTheWrongDevice_data() {
        QTest::addColumn<Names>("outputsNow");
        QTest::addColumn<Names>("inputsNow");
        QTest::newRow("output gone") << Names{} << Names{"Keypad"};
        QTest::newRow("input gone, another device in its place")
            << Names{"Keypad"} << Names{"Mixer"};
    }
    void neverTheWrongDevice() {
        QFETCH(Names, outputsNow);
        QFETCH(Names, inputsNow);
        select();
        backend.outputs = outputsNow;
        backend.inputs = inputsNow;
        QCOMPARE(download(presetMessage()), TransferResult::PortsUnavailable);
        QVERIFY(backend.log.empty());
        QVERIFY(backend.sent.empty());
    }

    // The interface is found again by name when devices come, go or are plugged in again.
    void followsTheInterfaceByName_data() {
        QTest::addColumn<Names>("outputsThen");
        QTest::addColumn<Names>("outputsNow");
        QTest::addColumn<Names>("inputsNow");
        QTest::addColumn<int>("chosen");
        QTest::addColumn<std::vector<std::string>>("opened");
        const Names keypad{"Keypad"};
        QTest::newRow("a device now sorts before it")
            << keypad << Names{"Mixer", "Keypad"} << Names{"Mixer", "Synth", "Keypad"} << 0
            << std::vector<std::string>{"open output 1", "open input 2"};
        Names eleven = numbered("Port ", 10);
        eleven.push_back(std::string("Keypad"));
        QTest::newRow("now past the tenth device")
            << keypad << eleven << keypad << 0
            << std::vector<std::string>{"open output 10", "open input 0"};
        QTest::newRow("the second of two of one name stays the second")
            << Names{"Keypad", "Keypad"} << Names{"Mixer", "Keypad", "Keypad"} << keypad << 1
            << std::vector<std::string>{"open output 2", "open input 0"};
    }
    void followsTheInterfaceByName() {
        QFETCH(Names, outputsThen);
        QFETCH(Names, outputsNow);
        QFETCH(Names, inputsNow);
        QFETCH(int, chosen);
        QFETCH(std::vector<std::string>, opened);
        backend.outputs = outputsThen;
        layer->refreshInterfaces();
        layer->setSelectedInterface(chosen);
        backend.outputs = outputsNow;
        backend.inputs = inputsNow;
        backend.log.clear();
        QCOMPARE(download(presetMessage()), TransferResult::Acknowledged);
        QVERIFY(backend.log.size() >= 2);
        QCOMPARE(std::vector<std::string>(backend.log.begin(), backend.log.begin() + 2), opened);
    }

    // A reply that comes after its message's wait is never taken for the next message's.
    // The keypad acknowledges the first message only; its answers come `delayMs` after
    // each message, `repeats` times, `gapMs` apart.
    void lateRepliesAreNeverTheNextOnes_data() {
        QTest::addColumn<int>("delayMs");
        QTest::addColumn<int>("repeats");
        QTest::addColumn<int>("gapMs");
        QTest::addColumn<TransferResult>("first");
        QTest::addColumn<int>("waitedMs"); // before the second message went out
        QTest::addColumn<bool>("secondSent");
        QTest::newRow("in time, 50 ms")
            << 50 << 1 << 0 << TransferResult::Acknowledged << 0 << true;
        for (int late : {101, 150, 2000}) {
            QTest::addRow("late, %d ms", late)
                << late << 1 << 0 << TransferResult::NoAcknowledge << 3000 << true;
        }
        // The last copy of the first answer comes 440 ms after the first message.
        QTest::newRow("answered 40 times, 10 ms apart")
            << 50 << 40 << 10 << TransferResult::Acknowledged << 440 << true;
        QTest::newRow("answered without end: the second one is never sent")
            << 50 << 2000 << 5 << TransferResult::Acknowledged << 3000 << false;
    }
    void lateRepliesAreNeverTheNextOnes() {
        QFETCH(int, delayMs);
        QFETCH(int, repeats);
        QFETCH(int, gapMs);
        QFETCH(TransferResult, first);
        QFETCH(int, waitedMs);
        QFETCH(bool, secondSent);
        select();
        backend.keypad = KeypadProtocol({.stopAcknowledgingAt = 2});
        backend.replyDelay = std::chrono::milliseconds(delayMs);
        backend.replyRepeats = repeats;
        backend.replyRepeatGap = std::chrono::milliseconds(gapMs);
        clock.onAdvance = [this](Clock::TimePoint now) {
            backend.deliverDue(now);
        };
        const Bytes one = presetMessage("One", 1);
        const Bytes two = presetMessage("Two", 2);
        QCOMPARE(layer->sendAcknowledged(one.data(), one.size(), kPresetAckPosition), first);
        const auto before = clock.now();
        QCOMPARE(layer->sendAcknowledged(two.data(), two.size(), kPresetAckPosition),
                 TransferResult::NoAcknowledge);
        const auto waited = clock.now() - before - (secondSent ? 100ms : 0ms);
        QVERIFY(waited >= std::chrono::milliseconds(waitedMs));
        QVERIFY(waited < std::chrono::milliseconds(waitedMs + 20));
        QCOMPARE(backend.sent.size(), secondSent ? 2u : 1u);
        if (waitedMs > 0 && delayMs < 3000) {
            QVERIFY(backend.lateRepliesDelivered >= 1); // it came, and was not taken
        }
        clock.onAdvance = nullptr;
    }

    void waitsAfterEachMessage_data() {
        QTest::addColumn<int>("busyMs");
        QTest::addColumn<int>("polls");
        QTest::addColumn<TransferResult>("result");
        QTest::addColumn<bool>("othersWaiting"); // for the cycle lock: they get a 10 ms turn
        QTest::newRow("finished within the 100 ms")
            << 99 << 0 << TransferResult::Acknowledged << false;
        QTest::newRow("a firmware-sized message keeps it open")
            << int(std::chrono::duration_cast<std::chrono::milliseconds>(MessageOutputTime(2048))
                       .count())
            << 605 << TransferResult::Acknowledged << false;
        QTest::newRow("output never finishes: give up after 5 s")
            << 1000000 << 5000 << TransferResult::NoAcknowledge << false;
        QTest::newRow("another program waits its turn: 10 ms for it after the cycle")
            << 99 << 0 << TransferResult::Acknowledged << true;
    }
    void waitsAfterEachMessage() {
        QFETCH(int, busyMs);
        QFETCH(int, polls);
        QFETCH(TransferResult, result);
        QFETCH(bool, othersWaiting);
        select();
        backend.busyFor = std::chrono::milliseconds(busyMs);
        cycleLock.othersWaiting = othersWaiting;
        QCOMPARE(download(presetMessage()), result);
        if (othersWaiting) {
            QCOMPARE(clock.pauses.back(), Clock::Duration(10ms));
            clock.pauses.pop_back();
        }
        QCOMPARE(clock.pauses.front(), Clock::Duration(100ms));
        QCOMPARE(int(clock.pauses.size()) - 1, polls);
        for (std::size_t i = 1; i < clock.pauses.size(); ++i) {
            QCOMPARE(clock.pauses[i], Clock::Duration(1ms));
        }
    }

    void waitsForTheConnectionBeforeSending_data() {
        QTest::addColumn<int>("connectPolls");
        QTest::addColumn<int>("waitedMs");
        QTest::addColumn<TransferResult>("result");
        QTest::newRow("connected at once") << 0 << 0 << TransferResult::Acknowledged;
        QTest::newRow("connected after 7 ms") << 7 << 7 << TransferResult::Acknowledged;
        QTest::newRow("never connected: sent after 250 ms and lost")
            << -1 << 250 << TransferResult::NoAcknowledge;
    }
    void waitsForTheConnectionBeforeSending() {
        QFETCH(int, connectPolls);
        QFETCH(int, waitedMs);
        QFETCH(TransferResult, result);
        select();
        backend.connectPolls = connectPolls;
        QCOMPARE(download(presetMessage()), result);
        QCOMPARE(backend.sent.size(), std::size_t(1));
        // The polls for the connection come first, then the 100 ms after the hand-over.
        std::vector<Clock::Duration> expected(std::size_t(waitedMs), 1ms);
        expected.push_back(100ms);
        QCOMPARE(clock.pauses, expected);
    }

    void inputCloseIsRetriedWithinOneSecond_data() {
        QTest::addColumn<int>("refusals");
        QTest::addColumn<TransferResult>("result");
        QTest::newRow("closes on the fourth try") << 3 << TransferResult::Acknowledged;
        QTest::newRow("never closes: give up") << -1 << TransferResult::NoAcknowledge;
    }
    void inputCloseIsRetriedWithinOneSecond() {
        QFETCH(int, refusals);
        QFETCH(TransferResult, result);
        select();
        backend.closeRefusals = refusals;
        QCOMPARE(download(presetMessage()), result);
        const auto waited = clock.totalPaused() - Clock::Duration(100ms);
        QVERIFY(waited <= Clock::Duration(1000ms));
        if (refusals < 0) {
            QCOMPARE(waited, Clock::Duration(1000ms));
        } else {
            QCOMPARE(waited, Clock::Duration(std::chrono::milliseconds(refusals)));
        }
    }

    void refusedHandOversSendNothing_data() {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<bool>("outputRefuses");
        QTest::addColumn<TransferResult>("result");
        QTest::newRow("not System Exclusive")
            << QByteArray::fromHex("903C7F") << false << TransferResult::NoAcknowledge;
        // A send the MIDI system refuses ends silently and shows as a missing
        // acknowledgement.
        QTest::newRow("output refuses")
            << QByteArray::fromHex("F07D22F7") << true << TransferResult::NoAcknowledge;
    }
    void refusedHandOversSendNothing() {
        QFETCH(QByteArray, message);
        QFETCH(bool, outputRefuses);
        QFETCH(TransferResult, result);
        select();
        backend.refuseSend = outputRefuses;
        QCOMPARE(layer->sendAcknowledged(reinterpret_cast<const std::uint8_t*>(message.data()),
                                         std::size_t(message.size()), 5),
                 result);
        QVERIFY(backend.sent.empty());
        QCOMPARE(clock.pauses, std::vector<Clock::Duration>{Clock::Duration(1ms)});
    }

    void postDownloadMessage() {
        select();
        layer->sendPostDownloadPreset(100);
        QVERIFY(backend.log.empty());
        layer->sendPostDownloadPreset(6);
        QCOMPARE(backend.sent.size(), std::size_t(1));
        QVERIFY(backend.sent[0] == (Bytes{0xF0, 0x7D, 0x22, 0x07, 0x06, 0xF7}));
        QCOMPARE(backend.keypad.selectedPreset(), 6);
        QCOMPARE(backend.log.back(), std::string("close input"));
    }

    void bankTransfers() {
        select();
        Bytes bank;
        for (int n = 1; n <= 100; ++n) {
            const Bytes m = presetMessage("Bank " + std::to_string(n), n);
            bank.insert(bank.end(), m.begin(), m.end());
        }
        std::vector<PresetMessage> read(100);
        for (std::size_t i = 0; i < read.size(); ++i) {
            std::copy_n(bank.begin() + std::ptrdiff_t(i * 153), 153, read[i].begin());
        }
        QCOMPARE(layer->sendPresetMessage(read[41]), TransferResult::Acknowledged);
        QVERIFY(backend.sent[0] == presetMessage("Bank 42", 42));
        QCOMPARE(layer->sendPresetMessage(read[99]), TransferResult::Acknowledged);
        QVERIFY(backend.sent[1] == presetMessage("Bank 100", 100));
        QCOMPARE(backend.keypad.presetsStored(), 2);
    }

    // The name an interface is offered and found again by, the name an input to listen to
    // is (on JACK the whole port name: a synth's client may have several outputs; else the
    // interface's), and whether a port is ours.
    void interfaceNamesAndOwnPorts_data() {
        QTest::addColumn<MidiSystemKind>("system");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("own");
        QTest::addColumn<QString>("input");
        struct Row {
            const char* tag;
            MidiSystemKind system;
            const char* port;
            const char* name;
            bool own;
        };
        using enum MidiSystemKind;
        static const Row rows[] = {
            {"JACK: input port", Jack, "Tarnwick Keypad:in", "Tarnwick Keypad", false},
            {"JACK: second client", Jack, "Sim-01:out", "Sim", false},
            {"JACK: dash in the name", Jack, "a-b:x", "a-b", false},
            {"JACK: one digit is no suffix", Jack, "Keypad-1:x", "Keypad-1", false},
            {"JACK: three digits are no suffix", Jack, "X-123:y", "X-123", false},
            {"JACK: no colon", Jack, "Lonely", "Lonely", false},
            {"JACK: the editor's second client", Jack, "Tarnwick Editor-02:out", "Tarnwick Editor",
             true},
            {"JACK: tarnwick-syx", Jack, "tarnwick-syx:in", "tarnwick-syx", true},
            {"ALSA: address dropped", Alsa, "TWK-5:TWK-5 MIDI 1 24:0", "TWK-5:TWK-5 MIDI 1", false},
            {"ALSA: re-plugged, same name", Alsa, "TWK-5:TWK-5 MIDI 1 28:0", "TWK-5:TWK-5 MIDI 1",
             false},
            {"ALSA: no address", Alsa, "Midi Through:Port 0", "Midi Through:Port 0", false},
            {"ALSA: not an address", Alsa, "Synth:Port 1a:0", "Synth:Port 1a:0", false},
            {"ALSA: the editor's port", Alsa, "Tarnwick Editor:in 129:0", "Tarnwick Editor:in",
             true},
            {"ALSA: this program's port", Alsa, "Test Client:out 130:1", "Test Client:out", true},
            // WinMM: RtMidi appends the port's index, and a device's input and output have
            // different ones; the pair is found by the name without it.
            {"WinMM: input", WinMM, "TWK-5 0", "TWK-5", false},
            {"WinMM: input, the devices reordered", WinMM, "TWK-5 2", "TWK-5", false},
            {"WinMM: its output, another index", WinMM, "TWK-5 3", "TWK-5", false},
            {"WinMM: a number of the device's own stays", WinMM, "Port 1 12", "Port 1", false},
            {"WinMM: no index", WinMM, "Lonely", "Lonely", false},
            {"WinMM: a number alone", WinMM, "7", "7", false},
            {"other systems: as given", Other, "TWK-5 24:0", "TWK-5 24:0", false},
        };
        for (const Row& row : rows) {
            QTest::newRow(row.tag)
                << row.system << QString::fromLatin1(row.port) << QString::fromLatin1(row.name)
                << row.own << QString::fromLatin1(row.system == Jack ? row.port : row.name);
        }
    }
    void interfaceNamesAndOwnPorts() {
        QFETCH(MidiSystemKind, system);
        QFETCH(QString, port);
        QFETCH(QString, name);
        QFETCH(bool, own);
        QFETCH(QString, input);
        QCOMPARE(QString::fromStdString(InterfaceName(system, port.toStdString())), name);
        QCOMPARE(IsOwnPort(system, port.toStdString(), "Test Client"), own);
        QCOMPARE(QString::fromStdString(InputName(system, port.toStdString())), input);
    }

    void outputTimeOfAMessage() {
        QCOMPARE(MessageOutputTime(153), Clock::Duration(153 * 320us + 50ms));
        QCOMPARE(MessageOutputTime(2048), Clock::Duration(705360us));
    }
};

QTEST_GUILESS_MAIN(PortLayerTest)
#include "test_port_layer.moc"
