// Learn in the editor, on an in-process MIDI input: what the synths send written into the
// preset shown as one undo step per program change, everything else ignored, nothing
// learned while a command runs, the input asked for once, and an input that goes away.
#include "commands/command_wiring.h"
#include "editor_fixture.h"
#include "fake_midi_inputs.h"
#include "learn/learn_command.h"
#include "learn/midi_port_form.h"
#include "learn_input.h"
#include "midi_listener.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QtTest>

using namespace tarnwick;
using Chunks = std::vector<std::vector<std::uint8_t>>;

Q_DECLARE_METATYPE(Chunks)

namespace {

// A channel's values as the status bar and the summaries show them.
QString values(const PresetRecord& preset, int channel) {
    const ChannelSlot& slot = preset.channel(channel);
    const auto shown = [](std::uint8_t byte, int add) {
        return SlotEnabled(byte) ? QString::number((byte & kSlotValueMask) + add) : QString("-");
    };
    return shown(slot[SlotKind::Msb], 0) + '/' + shown(slot[SlotKind::Lsb], 0) + '/' +
           shown(slot[SlotKind::Program], 1);
}

} // namespace

class LearnTest : public QObject {
    Q_OBJECT
    std::unique_ptr<testing::EditorFixture> m_f;
    std::unique_ptr<testing::FakeMidiInputs> m_inputs;
    std::unique_ptr<MidiListener> m_listener;
    LearnCommand* m_learn = nullptr;

    PresetRecord& shown() { return m_f->main.bank().current(); }
    QAction* learnItem() { return m_f->main.findChild<QAction*>("mnuLearn"); }
    QLabel* mark() { return m_f->main.statusBar()->findChild<QLabel*>("lblLearn"); }
    QString status() { return m_f->main.statusPanel(1)->text(); }
    // Learn switched on from the menu, "Synth A:out" chosen when asked.
    void startLearning() {
        m_f->interaction.onModal = testing::ChoosingLearnInput("Synth A:out");
        learnItem()->trigger();
        m_f->interaction.onModal = nullptr;
    }
    // The preset shown with channel 2 holding MSB 5 (on), LSB 9 (off), program 3 (off), every
    // other channel off, as the window shows it; the preset as it then is.
    PresetRecord showChannel2Only() {
        for (ChannelSlot& slot : shown().channels) {
            slot.bytes.fill(kSlotDisabled);
        }
        shown().channel(2)[SlotKind::Msb] = 5;
        shown().channel(2)[SlotKind::Lsb] = kSlotDisabled | 9;
        shown().channel(2)[SlotKind::Program] = kSlotDisabled | 3;
        m_f->main.loadPresetFromBank();
        return shown();
    }
    // "N: values" of each channel that differs from `before`.
    QStringList changedChannels(const PresetRecord& before) {
        QStringList changed;
        for (int channel = 1; channel <= kChannelCount; ++channel) {
            if (!(shown().channel(channel) == before.channel(channel))) {
                changed << QStringLiteral("%1: %2").arg(channel).arg(values(shown(), channel));
            }
        }
        return changed;
    }
    // What the input sends, taken in as the window's take timer would.
    void receive(const Chunks& chunks) {
        m_inputs->send(chunks);
        m_learn->takeMessages();
    }
    // How many undo steps take the preset back to `before` (-1: none does); redone after.
    int undoSteps(const PresetRecord& before) {
        const PresetRecord after = shown();
        int steps = 0;
        while (!(shown() == before) && steps <= kChannelCount) {
            m_f->main.undoBankChange(false);
            ++steps;
        }
        const bool reached = shown() == before;
        for (int i = 0; i < steps; ++i) {
            m_f->main.undoBankChange(true);
        }
        return reached && shown() == after ? steps : -1;
    }

private slots:
    void init() {
        m_f = std::make_unique<testing::EditorFixture>();
        m_inputs = std::make_unique<testing::FakeMidiInputs>();
        m_listener = std::make_unique<MidiListener>(*m_inputs);
        m_learn = new LearnCommand(m_f->main, m_f->interaction, *m_listener);
        ConnectCommands(m_f->main, *m_learn);
        m_f->main.show();
    }
    void cleanup() {
        m_f.reset(); // the command with it
        m_listener.reset();
        m_inputs.reset();
    }

