// Learning from the synths end to end: a sender written for the tests stands in for the
// synths on a private JACK server (dummy driver); the editor's Learn, tarnwick-syx learn
// and tarnwick-syx monitor listen to it through RtMidi as they do on a real machine.
#include "audition_player.h"
#include "commands/command_wiring.h"
#include "commands/file_commands.h"
#include "counting_cycle_lock.h"
#include "editor_fixture.h"
#include "fake_desktop.h"
#include "instruments/rig.h"
#include "jack_test_server.h"
#include "learn/learn_command.h"
#include "learn_input.h"
#include "main_window/channel_grid.h"
#include "main_window/channel_spin_edit.h"
#include "main_window/main_form.h"
#include "main_window/preset_number_dialog.h"
#include "midi_listener.h"
#include "port_layer.h"
#include "preset/preset_message.h"
#include "preset/preset_text.h"
#include "preset/syx_file.h"
#include "rtmidi_backend.h"
#include "rtmidi_inputs.h"
#include "scripted_interaction.h"
#include "sounds/choose_sound_form.h"
#include "startup.h"
#include "support/event_pumping_clock.h"

#include <jack/jack.h>
#include <jack/midiport.h>

#include <QCheckBox>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <deque>
#include <mutex>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tarnwick;

using testing::crashJackServer;
using testing::jackServer;

namespace {

// A JACK client of the test's own, closed when it goes.
class TestClient {
public:
    explicit TestClient(const char* name)
        : m_client(jack_client_open(name, JackNoStartServer, nullptr)) {}
    ~TestClient() {
        if (m_client) {
            jack_client_close(m_client);
        }
    }
    TestClient(const TestClient&) = delete;
    TestClient& operator=(const TestClient&) = delete;
    // Its server died: libjack may crash closing such a client, so it is left as it is.
    void abandon() { m_client = nullptr; }
    bool ready() const { return m_ready; }

protected:
    // One MIDI port, `process` called each cycle, and the client started.
    void start(const char* port, unsigned long flags, JackProcessCallback process, void* self) {
        if (!m_client) {
            return;
        }
        m_port = jack_port_register(m_client, port, JACK_DEFAULT_MIDI_TYPE, flags, 0);
        jack_set_process_callback(m_client, process, self);
        m_ready = m_port && jack_activate(m_client) == 0;
    }

