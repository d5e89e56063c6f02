// The listener's rings: what the MIDI thread copies in is taken whole on the owner's
// thread, each message with the time it arrived; what does not fit is dropped and counted,
// never waited for.
#include "fake_midi_inputs.h"
#include "midi_listener.h"

#include <QtTest>

#include <thread>

using namespace tarnwick;
using Chunks = std::vector<std::vector<std::uint8_t>>;

class MidiListenerTest : public QObject {
    Q_OBJECT
    testing::FakeMidiInputs m_inputs;

    bool listen(MidiListener& listener) {
        return listener.open("Synth A:out", [](const MidiMessage&) { return true; });
    }

private slots:
    // Deliveries past what the rings hold, or a SysEx larger than their bytes, are dropped
    // and counted while the owner does not take; what fits is taken whole, in order.
    void fullRingsDropAndCount_data() {
        QTest::addColumn<int>("deliveries");
        QTest::addColumn<int>("size"); // bytes each: a note, or a SysEx of that length
        QTest::addColumn<int>("taken");
        QTest::addColumn<int>("dropped");
        const int limit = int(MidiListener::kQueueLimit);
        QTest::newRow("all fit") << 1000 << 3 << 1000 << 0;
        QTest::newRow("ten past the limit") << limit + 10 << 3 << limit << 10;
        QTest::newRow("SysEx past the bytes") << 10 << 60 * 1024 << 8 << 2;
        QTest::newRow("one SysEx larger than the bytes") << 1 << 600 * 1024 << 0 << 1;
    }
    void fullRingsDropAndCount() {
        QFETCH(int, deliveries);
        QFETCH(int, size);
        QFETCH(int, taken);
        QFETCH(int, dropped);
        MidiListener listener(m_inputs);
        QVERIFY(listen(listener));
        std::vector<std::uint8_t> one{0x90, 60, 100};
        if (size > 3) {
            one.assign(std::size_t(size), 0x01);
            one.front() = 0xF0;
            one.back() = 0xF7;
        }
        QVERIFY(!listener.waiting());
        m_inputs.send(Chunks(std::size_t(deliveries), one));
        QCOMPARE(listener.waiting(), taken > 0);
        const std::vector<HeardMessage> heard = listener.take();
        QCOMPARE(int(heard.size()), taken);
        QCOMPARE(int(listener.dropped()), dropped);
        for (const HeardMessage& message : heard) {
            QCOMPARE(message.bytes, one);
        }
        // Room again once taken.
        m_inputs.send({{0xC0, 5}});
        QCOMPARE(listener.take().size(), std::size_t(1));
    }

    // Each message keeps the time it arrived, however late the owner takes it; a SysEx
    // split over deliveries is one message, timed by its last part.
    void eachMessageKeepsItsTime() {
        MidiListener listener(m_inputs);
        QVERIFY(listen(listener));
        const auto before = std::chrono::steady_clock::now();
        m_inputs.send({{0xC0, 1}, {0xF0, 0x7D}, {0x01, 0xF7}, {0xC0, 2}},
                      std::chrono::milliseconds(60));
        const std::vector<HeardMessage> heard = listener.take();
        QCOMPARE(heard.size(), std::size_t(3));
        QCOMPARE(heard[1].bytes, (std::vector<std::uint8_t>{0xF0, 0x7D, 0x01, 0xF7}));
        const auto ms = [&](const HeardMessage& message) {
            return std::chrono::duration_cast<std::chrono::milliseconds>(message.arrived - before)
                .count();
        };
        QVERIFY2(ms(heard[0]) < 60, qPrintable(QString::number(ms(heard[0]))));
        QVERIFY2(ms(heard[1]) >= 120 && ms(heard[1]) < ms(heard[2]),
                 qPrintable(QString::number(ms(heard[1]))));
        QVERIFY2(ms(heard[2]) >= 180, qPrintable(QString::number(ms(heard[2]))));
    }

    // The MIDI thread only copies: choosing what is wanted runs on the owner's thread, and
    // an owner busy taking (here 20 ms a message) never holds a delivery up.
    void deliveriesNeverWait() {
        MidiListener listener(m_inputs);
        QVERIFY(listener.open("Synth A:out", [](const MidiMessage&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            return true;
        }));
        const Chunks ten(10, std::vector<std::uint8_t>{0xC0, 1});
        QElapsedTimer timer;
        timer.start();
        m_inputs.send(ten);
        const qint64 delivered = timer.elapsed();
        std::size_t taken = 0;
        std::thread owner([&] { taken = listener.take().size(); });
        std::this_thread::sleep_for(std::chrono::milliseconds(20)); // the owner is taking
        timer.restart();
        m_inputs.send(ten);
        const qint64 deliveredMeanwhile = timer.elapsed();
        owner.join();
        QCOMPARE(taken + listener.take().size(), std::size_t(20)); // the owner took some late ones
        qInfo("10 deliveries: %lld ms; while the owner takes: %lld ms", delivered,
              deliveredMeanwhile);
        QVERIFY2(delivered < 50 && deliveredMeanwhile < 50,
                 qPrintable(QStringLiteral("%1, %2").arg(delivered).arg(deliveredMeanwhile)));
    }

    // Closed and opened again, nothing of before is taken, and the count starts anew.
    void reopenedListensAfresh() {
        MidiListener listener(m_inputs);
        QVERIFY(listen(listener));
        m_inputs.send(Chunks(MidiListener::kQueueLimit + 1, std::vector<std::uint8_t>{0xF8}));
        QCOMPARE(listener.dropped(), std::size_t(1));
        listener.close();
        QVERIFY(!m_inputs.isOpen());
        m_inputs.send({{0xC0, 3}}); // nobody listens: the input is closed
        QVERIFY(listen(listener));
        QCOMPARE(listener.dropped(), std::size_t(0));
        QVERIFY(listener.take().empty());
        // Only what is wanted is kept, the rest parsed and let go.
        QVERIFY(listener.open("Synth B:out", &ChannelLearner::hears));
        m_inputs.send({{0xF8}, {0x90, 1, 2}, {0xC1, 4}});
        const std::vector<HeardMessage> heard = listener.take();
        QCOMPARE(heard.size(), std::size_t(1));
        QCOMPARE(heard[0].channel, 2);
    }
};

QTEST_GUILESS_MAIN(MidiListenerTest)
#include "test_midi_listener.moc"