    // Channel values after the input sent `chunks` to a preset whose channel 2 holds
    // MSB 5 (on), LSB 9 (off), program 3 (off), every other channel off.
    void learnsBankSelectsAndProgramChanges_data() {
        QTest::addColumn<Chunks>("chunks");
        QTest::addColumn<QStringList>("channels"); // "N: values" of the channels changed
        QTest::addColumn<int>("steps");
        QTest::addColumn<QString>("said");
        QTest::newRow("MSB, LSB, program")
            << Chunks{{0xB1, 0, 80}, {0xB1, 32, 0}, {0xC1, 0}} << QStringList{"2: 80/0/1"} << 1
            << "Learned channel 2: 80/0/1";
        QTest::newRow("program alone: the banks stay as they were")
            << Chunks{{0xC1, 41}} << QStringList{"2: 5/-/42"} << 1 << "Learned channel 2: 5/-/42";
        QTest::newRow("LSB alone switches it on")
            << Chunks{{0xB1, 32, 7}, {0xC1, 0}} << QStringList{"2: 5/7/1"} << 1
            << "Learned channel 2: 5/7/1";
        QTest::newRow("running status, clock inside a message, in one chunk")
            << Chunks{{0xB0, 0, 4, 0xF8, 32, 2, 0xC0, 7}} << QStringList{"1: 4/2/8"} << 1
            << "Learned channel 1: 4/2/8";
        QTest::newRow("bank selects of an earlier program are not carried over")
            << Chunks{{0xB2, 0, 1}, {0xC2, 1}, {0xC2, 2}} << QStringList{"3: 1/-/3"} << 2
            << "Learned channel 3: 1/-/3";
        QTest::newRow("three channels, one step each")
            << Chunks{{0xB0, 0, 1}, {0xC0, 0}, {0xB9, 0, 2}, {0xC9, 1}, {0xBF, 0, 3}, {0xCF, 127}}
            << QStringList{"1: 1/-/1", "10: 2/-/2", "16: 3/-/128"} << 3
            << "Learned channel 16: 3/-/128";
        QTest::newRow("bank selects without a program change")
            << Chunks{{0xB1, 0, 80}, {0xB1, 32, 1}} << QStringList{} << 0 << "";
        QTest::newRow("notes, clock, sensing, SysEx, other controllers")
            << Chunks{{0x91, 60, 100}, {0xF8},        {0xFE},       {0xF0, 0x7D, 1, 0xF7},
                      {0xB1, 7, 100},  {0xE1, 0, 64}, {0x81, 60, 0}}
            << QStringList{} << 0 << "";
        QTest::newRow("SysEx across chunks hides a program change's bytes")
            << Chunks{{0xF0, 0x7D}, {0x41, 0x02}, {0xF7}} << QStringList{} << 0 << "";
    }
    void learnsBankSelectsAndProgramChanges() {
        QFETCH(Chunks, chunks);
        QFETCH(QStringList, channels);
        QFETCH(int, steps);
        QFETCH(QString, said);
        const PresetRecord before = showChannel2Only();
        startLearning();
        QVERIFY(m_learn->learning());
        QCOMPARE(m_inputs->opened, std::vector<std::string>{"Synth A:out"});

        receive(chunks);
        QCOMPARE(changedChannels(before), channels);
        QCOMPARE(status(), said);
        QVERIFY(!m_f->main.presetEdited()); // stored: nothing waits to be stored
        QCOMPARE(undoSteps(before), steps);
        // The window shows what the bank holds.
        QCOMPARE(m_f->main.shownPreset(), shown());
        QVERIFY(m_f->interaction.messages.isEmpty());
    }