    jack_client_t* m_client = nullptr;
    jack_port_t* m_port = nullptr;
    bool m_ready = false;
};

// A JACK client with one MIDI output, "NAME:out": what it is given (its panel) goes out in
// the next server cycle, up to `perCycle` messages a cycle, in order. With MIDI thru it has
// an input too, "NAME:in": what comes in goes out again in the same cycle, and is kept.
class TestSynth : public TestClient {
public:
    enum Thru { NoThru, MidiThru };
    explicit TestSynth(const char* name, std::size_t perCycle = 64, Thru thru = NoThru)
        : TestClient(name), m_perCycle(perCycle) {
        if (m_client && thru == MidiThru) {
            m_in = jack_port_register(m_client, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
        }
        start("out", JackPortIsOutput, &TestSynth::process, this);
        if (m_client) {
            m_name = QString::fromUtf8(jack_get_client_name(m_client)) + ":out";
        }
    }
    QString port() const { return m_name; }
    // Whether something listens to the output (a connection in effect).
    bool heard() const { return listeners() > 0; }
    int listeners() const { return jack_port_connected(m_port); }
    void send(const std::vector<Bytes>& messages) {
        std::lock_guard lock(m_mutex);
        m_queue.insert(m_queue.end(), messages.begin(), messages.end());
    }
    bool sent() {
        std::lock_guard lock(m_mutex);
        return m_queue.empty();
    }
    // What came in at "NAME:in", in order.
    std::vector<Bytes> received() {
        std::lock_guard lock(m_mutex);
        return m_received;
    }

private:
    static int process(jack_nframes_t frames, void* self) {
        auto* synth = static_cast<TestSynth*>(self);
        void* buffer = jack_port_get_buffer(synth->m_port, frames);
        jack_midi_clear_buffer(buffer);
        // A synth with thru waits for the test a moment rather than lose what it got; the
        // others leave their panel's messages for the next cycle.
        std::unique_lock lock(synth->m_mutex, std::defer_lock);
        if (synth->m_in) {
            lock.lock();
            void* in = jack_port_get_buffer(synth->m_in, frames);
            const std::uint32_t count = jack_midi_get_event_count(in);
            for (std::uint32_t i = 0; i < count; ++i) {
                jack_midi_event_t event;
                if (jack_midi_event_get(&event, in, i) == 0) {
                    jack_midi_event_write(buffer, event.time, event.buffer, event.size);
                    synth->m_received.emplace_back(event.buffer, event.buffer + event.size);
                }
            }
        }
        if (!synth->m_in) {
            lock.try_lock();
        }
        for (std::size_t n = 0; lock && n < synth->m_perCycle && !synth->m_queue.empty(); ++n) {
            const Bytes& message = synth->m_queue.front();
            if (jack_midi_event_write(buffer, jack_nframes_t(n), message.data(), message.size()) !=
                0) {
                break; // the port's buffer is full: the rest in the next cycle
            }
            synth->m_queue.pop_front();
        }
        return 0;
    }

    QString m_name;
    std::size_t m_perCycle;
    jack_port_t* m_in = nullptr;
    std::mutex m_mutex;
    std::deque<Bytes> m_queue;
    std::vector<Bytes> m_received;
};

// Until `done` holds, the window's events running, for at most `ms`.
bool waitFor(const std::function<bool()>& done, int ms = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms) {
        QTest::qWait(5);
    }
    return done();
}

QString values(const PresetRecord& preset, int channel) {
    return QString::fromStdString(ChannelValues(preset.channel(channel)));
}

Bytes bankOfDefaults() {
    std::vector<PresetMessage> messages;
    for (int n = 1; n <= kPresetCount; ++n) {
        messages.push_back(EncodePresetMessage(NewBankPreset(PresetIndex::fromOneBase(n)),
                                               PresetIndex::fromOneBase(n)));
    }
    const std::string bytes = SyxBytes(messages);
    return Bytes(bytes.begin(), bytes.end());
}

// A MIDI clock stream and notes, as a synth playing a sequence sends them.
std::vector<Bytes> clockAndNotes(int count) {
    std::vector<Bytes> messages;
    for (int i = 0; i < count; ++i) {
        messages.push_back(i % 4 == 0 ? Bytes{0x90, std::uint8_t(36 + i % 48), 90} : Bytes{0xF8});
    }
    return messages;
}

// A JACK client without our code: one MIDI input whose events it only counts. What the
// graph does with it beside a synth's flood is what any client gives.
class BareReader : public TestClient {
public:
    explicit BareReader(const char* name) : TestClient(name) {
        start("in", JackPortIsInput, &BareReader::process, this);
    }
    bool listenTo(const QString& output) {
        return jack_connect(m_client, output.toUtf8().constData(), jack_port_name(m_port)) == 0;
    }
    std::size_t events() const { return m_events.load(); }

private:
    static int process(jack_nframes_t frames, void* self) {
        auto* reader = static_cast<BareReader*>(self);
        reader->m_events += jack_midi_get_event_count(jack_port_get_buffer(reader->m_port, frames));
        return 0;
    }
    std::atomic<std::size_t> m_events{0};
};

// The server's xruns (a cycle whose clients did not finish in time), as every client of
// the server is told of them.
class XrunCount : public TestClient {
public:
    XrunCount() : TestClient("Xrun Count") {
        if (m_client) {
            jack_set_xrun_callback(m_client, &XrunCount::xrun, this);
            m_ready = jack_activate(m_client) == 0;
        }
    }
    int take() { return m_count.exchange(0); }

private:
    static int xrun(void* self) {
        ++static_cast<XrunCount*>(self)->m_count;
        return 0;
    }
    std::atomic<int> m_count{0};
};

} // namespace

class JackLearnTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    // The editor's main window with Learn on the real MIDI system, listening to `input`.
    struct Editor {
        explicit Editor(const QString& input) : inputs("Tarnwick Editor Test"), listener(inputs) {
            learn = new LearnCommand(fixture.main, fixture.interaction, listener);
            ConnectCommands(fixture.main, *learn);
            fixture.main.show();
            fixture.interaction.onModal = testing::ChoosingLearnInput(input);
            fixture.main.activateWindow();
            if (QTest::qWaitForWindowActive(&fixture.main)) {
                QTest::keyClick(&fixture.main, Qt::Key_I, Qt::ControlModifier);
            }
            fixture.interaction.onModal = nullptr;
        }
        PresetRecord& shown() { return fixture.main.bank().current(); }
        // Save All into `path`, its loop pumping the window's events as the editor's
        // clock does.
        void saveAll(const QString& path) {
            if (!files) {
                files = std::make_unique<PresetFileCommands>(
                    fixture.main, *new TSaveForm(&fixture.main), *new TLoadForm(&fixture.main),
                    fixture.interaction, clock);
                ConnectCommands(fixture.main, *files);
            }
            fixture.interaction.fileAnswers << path;
            fixture.main.findChild<QAction*>("SaveAll1")->trigger();
        }
        RtMidiInputs inputs;
        MidiListener listener;
        testing::EditorFixture fixture; // goes first, Learn with it
        LearnCommand* learn = nullptr;
        EventPumpingClock clock;
        std::unique_ptr<PresetFileCommands> files; // made on first use
    };

    // The whole editor as the program builds it, on the real MIDI system.
    struct App {
        App()
            : ports(midi, clock, cycleLock), audition(auditionMidi, clock),
              inputs("Tarnwick Editor Test"), listener(inputs),
              windows({interaction, desktop, clock, ports, audition, listener, QString()}) {}
        testing::ScriptedInteraction interaction;
        testing::FakeDesktop desktop;
        EventPumpingClock clock;
        RtMidiBackend midi;
        testing::CountingCycleLock cycleLock;
        MidiPortLayer ports;
        RtMidiBackend auditionMidi;
        AuditionPlayer audition;
        RtMidiInputs inputs;
        MidiListener listener;
        AppWindows windows;
    };

