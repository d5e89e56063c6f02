// The editor's clock: a pause lasts as long as asked and keeps window events flowing,
// so a long transfer never leaves the windows unpainted.
#include "support/event_pumping_clock.h"

#include <QtTest>

using namespace tarnwick;
using namespace std::chrono_literals;

namespace {
class Counter final : public QObject {
public:
    int events = 0;
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User) {
            ++events;
            return true;
        }
        return QObject::event(e);
    }
};
} // namespace

class EventPumpingClockTest : public QObject {
    Q_OBJECT
private slots:
    void pauseHandlesEventsAndLastsItsTime() {
        EventPumpingClock clock;
        Counter counter;
        int timerFired = 0;
        QTimer::singleShot(10, &counter, [&timerFired] { ++timerFired; });
        QCoreApplication::postEvent(&counter, new QEvent(QEvent::User));
        const auto start = clock.now();
        clock.pause(60ms);
        QVERIFY(clock.now() - start >= 60ms);
        QCOMPARE(counter.events, 1);
        QCOMPARE(timerFired, 1);
    }

    void zeroPauseStillHandlesWaitingEvents() {
        EventPumpingClock clock;
        Counter counter;
        QCoreApplication::postEvent(&counter, new QEvent(QEvent::User));
        clock.pause(0ms);
        QCOMPARE(counter.events, 1);
    }
};

QTEST_MAIN(EventPumpingClockTest)
#include "test_event_pumping_clock.moc"