    // What the editor itself sent (Play, an audition) comes back from a synth with MIDI
    // thru: that echo is not learned, each message sent standing for one echo within a
    // second; the same bytes later, or other bytes, are the player's.
    void learnTakesNoEchoOfWhatTheEditorSent_data() {
        QTest::addColumn<Chunks>("sent");
        QTest::addColumn<int>("ageMs"); // how long before the input's messages it was sent
        QTest::addColumn<Chunks>("heard");
        QTest::addColumn<QStringList>("channels"); // as learnsBankSelectsAndProgramChanges
        QTest::newRow("a program change echoed")
            << Chunks{{0xC1, 5}} << 0 << Chunks{{0xC1, 5}} << QStringList{};
        QTest::newRow("bank selects and program echoed")
            << Chunks{{0xB1, 0, 80}, {0xB1, 32, 0}, {0xC1, 0}} << 0
            << Chunks{{0xB1, 0, 80}, {0xB1, 32, 0}, {0xC1, 0}} << QStringList{};
        QTest::newRow("one echo a message sent: the second is the synth's")
            << Chunks{{0xC1, 5}} << 0 << Chunks{{0xC1, 5}, {0xC1, 5}} << QStringList{"2: 5/-/6"};
        QTest::newRow("sent over a second before: the synth's own")
            << Chunks{{0xC1, 5}} << 1500 << Chunks{{0xC1, 5}} << QStringList{"2: 5/-/6"};
        QTest::newRow("another program: the synth's own")
            << Chunks{{0xC1, 5}} << 0 << Chunks{{0xC1, 6}} << QStringList{"2: 5/-/7"};
        QTest::newRow("an echoed bank select is not kept for the next program")
            << Chunks{{0xB1, 0, 80}} << 0 << Chunks{{0xB1, 0, 80}, {0xC1, 1}}
            << QStringList{"2: 5/-/2"};
    }
    void learnTakesNoEchoOfWhatTheEditorSent() {
        QFETCH(Chunks, sent);
        QFETCH(int, ageMs);
        QFETCH(Chunks, heard);
        QFETCH(QStringList, channels);
        const PresetRecord before = showChannel2Only();
        startLearning();
        m_learn->editorSent(sent, SentEchoes::Clock::now() - std::chrono::milliseconds(ageMs));
        receive(heard);
        QCOMPARE(changedChannels(before), channels);
    }

    // "Learned channel N ..." goes once that step is undone; said again when redone it is
    // not, as the status bar speaks of what just came.
    void theLearnedLineGoesWithItsStep() {
        startLearning();
        receive({{0xC1, 5}});
        QVERIFY2(status().startsWith("Learned channel 2: "), qPrintable(status()));
        m_f->main.undoBankChange(false);
        QCOMPARE(status(), QString());
        m_f->main.undoBankChange(true);
        QCOMPARE(status(), QString());
        // Another text in the status bar is left as it is.
        receive({{0xC1, 6}});
        m_f->main.showStatus("Saved");
        m_f->main.undoBankChange(false);
        QCOMPARE(status(), QStringLiteral("Saved"));
    }