private slots:
    void initTestCase() {
        QProcess lsp;
        lsp.start("jack_lsp", {});
        QVERIFY2(lsp.waitForFinished(5000) && lsp.exitCode() == 0,
                 "the JACK test server is not running");
    }

    // Two synths on channels 1 and 2 and a drum machine on 10 chosen on their panels:
    // three channels learned, one undo step each, while a clock stream and notes go by.
    // Then Save All runs while a program change arrives: it is not learned, then or later.
    void theEditorLearnsAPreset() {
        TestSynth synth("Learn Synth");
        QVERIFY(synth.ready());
        Editor editor(synth.port());
        QVERIFY(editor.learn->learning());
        QVERIFY(waitFor([&] { return synth.heard(); }));
        const PresetRecord before = editor.shown();

        synth.send(clockAndNotes(200));
        synth.send({{0xB0, 0, 80}, {0xB0, 32, 0}, {0xF8}, {0xC0, 4}});
        synth.send(clockAndNotes(200));
        synth.send({{0xC1, 10}, {0xB9, 0, 127}, {0xC9, 0}});
        synth.send(clockAndNotes(200));
        QVERIFY(waitFor([&] { return synth.sent() && values(editor.shown(), 10) == "127/-/1"; }));
        QCOMPARE(values(editor.shown(), 1), QStringLiteral("80/0/5"));
        QCOMPARE(values(editor.shown(), 2), QStringLiteral("-/-/11"));
        QCOMPARE(editor.fixture.main.statusPanel(1)->text(),
                 QStringLiteral("Learned channel 10: 127/-/1"));
        for (int step = 0; step < 3; ++step) {
            QVERIFY(!(editor.shown() == before));
            editor.fixture.main.undoBankChange(false);
        }
        QCOMPARE(editor.shown(), before);
        for (int step = 0; step < 3; ++step) {
            editor.fixture.main.undoBankChange(true);
        }
        const PresetRecord learned = editor.shown();

        synth.send({{0xC0, 99}});
        editor.saveAll(m_dir.filePath("saved.syx"));
        QVERIFY(synth.sent());
        QTest::qWait(300);
        QCOMPARE(editor.fixture.main.bank()[PresetIndex::fromOneBase(1)], learned);
        QVERIFY(QFile::exists(m_dir.filePath("saved.syx")));
        // Learning goes on after it.
        synth.send({{0xC0, 1}});
        QVERIFY(waitFor([&] { return values(editor.shown(), 1) == "80/0/2"; }));
        QVERIFY(editor.fixture.interaction.messages.isEmpty());
    }

    // tarnwick-syx learn writes what the synths sent into the bank's preset, and says so;
    // with nothing sent it fails and leaves the file alone.
    void learnFromTheCommandLine() {
        TestSynth synth("Learn CLI Synth");
        QVERIFY(synth.ready());
        const QString bank = m_dir.filePath("learn.syx");
        QFile file(bank);
        QVERIFY(file.open(QIODevice::WriteOnly));
        const Bytes defaults = bankOfDefaults();
        file.write(reinterpret_cast<const char*>(defaults.data()), qint64(defaults.size()));
        file.close();

        QProcess cli;
        cli.start(QStringLiteral(TARNWICK_SYX),
                  {"learn", "-p", "learn cli synth", bank, "12", "--quiet", "1"});
        QVERIFY(cli.waitForStarted());
        QVERIFY(waitFor([&] { return synth.heard(); }));
        synth.send({{0xB2, 0, 1}, {0xB2, 32, 2}, {0xC2, 63}, {0xF8}, {0xC3, 0}});
        QVERIFY(cli.waitForFinished(10000));
        QCOMPARE(cli.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(cli.readAllStandardOutput()),
                 QStringLiteral("Preset 12 channel 3: 1/2/64\nPreset 12 channel 4: -/-/1\n"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray written = file.readAll();
        file.close();
        QCOMPARE(written.size(), qsizetype(defaults.size()));
        QCOMPARE(written.left(11 * 153),
                 QByteArray(reinterpret_cast<const char*>(defaults.data()), 11 * 153));
        std::vector<SyxMessage> messages;
        SyxError error;
        QVERIFY(DecodeSyx(written.toStdString(), messages, error));
        QCOMPARE(values(messages[11].record, 3), QStringLiteral("1/2/64"));
        QCOMPARE(values(messages[11].record, 4), QStringLiteral("-/-/1"));

        cli.start(QStringLiteral(TARNWICK_SYX),
                  {"learn", "-p", "Learn CLI Synth:out", bank, "12", "--seconds", "0.5"});
        QVERIFY(cli.waitForFinished(10000));
        QCOMPARE(cli.exitCode(), 1);
        QCOMPARE(QString::fromUtf8(cli.readAllStandardError()),
                 QStringLiteral("tarnwick-syx: listening to Learn CLI Synth:out\n"
                                "tarnwick-syx: nothing learned from Learn CLI Synth:out; %1 is "
                                "unchanged\n")
                     .arg(bank));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), written);
    }

    // tarnwick-syx monitor --json --count prints the messages sent, in order, byte for
    // byte; clock is counted, not printed; SIGTERM ends a monitor with exit 0.
    void monitorPrintsWhatWasSent() {
        TestSynth synth("Monitor Synth");
        QVERIFY(synth.ready());
        QProcess cli;
        cli.start(QStringLiteral(TARNWICK_SYX),
                  {"monitor", "-p", "monitor synth", "--json", "--count", "5"});
        QVERIFY(cli.waitForStarted());
        QVERIFY(waitFor([&] { return synth.heard(); }));
        const std::vector<Bytes> sent{
            {0x90, 60, 100},          {0xF8},        {0xB0, 0, 80}, {0xC0, 0},
            {0xF0, 0x7D, 1, 2, 0xF7}, {0xE5, 0, 64}, {0x80, 60, 0}};
        synth.send(sent);
        QVERIFY(cli.waitForFinished(10000));
        QCOMPARE(cli.exitCode(), 0);
        QStringList kinds;
        QList<Bytes> bytes;
        int clocks = 0;
        for (const QByteArray& line : cli.readAllStandardOutput().split('\n')) {
            if (line.isEmpty()) {
                continue;
            }
            const QJsonObject object = QJsonDocument::fromJson(line).object();
            QVERIFY2(object.contains("t") && object.contains("channel"), line.constData());
            if (object["kind"] == "realtime") {
                clocks += object["clock"].toInt();
                continue;
            }
            kinds << object["kind"].toString();
            Bytes message;
            for (const QJsonValue& byte : object["bytes"].toArray()) {
                message.push_back(std::uint8_t(byte.toInt()));
            }
            bytes << message;
        }
        QCOMPARE(kinds, (QStringList{"note-on", "control", "program", "sysex", "pitch-bend"}));
        QCOMPARE(bytes, (QList<Bytes>{sent[0], sent[2], sent[3], sent[4], sent[5]}));
        QCOMPARE(clocks, 1); // counted, and told before the end

        cli.start(QStringLiteral(TARNWICK_SYX), {"monitor", "-p", "Monitor Synth:out"});
        QVERIFY(cli.waitForStarted());
        QVERIFY(waitFor([&] { return synth.heard(); }));
        synth.send({{0xC1, 7}});
        QVERIFY(waitFor([&] { return cli.bytesAvailable() > 0 || cli.waitForReadyRead(10); }));
        ::kill(pid_t(cli.processId()), SIGTERM);
        QVERIFY(cli.waitForFinished(5000));
        QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
        QCOMPARE(cli.exitCode(), 0);
        const QString text = QString::fromUtf8(cli.readAllStandardOutput());
        QVERIFY2(QRegularExpression(R"(^ +\d+ ms  ch 2  program 8\n$)").match(text).hasMatch(),
                 qPrintable(text));
    }

    // A synth sending 10,000 messages a second (clock and notes) leaves the window
    // responsive while Learn is on, and the program change among them is learned.
    void aFloodLeavesTheEditorResponsive() {
        TestSynth synth("Flood Synth", 120);
        QVERIFY(synth.ready());
        Editor editor(synth.port());
        QVERIFY(editor.learn->learning());
        QVERIFY(waitFor([&] { return synth.heard(); }));
        std::vector<Bytes> flood = clockAndNotes(10000);
        flood[5000] = {0xC5, 33};
        QElapsedTimer timer;
        qint64 longestGap = 0;
        qint64 lastTick = 0;
        QTimer ticker;
        ticker.setInterval(5);
        connect(&ticker, &QTimer::timeout, this, [&] {
            longestGap = std::max(longestGap, timer.elapsed() - lastTick);
            lastTick = timer.elapsed();
        });
        timer.start();
        ticker.start();
        synth.send(flood);
        QVERIFY(waitFor([&] { return synth.sent(); }, 10000));
        const qint64 spent = timer.elapsed();
        QVERIFY(waitFor([&] { return values(editor.shown(), 6) == "-/-/34"; }));
        ticker.stop();
        qInfo("10,000 messages sent in %lld ms; the window's longest wait for its timer: %lld ms",
              spent, longestGap);
        QVERIFY2(longestGap < 100, qPrintable(QString::number(longestGap)));
        QCOMPARE(editor.listener.dropped(), std::size_t(0));
    }

    // A monitor whose output nobody reads falls behind: each message still prints the time
    // it arrived, and what the rings could not hold is said, in JSON and on standard
    // error, as it is lost and at the end.
    void aMonitorThatFallsBehind() {
        TestSynth synth("Behind Synth", 1024);
        QVERIFY(synth.ready());
        const QString fifo = m_dir.filePath("behind.fifo");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
        QVERIFY(reader >= 0);
        const auto closeReader = qScopeGuard([reader] { ::close(reader); });
        QProcess cli;
        cli.setStandardOutputFile(fifo);
        cli.start(QStringLiteral(TARNWICK_SYX), {"monitor", "-p", "behind synth", "--json"});
        QVERIFY(cli.waitForStarted());
        QVERIFY(waitFor([&] { return synth.heard(); }));
        // SysEx lines enough to fill the pipe: the monitor then waits to write.
        Bytes sysex(200, 0x11);
        sysex.front() = 0xF0;
        sysex.back() = 0xF7;
        synth.send(std::vector<Bytes>(400, sysex));
        synth.send({{0xC0, 1}});
        QVERIFY(waitFor([&] { return synth.sent(); }));
        QTest::qWait(200);
        synth.send({{0xC0, 2}});
        synth.send(clockAndNotes(int(MidiListener::kQueueLimit) + 8000));
        QVERIFY(waitFor([&] { return synth.sent(); }, 20000));

        // Now read it all; once the monitor has printed everything, stop it.
        QByteArray out;
        QElapsedTimer quiet;
        quiet.start();
        QElapsedTimer total;
        total.start();
        bool stopped = false;
        while (total.elapsed() < 30000) {
            char buffer[65536];
            const ssize_t got = ::read(reader, buffer, sizeof buffer);
            if (got > 0) {
                out.append(buffer, qsizetype(got));
                quiet.restart();
            } else if (got == 0 && stopped) {
                break; // the monitor ended
            } else {
                QTest::qWait(5);
            }
            if (!stopped && quiet.elapsed() > 500) {
                ::kill(pid_t(cli.processId()), SIGTERM);
                stopped = true;
            }
        }
        QVERIFY(cli.waitForFinished(5000));
        QCOMPARE(cli.exitCode(), 0);
        QList<qint64> programTimes;
        qint64 droppedAsLost = 0;
        qint64 droppedInAll = 0;
        for (const QByteArray& line : out.split('\n')) {
            const QJsonObject object = QJsonDocument::fromJson(line).object();
            if (object["kind"] == "program") {
                programTimes << object["t"].toInteger();
            } else if (object.contains("dropped")) {
                (object["inAll"].toBool() ? droppedInAll : droppedAsLost) +=
                    object["dropped"].toInteger();
            }
        }
        QCOMPARE(programTimes.size(), 2);
        qInfo("programs sent 200 ms apart printed at %lld and %lld ms; %lld messages lost",
              programTimes[0], programTimes[1], droppedInAll);
        QVERIFY2(programTimes[1] - programTimes[0] >= 180,
                 qPrintable(QString::number(programTimes[1] - programTimes[0])));
        QVERIFY(droppedAsLost > 0);
        QCOMPARE(droppedInAll, droppedAsLost);
        const QString said = QString::fromUtf8(cli.readAllStandardError());
        QVERIFY2(said.contains(" lost: they came faster than they were printed\n") &&
                     said.endsWith(QStringLiteral(" messages lost in all\n")),
                 qPrintable(said));
    }

    // Neither Learn nor the monitor makes the JACK graph miss a deadline: a flood of 10,000
    // messages a second, the window busy with Save All meanwhile, gives no more xruns with
    // Learn and the monitor listening than with a client that only counts what it gets.
    // A server without real-time scheduling on a busy machine misses one now and then
    // whatever listens: a round is tried again, three at most, before it counts.
    void theGraphKeepsItsDeadlines() {
        TestSynth synth("Deadline Synth", 54); // 54 a cycle of 256 frames: 10,000 a second
        QVERIFY(synth.ready());
        XrunCount xruns;
        QVERIFY(xruns.ready());
        Editor editor(synth.port());
        QVERIFY(editor.learn->learning());
        editor.learn->toggle(); // off for the bare client's turn
        const int flood = 20000;
        // The flood sent while Save All runs again and again; the xruns meanwhile.
        const auto floodWhileSaving = [&] {
            xruns.take();
            synth.send(clockAndNotes(flood));
            while (!synth.sent()) {
                editor.saveAll(m_dir.filePath("busy.syx"));
                QCoreApplication::processEvents();
            }
            return xruns.take();
        };
        int bare = 0;
        int ours = 0;
        for (int round = 1; round <= 3; ++round) {
            {
                BareReader reader("Bare Reader");
                QVERIFY(reader.ready() && reader.listenTo(synth.port()));
                QVERIFY(waitFor([&] { return synth.listeners() == 1; }));
                bare = floodWhileSaving();
                QVERIFY(waitFor([&] { return reader.events() == std::size_t(flood); }));
            }
            editor.learn->toggle(); // Learn on again, from the same input
            QVERIFY(editor.learn->learning());
            QProcess cli;
            cli.start(QStringLiteral(TARNWICK_SYX), {"monitor", "-p", "deadline synth", "--json"});
            QVERIFY(cli.waitForStarted());
            QVERIFY(waitFor([&] { return synth.listeners() == 2; }));
            ours = floodWhileSaving();
            // Learn heard the flood through, and learns after it (what comes while a
            // command runs is dropped by design).
            synth.send({{0xC3, std::uint8_t(41 + round)}});
            QVERIFY(waitFor([&] {
                return values(editor.shown(), 4) == QStringLiteral("-/-/%1").arg(42 + round);
            }));
            ::kill(pid_t(cli.processId()), SIGTERM);
            QVERIFY(cli.waitForFinished(5000));
            QCOMPARE(editor.listener.dropped(), std::size_t(0));
            editor.learn->toggle(); // off again
            qInfo("round %d: xruns with a bare client %d, with Learn and the monitor %d", round,
                  bare, ours);
            if (ours <= bare) {
                break;
            }
        }
        QVERIFY2(ours <= bare, qPrintable(QStringLiteral("%1 > %2").arg(ours).arg(bare)));
    }

    // A synth with MIDI thru sends back all the editor plays to it. With Learn on, sounds
    // tried in Choose Sound (Play on select) and then cancelled, and the preset played,
    // teach the editor nothing: the synth got each sound tried and then the channel's own
    // sound back, and the preset is as it was. What the synth's panel sends is learned.
    void anEchoIsNotLearned() {
        QTemporaryDir config;
        const QString rigPath = config.filePath("rig.json");
        Rig rig;
        rig.channels[0].instrument = "General MIDI";
        std::string error;
        QVERIFY(WriteRig(rigPath.toStdString(), rig, error));
        qputenv("TARNWICK_RIG", QFile::encodeName(rigPath));
        // General MIDI is built in: no instrument file to read (hundreds under ASan take
        // longer than the test waits).
        qputenv("TARNWICK_INSTRUMENTS", "-");
        const auto noRig = qScopeGuard([] {
            qputenv("TARNWICK_RIG", "off");
            qunsetenv("TARNWICK_INSTRUMENTS");
        });

        TestSynth synth("Thru Synth", 64, TestSynth::MidiThru);
        QVERIFY(synth.ready());
        App app;
        TMainForm* main = app.windows.mainForm();
        main->show();
        main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main));
        app.interaction.onModal = testing::ChoosingLearnInput(synth.port());
        main->findChild<QAction*>("mnuLearn")->trigger();
        QVERIFY(main->findChild<QAction*>("mnuLearn")->isChecked());
        QVERIFY(waitFor([&] { return synth.heard(); }));
        main->applyChannel(1, ChannelSlot{{kSlotDisabled, kSlotDisabled, 4}}); // Program 5
        const PresetRecord before = main->bank().current();

        int tried = 0;
        app.interaction.onModal = [&](QDialog& dialog) {
            if (dialog.objectName() == "AuditionOutputForm") {
                return testing::ChoosePort(dialog, "Thru Synth:in");
            }
            auto& form = static_cast<TChooseSoundForm&>(dialog);
            dialog.show();
            if (!waitFor([&] { return form.shownCount() > 0; }, 20000)) {
                return int(QDialog::Rejected); // the rig not read: failed below
            }
            form.findChild<QCheckBox*>("chkSoundPlayOnSelect")->setChecked(true);
            for (; tried < 3; ++tried) {
                QTest::keyClick(form.searchField(), Qt::Key_Down);
            }
            QTest::keyClick(form.searchField(), Qt::Key_Escape);
            return dialog.result();
        };
        auto* program = main->channelGrid()->spinEdit(1, SlotKind::Program);
        program->setFocus();
        QTest::keyClick(program, Qt::Key_K, Qt::ControlModifier);
        QCOMPARE(tried, 3);
        main->findChild<QAction*>("actPlayPreset")->trigger();
        QTest::qWait(300); // the echoes back many times over
        QCOMPARE(main->bank().current(), before);
        QVERIFY2(!main->statusText().startsWith("Learned"), qPrintable(main->statusText()));
        QVERIFY(app.interaction.messages.isEmpty());

        // On the wire: the three sounds tried (programs 6, 7, 8), the channel's own sound
        // back (5), then the preset played (5 again).
        std::vector<int> programs;
        for (const Bytes& message : synth.received()) {
            if (message.size() == 2 && message[0] == 0xC0) {
                programs.push_back(message[1] + 1);
            }
        }
        QCOMPARE(programs, (std::vector<int>{6, 7, 8, 5, 5}));

        synth.send({{0xC0, 40}});
        QVERIFY(waitFor([&] { return values(main->bank().current(), 1) == "-/-/41"; }));
        QVERIFY(main->statusText().startsWith("Learned channel 1: -/-/41"));
    }

    // The JACK server dies while the editor learns: Learn turns itself off and says so
    // once; with a server running again, Learn works in the same editor.
    void theServerGoesAwayWhileLearning() {
        auto synth = std::make_unique<TestSynth>("Server Synth");
        QVERIFY(synth->ready());
        Editor editor(synth->port());
        QVERIFY(editor.learn->learning());
        QElapsedTimer told;
        told.start();
        QVERIFY(crashJackServer());
        synth->abandon();
        QVERIFY(waitFor([&] { return !editor.learn->learning(); }, 3000));
        qInfo("the server killed: Learn off after %lld ms", qint64(told.elapsed()));
        QTest::qWait(2 * LearnCommand::kInputCheckMs);
        QCOMPARE(editor.fixture.interaction.shown(),
                 QStringList{"Learn|Learn stopped: the MIDI input Server Synth:out is gone."});
        QVERIFY(!editor.fixture.main.statusBar()->findChild<QLabel*>("lblLearn")->isVisible());

        QVERIFY(jackServer("start")); // the same name: the dead server's slot is taken back
        synth = std::make_unique<TestSynth>("Server Synth");
        QVERIFY(synth->ready());
        editor.fixture.main.findChild<QAction*>("mnuLearn")->trigger();
        QVERIFY(editor.learn->learning());
        QVERIFY(waitFor([&] { return synth->heard(); }));
        synth->send({{0xC7, 2}});
        QVERIFY(waitFor([&] { return values(editor.shown(), 8) == "-/-/3"; }));
    }

    // A synth that goes away while the editor learns from it turns Learn off, said once; a
    // monitor ends with exit 1 and one line; tarnwick-syx learn keeps what it learned and
    // says why it ended.
    void theInputGoesAway() {
        auto synth = std::make_unique<TestSynth>("Vanishing Synth");
        QVERIFY(synth->ready());
        Editor editor(synth->port());
        QVERIFY(editor.learn->learning());
        QProcess cli;
        cli.start(QStringLiteral(TARNWICK_SYX), {"monitor", "-p", "vanishing"});
        QVERIFY(cli.waitForStarted());
        const QString bank = m_dir.filePath("gone.syx");
        QFile file(bank);
        QVERIFY(file.open(QIODevice::WriteOnly));
        const Bytes defaults = bankOfDefaults();
        file.write(reinterpret_cast<const char*>(defaults.data()), qint64(defaults.size()));
        file.close();
        QProcess learner;
        learner.start(QStringLiteral(TARNWICK_SYX),
                      {"learn", "-p", "vanishing", bank, "12", "--quiet", "30"});
        QVERIFY(learner.waitForStarted());
        QVERIFY(waitFor([&] { return synth->listeners() == 3; }));
        QByteArray learnerSaid;
        QVERIFY(waitFor([&] {
            learnerSaid += learner.readAllStandardError();
            return learnerSaid.contains("listening to");
        }));
        synth->send({{0xC0, 2}});
        QTest::qWait(300);
        QElapsedTimer told;
        told.start();
        synth.reset();
        QVERIFY(waitFor([&] { return !editor.learn->learning(); }, 3000));
        qInfo("the synth gone: Learn off after %lld ms", qint64(told.elapsed()));
        QCOMPARE(editor.fixture.interaction.shown(),
                 QStringList{"Learn|Learn stopped: the MIDI input Vanishing Synth:out is gone."});
        QVERIFY(cli.state() == QProcess::NotRunning || cli.waitForFinished(5000));
        QCOMPARE(cli.exitCode(), 1);
        QCOMPARE(QString::fromUtf8(cli.readAllStandardError()),
                 QStringLiteral("tarnwick-syx: listening to Vanishing Synth:out\n"
                                "tarnwick-syx: the MIDI input Vanishing Synth:out is gone\n"));
        QVERIFY(learner.state() == QProcess::NotRunning || learner.waitForFinished(5000));
        QCOMPARE(learner.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(learner.readAllStandardOutput()),
                 QStringLiteral("Preset 12 channel 1: -/-/3\n"));
        QCOMPARE(QString::fromUtf8(learnerSaid + learner.readAllStandardError()),
                 QStringLiteral("tarnwick-syx: listening to Vanishing Synth:out\n"
                                "tarnwick-syx: learning ended: the MIDI input Vanishing Synth:out "
                                "is gone\n"));
        std::vector<SyxMessage> messages;
        SyxError error;
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(DecodeSyx(file.readAll().toStdString(), messages, error));
        QCOMPARE(values(messages[11].record, 1), QStringLiteral("-/-/3"));
    }
};

int main(int argc, char** argv) {
    if (QStandardPaths::findExecutable("jackd").isEmpty()) {
        std::puts("jackd is not installed: skipping the JACK learn tests");
        return 77;
    }
    QApplication app(argc, argv);
    JackLearnTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_jack_learn.moc"
