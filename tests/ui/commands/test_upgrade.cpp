// The firmware upgrade command with an in-process keypad and a scripted user: the prompt,
// every message, the progress window, and that the chosen interface is used whatever the
// connection mode.
#include "commands/command_wiring.h"
#include "commands/interface_form.h"
#include "commands/progress_form.h"
#include "commands/upgrade_command.h"
#include "editor_fixture.h"
#include "fake_clock.h"
#include "fake_midi_backend.h"
#include "firmware_messages.h"
#include "main_window/main_form.h"
#include "port_layer.h"
#include "scripted_interaction.h"

#include <QAction>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

#include <memory>

using namespace tarnwick;
using testing::EditorFixture;
using testing::FakeClock;
using testing::FakeMidiBackend;
using testing::FirmwareMessage;
using testing::ScriptedInteraction;

class UpgradeTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<EditorFixture> m_f;
    TfrmProgress* m_progress = nullptr;
    std::unique_ptr<FirmwareUpgradeCommand> m_upgrade;

    QString file(const QByteArray& data) {
        const QString path = m_dir->filePath("firmware.syx");
        QFile f(path);
        if (f.open(QIODevice::WriteOnly)) {
            f.write(data);
        }
        return path;
    }
    void upgrade(const QString& path) {
        m_f->interaction.fileAnswers = {path};
        QTest::mouseClick(m_f->main.findChild<QToolButton*>("btnUpgrade"), Qt::LeftButton);
    }
    void chooseInterface() {
        m_f->ports.refreshInterfaces();
        m_f->ports.setSelectedInterface(0);
    }

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_f = std::make_unique<EditorFixture>();
        m_f->midi.keypad = KeypadProtocol({.upgradeMode = true});
        m_progress = new TfrmProgress(&m_f->main);
        m_upgrade = std::make_unique<FirmwareUpgradeCommand>(m_f->main, *m_progress,
                                                             m_f->interaction, m_f->ports);
        ConnectCommands(m_f->main, *m_upgrade);
        m_f->main.show();
    }
    void cleanup() {
        m_upgrade.reset();
        m_f.reset();
    }

    void promptAndDialog() {
        m_f->interaction.messageAnswers = {QMessageBox::Cancel};
        upgrade(file(FirmwareMessage(10)));
        QCOMPARE(m_f->interaction.messages.size(), 1);
        const auto& prompt = m_f->interaction.messages[0];
        QCOMPARE(prompt.title, QStringLiteral("Firmware Upgrade"));
        QCOMPARE(prompt.text,
                 QStringLiteral("Select your MIDI connection and put the keypad into UPGRADE "
                                "mode.\nNOTE: You MUST use the interface box."));
        QCOMPARE(prompt.icon, QMessageBox::Information);
        QCOMPARE(prompt.buttons, QMessageBox::Ok | QMessageBox::Cancel);
        QVERIFY(m_f->interaction.openRequests.isEmpty());

        m_f->interaction.fileAnswers.clear();
        QTest::mouseClick(m_f->main.findChild<QToolButton*>("btnUpgrade"), Qt::LeftButton);
        QCOMPARE(m_f->interaction.openRequests.size(), 1);
        QCOMPARE(m_f->interaction.openRequests[0].title,
                 QStringLiteral("Open Firmware Upgrade File"));
        QVERIFY(m_f->interaction.openRequests[0].filter.startsWith("(*.syx) Sys Ex Files"));
        QCOMPARE(m_f->interaction.messages.size(), 2);

        upgrade(m_dir->filePath("vanished.syx"));
        QCOMPARE(m_f->interaction.messages.size(), 3); // the prompt only
        QVERIFY(m_f->midi.log.empty());
    }

    void threeMessagesWithProgress() {
        chooseInterface();
        QList<bool> visible;
        m_f->midi.replies = [this, &visible](const Bytes& m) {
            visible << m_progress->isVisible();
            return m_f->midi.keypad.receive(m);
        };
        upgrade(file(FirmwareMessage(100) + FirmwareMessage(2048) + FirmwareMessage(7)));
        QCOMPARE(m_f->interaction.shown(),
                 (QStringList{"Firmware Upgrade|Select your MIDI connection and put the "
                              "keypad into UPGRADE mode.\nNOTE: You MUST use the "
                              "interface box.",
                              "Upgrade Complete|Success!"}));
        QCOMPARE(m_f->interaction.messages[1].icon, QMessageBox::Information);
        QCOMPARE(m_f->midi.keypad.firmwareMessages(), 3);
        QCOMPARE(m_f->midi.sent.size(), std::size_t(3));
        QCOMPARE(visible, (QList<bool>{true, true, true}));
        QCOMPARE(m_progress->progressBar()->value(), 4); // the empty last block is a step too
        QVERIFY(!m_progress->isVisible());
    }

    void failures_data() {
        QTest::addColumn<QByteArray>("firmware");
        QTest::addColumn<int>("setup"); // 0 none, 1 not in upgrade mode, 2 no interface, 3 ports
                                        // refused, 4 the output refuses the message
        QTest::addColumn<QString>("shownMessage");
        QTest::addColumn<int>("sent");
        QByteArray preset = FirmwareMessage(153);
        preset[2] = 0x22;
        QTest::newRow("a preset file") << preset << 0 << "Download Fail!|Wrong file type." << 0;
        QTest::newRow("an empty file")
            << QByteArray() << 0 << "Download Fail!|Wrong file type." << 0;
        QTest::newRow("no complete message")
            << QByteArray::fromHex("F07D2101") << 0 << "Download Fail!|Wrong file type." << 0;
        QTest::newRow("bytes after the last F7")
            << FirmwareMessage(10) + QByteArray::fromHex("F07D21") << 0
            << "Download Fail!|Wrong file type." << 0;
        QTest::newRow("2049 bytes")
            << FirmwareMessage(2049) << 0 << "Download Fail!|Wrong file type." << 0;
        QTest::newRow("not in upgrade mode")
            << FirmwareMessage(10) + FirmwareMessage(10) << 1
            << "Download Fail?|No acknowledge from keypad. Did you enable upgrade mode?" << 1;
        QTest::newRow("no interface chosen")
            << FirmwareMessage(10) << 2 << "Download Fail!|Bad or missing MIDI device." << 0;
        QTest::newRow("ports will not open")
            << FirmwareMessage(10) << 3 << "Download Fail!|MIDI Open failed." << 0;
        QTest::newRow("ports another program holds") // why, in the status bar
            << FirmwareMessage(10) << 5 << "Download Fail!|MIDI Open failed." << 0;
        QTest::newRow("the output refuses the message")
            << FirmwareMessage(10) << 4
            << "Download Fail?|No acknowledge from keypad. Did you enable upgrade mode?" << 0;
    }
    void failures() {
        QFETCH(QByteArray, firmware);
        QFETCH(int, setup);
        QFETCH(QString, shownMessage);
        QFETCH(int, sent);
        if (setup != 2) {
            chooseInterface();
        }
        if (setup == 1) {
            m_f->midi.keypad = KeypadProtocol({.upgradeMode = false});
        }
        m_f->midi.refuseOutput = setup == 3 || setup == 5;
        m_f->midi.heldElsewhere = setup == 5;
        m_f->midi.refuseSend = setup == 4;
        upgrade(file(firmware));
        QCOMPARE(m_f->main.statusText(),
                 setup == 5
                     ? QStringLiteral("The MIDI interface Keypad is in use by another program.")
                     : QString());
        QCOMPARE(m_f->interaction.messages.size(), 2);
        QCOMPARE(m_f->interaction.shown().last(), shownMessage);
        QCOMPARE(m_f->interaction.messages.last().icon, QMessageBox::Warning);
        QCOMPARE(int(m_f->midi.sent.size()), sent);
        QVERIFY(!m_progress->isVisible());
    }

    void usesTheChosenInterfaceWhateverTheMode() {
        chooseInterface();
        m_f->main.findChild<QAction*>("mnuFileMode")->trigger();
        upgrade(file(FirmwareMessage(10)));
        QCOMPARE(m_f->interaction.shown().last(), QStringLiteral("Upgrade Complete|Success!"));
        QCOMPARE(m_f->midi.keypad.firmwareMessages(), 1);
    }

    void progressWindowAndItsSteps() {
        QVERIFY(m_progress->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(m_progress->size(), QSize(408, 27));
        QCOMPARE(m_progress->progressBar()->minimum(), 0);
        QCOMPARE(m_progress->progressBar()->maximum(), 120);
        m_progress->progressBar()->setValue(119);
        m_progress->stepIt();
        QCOMPARE(m_progress->progressBar()->value(), 120);
        m_progress->stepIt(); // past the end: from the beginning again
        QCOMPARE(m_progress->progressBar()->value(), 1);
    }
};

QTEST_MAIN(UpgradeTest)
#include "test_upgrade.moc"