    // The first Learn asks for the input; a cancelled choice leaves Learn off and its item
    // unmarked. The choice holds until the editor ends; Learn again stops, and a message
    // after that changes nothing.
    void theInputIsAskedForOnce() {
        learnItem()->trigger(); // cancelled: the scripted user rejects
        QCOMPARE(m_f->interaction.modalRuns, QStringList{"LearnInputForm"});
        QVERIFY(!m_learn->learning());
        QVERIFY(!learnItem()->isChecked());
        QVERIFY(!mark() || !mark()->isVisible());

        QStringList offered;
        m_f->interaction.onModal = [&offered](QDialog& dialog) {
            dialog.show();
            auto* list = dialog.findChild<QComboBox*>("cboxInputs");
            for (int i = 0; i < list->count(); ++i) {
                offered << list->itemText(i);
            }
            list->setCurrentIndex(list->findText("Synth B:out"));
            dialog.findChild<QPushButton*>("btnOK")->click();
            dialog.hide();
            return dialog.result();
        };
        learnItem()->trigger();
        QCOMPARE(offered, (QStringList{"Synth A:out", "Synth B:out"}));
        QVERIFY(m_learn->learning() && learnItem()->isChecked());
        QVERIFY(mark() && mark()->isVisible());
        QCOMPARE(mark()->accessibleDescription(), QStringLiteral("Learning from Synth B:out"));

        learnItem()->trigger();
        QVERIFY(!m_learn->learning() && !learnItem()->isChecked() && !mark()->isVisible());
        QVERIFY(!m_inputs->isOpen());
        learnItem()->trigger();
        QCOMPARE(m_f->interaction.modalRuns.size(), 2); // not asked again
        QCOMPARE(m_inputs->opened, (std::vector<std::string>{"Synth B:out", "Synth B:out"}));
        learnItem()->trigger();
        const PresetRecord before = shown();
        receive({{0xC0, 5}});
        QCOMPARE(shown(), before);
    }

    // While a command runs (here, one that receives a program change meanwhile), nothing
    // is learned, and what came then is not learned afterwards either.
    void nothingIsLearnedWhileACommandRuns() {
        startLearning();
        const PresetRecord before = shown();
        m_f->main.runCommand([this] {
            m_inputs->send({{0xB0, 0, 3}, {0xC0, 9}});
            m_learn->takeMessages(); // a command's loop keeps the window painting
        });
        m_learn->takeMessages();
        QCOMPARE(shown(), before);
        QCOMPARE(status(), QString());
        receive({{0xC0, 1}});
        QCOMPARE(values(shown(), 1), QStringLiteral("-/-/2"));
    }

    // Learning goes on with the preset shown after switching presets, and the synth's bank
    // holds across presets while Learn is on: a synth that stays in its bank sends only
    // program changes. Learn started again forgets it.
    void switchingPresetsLearnsIntoTheNewOne() {
        startLearning();
        receive({{0xB0, 0, 80}, {0xC0, 10}});
        m_f->main.choosePreset(7);
        receive({{0xC0, 20}});
        QCOMPARE(values(m_f->main.bank()[PresetIndex::fromOneBase(1)], 1),
                 QStringLiteral("80/-/11"));
        QCOMPARE(values(m_f->main.bank()[PresetIndex::fromOneBase(7)], 1),
                 QStringLiteral("80/-/21"));
        learnItem()->trigger(); // off
        learnItem()->trigger(); // on again, from the same input
        m_f->main.choosePreset(8);
        receive({{0xC0, 30}});
        QCOMPARE(values(m_f->main.bank()[PresetIndex::fromOneBase(8)], 1),
                 QStringLiteral("-/-/31"));
    }

    // With a rig, the status bar names the sound learned.
    void theSoundLearnedIsNamed() {
        m_f->main.setSoundNames([](int channel, const ChannelSlot& slot) {
            return SoundName{
                channel == 2 && slot[SlotKind::Program] == 0 ? "Grand Piano" : "", {}, {}};
        });
        startLearning();
        receive({{0xB1, 0, 80}, {0xC1, 0}});
        QCOMPARE(status(), QStringLiteral("Learned channel 2: 80/-/1 Grand Piano"));
        receive({{0xC1, 5}});
        QCOMPARE(status(), QStringLiteral("Learned channel 2: 80/-/6")); // no name: none said
    }

    // An input that will not open is said; one that goes away (or whose MIDI system does)
    // turns Learn off and is said once.
    void anInputThatFailsOrGoes() {
        m_inputs->refuseOpen = true;
        startLearning();
        QVERIFY(!m_learn->learning() && !learnItem()->isChecked());
        QCOMPARE(m_f->interaction.shown(),
                 QStringList{"MIDI Error!|Could not listen to Synth A:out."});
        m_f->interaction.messages.clear();
        m_inputs->heldElsewhere = true;
        startLearning();
        QCOMPARE(m_f->interaction.shown(),
                 QStringList{"MIDI Error!|The MIDI interface Synth A:out is in use by another "
                             "program."});
        m_f->interaction.messages.clear();
        m_inputs->heldElsewhere = false;

        m_inputs->refuseOpen = false;
        learnItem()->trigger();
        QVERIFY(m_learn->learning());
        m_learn->checkInput();
        QVERIFY(m_learn->learning());
        m_inputs->inputs = {"Synth B:out"};
        m_learn->checkInput();
        m_learn->checkInput();
        QVERIFY(!m_learn->learning() && !learnItem()->isChecked() && !mark()->isVisible());
        QCOMPARE(m_f->interaction.shown(),
                 QStringList{"Learn|Learn stopped: the MIDI input Synth A:out is gone."});

        m_inputs->inputs = {"Synth A:out"};
        learnItem()->trigger();
        m_inputs->lost = true; // the JACK server stopped
        QTRY_VERIFY_WITH_TIMEOUT(!m_learn->learning(), 3 * LearnCommand::kInputCheckMs);
        QCOMPARE(m_f->interaction.messages.size(), 2);
    }

    // A synth sending clock and notes by the thousand: the MIDI thread only copies them
    // into the rings, nothing is dropped, and the window's take keeps the program change
    // among them alone.
    void aFloodOfClockAndNotesIsTakenWhole() {
        startLearning();
        Chunks flood;
        for (int i = 0; i < 10000; ++i) {
            flood.push_back(i % 3 == 0 ? std::vector<std::uint8_t>{0x90, std::uint8_t(i % 128), 100}
                                       : std::vector<std::uint8_t>{0xF8});
        }
        flood.insert(flood.begin() + 5000, {0xC3, 12});
        QElapsedTimer timer;
        timer.start();
        m_inputs->send(flood);
        const qint64 copied = timer.restart();
        const std::vector<HeardMessage> queued = m_listener->take();
        const qint64 parsed = timer.elapsed();
        QCOMPARE(queued.size(), std::size_t(1));
        QCOMPARE(queued.front().bytes, (std::vector<std::uint8_t>{0xC3, 12}));
        QCOMPARE(m_listener->dropped(), std::size_t(0));
        receive({{0xC3, 12}});
        QCOMPARE(values(shown(), 4), QStringLiteral("-/-/13"));
        qInfo("10,000 messages: %lld ms into the rings, %lld ms parsed by the window", copied,
              parsed);
        QVERIFY2(parsed < 1000, qPrintable(QString::number(parsed)));
    }

    // A screen reader finds Learn in the MIDI menu, presses it, and hears the mark.
    void learnFromAScreenReader() {
        auto* menu = m_f->main.findChild<QMenu*>("MidiMenu");
        QAccessibleInterface* menuInterface = QAccessible::queryAccessibleInterface(menu);
        QVERIFY(menuInterface);
        QAccessibleInterface* item = nullptr;
        for (int i = 0; i < menuInterface->childCount(); ++i) {
            if (menuInterface->child(i)->text(QAccessible::Name) == QStringLiteral("Learn")) {
                item = menuInterface->child(i);
            }
        }
        QVERIFY(item && item->actionInterface());
        QVERIFY(item->state().checkable);
        m_f->interaction.onModal = [](QDialog& dialog) {
            dialog.show();
            dialog.findChild<QPushButton*>("btnOK")->click();
            dialog.hide();
            return dialog.result();
        };
        item->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QVERIFY(m_learn->learning());
        QVERIFY(item->state().checked);
        QAccessibleInterface* markInterface = QAccessible::queryAccessibleInterface(mark());
        QCOMPARE(markInterface->text(QAccessible::Name), QStringLiteral("Learn is on"));
        // Drawn in the highlight colour, where the status bar had none.
        const QImage picture = mark()->grab().toImage();
        const QColor highlight = mark()->palette().color(QPalette::Highlight);
        QCOMPARE(picture.pixelColor(2, picture.height() / 2), highlight);
    }
};

QTEST_MAIN(LearnTest)
#include "test_learn.moc"
