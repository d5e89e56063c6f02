// Download Current and Download All in every connection mode, with an in-process keypad
// and a scripted user: what goes to the keypad, every message, the status bar progress,
// the temporary file, and the external application's file.
#include "commands/command_wiring.h"
#include "commands/direct_midi_command.h"
#include "commands/download_commands.h"
#include "commands/interface_form.h"
#include "commands/transfer_messages.h"
#include "editor_fixture.h"
#include "fake_clock.h"
#include "fake_desktop.h"
#include "fake_midi_backend.h"
#include "library/library_recorder.h"
#include "library/preset_library.h"
#include "main_window/channel_grid.h"
#include "main_window/channel_spin_edit.h"
#include "main_window/main_form.h"
#include "main_window/preset_number_dialog.h"
#include "port_layer.h"
#include "scripted_interaction.h"
#include "working_folder.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QtTest>

#include <csignal>
#include <optional>

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <memory>

using namespace tarnwick;

namespace {
// The file older versions wrote in the working folder for every direct download.
const QString kOldTemporaryFile = QStringLiteral("TWKTempDownloadFile.syx");
} // namespace
using testing::EditorFixture;
using testing::FakeClock;
using testing::FakeDesktop;
using testing::FakeMidiBackend;
using testing::ScriptedInteraction;

Q_DECLARE_METATYPE(tarnwick::TransferResult)

class DownloadsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_startDir;
    std::unique_ptr<EditorFixture> m_f;
    TSaveForm* m_saveForm = nullptr;
    std::unique_ptr<PresetDownloads> m_downloads;
    std::unique_ptr<LibraryRecorder> m_recorder;
    // The sources of the banks recorded in the library.
    QStringList recordedBanks() {
        m_recorder->waitForDone();
        PresetLibrary library;
        QStringList sources;
        for (const LibraryBank& bank :
             library.open(m_recorder->path().value(), LibraryAccess::Write)
                 ? library.banks().value()
                 : std::vector<LibraryBank>{}) {
            sources << QString::fromStdString(bank.source);
        }
        return sources;
    }
    std::unique_ptr<DirectMidiCommand> m_directMidi;

    PresetRecord& preset(int n) { return m_f->main.bank()[PresetIndex::fromOneBase(n)]; }
    int shown() const { return m_f->main.bank().currentPresetIndex().oneBased(); }
    void trigger(const char* item) { m_f->main.findChild<QAction*>(item)->trigger(); }
    // Direct MIDI chosen in the chooser, as a user would, with the keypad's interface.
    void directMode() {
        m_f->interaction.onModal = [](QDialog& dialog) {
            dialog.show();
            QTest::mouseClick(dialog.findChild<QPushButton*>("btnOK"), Qt::LeftButton);
            dialog.hide();
            return dialog.result();
        };
        trigger("mnuDirectMIDI");
        QCOMPARE(m_f->main.connectionMode(), ConnectionMode::DirectMidi);
        m_f->interaction.onModal = nullptr;
        m_f->interaction.modalRuns.clear();
        m_f->midi.log.clear();
        m_f->midi.sent.clear();
    }
    void answerNumber(int number, QString* caption = nullptr, QString* question = nullptr) {
        m_f->interaction.onModal = [=](QDialog& dialog) {
            auto& form = static_cast<PresetNumberDialog&>(dialog);
            if (caption) {
                *caption = form.windowTitle();
            }
            if (question) {
                *question = form.question()->text();
            }
            if (number == 0) {
                return int(QDialog::Rejected);
            }
            form.setPresetNumber(number);
            return int(QDialog::Accepted);
        };
    }
    Bytes bankBytes() {
        Bytes bank;
        for (int n = 1; n <= 100; ++n) {
            const auto index = PresetIndex::fromOneBase(n);
            const PresetMessage m = EncodePresetMessage(preset(n), index);
            bank.insert(bank.end(), m.begin(), m.end());
        }
        return bank;
    }

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_startDir = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_dir->path()));
        m_f = std::make_unique<EditorFixture>();
        m_saveForm = new TSaveForm(&m_f->main);
        m_downloads = std::make_unique<PresetDownloads>(m_f->main, *m_saveForm, m_f->interaction,
                                                        m_f->desktop, m_f->ports, m_f->clock);
        ConnectCommands(m_f->main, *m_downloads);
        m_recorder = std::make_unique<LibraryRecorder>(
            std::filesystem::path(m_dir->filePath("library.sqlite").toStdString()));
        m_downloads->setRecorder(m_recorder.get());
        m_directMidi = std::make_unique<DirectMidiCommand>(
            m_f->main, *new TInterfaceForm(m_f->ports, &m_f->main), m_f->interaction);
        ConnectCommands(m_f->main, *m_directMidi);
        m_f->main.show();
        for (int n = 1; n <= 100; ++n) {
            SetPresetName(preset(n), "Keys " + std::to_string(n));
            preset(n).channel(1 + n % 16)[SlotKind::Program] = std::uint8_t(n % 128);
        }
        m_f->main.loadPresetFromBank();
    }
    void cleanup() {
        m_downloads.reset();
        m_recorder.reset();
        m_f.reset();
        QDir::setCurrent(m_startDir);
    }

    void resultMessages_data() {
        QTest::addColumn<TransferResult>("result");
        QTest::addColumn<QString>("download");
        QTest::addColumn<QString>("upgrade");
        QTest::addColumn<int>("icon");
        QTest::newRow("0") << TransferResult::Acknowledged << "Download Success|Downloaded OK!"
                           << "Upgrade Complete|Success!" << int(QMessageBox::Information);
        QTest::newRow("1") << TransferResult::CannotOpenFile << "Download Fail!|Bad file name."
                           << "Download Fail!|Bad file name." << int(QMessageBox::Warning);
        QTest::newRow("2") << TransferResult::ReadFailed << "Download Fail!|File read error."
                           << "Download Fail!|Memory allocation failure."
                           << int(QMessageBox::Warning);
        QTest::newRow("3") << TransferResult::WrongSize << "Download Fail!|File wrong size."
                           << "Download Fail!|Wrong file type." << int(QMessageBox::Warning);
        QTest::newRow("4") << TransferResult::NotSysEx << "Download Fail!|File F0 or F7 missing."
                           << "Download Fail!|File F0 or F7 missing." << int(QMessageBox::Warning);
        QTest::newRow("5") << TransferResult::PortsUnavailable << "Download Fail!|MIDI Open failed."
                           << "Download Fail!|MIDI Open failed." << int(QMessageBox::Warning);
        QTest::newRow("6") << TransferResult::NoInterface
                           << "Download Fail!|Bad or missing MIDI device."
                           << "Download Fail!|Bad or missing MIDI device."
                           << int(QMessageBox::Warning);
        QTest::newRow("7")
            << TransferResult::NoAcknowledge << "Download Fail?|No acknowledge from keypad."
            << "Download Fail?|No acknowledge from keypad. Did you enable upgrade mode?"
            << int(QMessageBox::Warning);
    }
    void resultMessages() {
        QFETCH(TransferResult, result);
        QFETCH(QString, download);
        QFETCH(QString, upgrade);
        QFETCH(int, icon);
        const TransferMessage d = DownloadResultMessage(result);
        const TransferMessage u = UpgradeResultMessage(result);
        QCOMPARE(d.title + "|" + d.text, download);
        QCOMPARE(u.title + "|" + u.text, upgrade);
        QCOMPARE(int(d.icon), icon);
        QCOMPARE(int(u.icon), icon);
    }

    void refusedWithoutAConnection_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("shownAfter");
        QTest::newRow("current, not chosen") << ""
                                             << "mnuDownloadCurrent" << 3;
        QTest::newRow("current, file only") << "mnuFileMode"
                                            << "mnuDownloadCurrent" << 3;
        QTest::newRow("all, file only") << "mnuFileMode"
                                        << "mnuDownloadAll" << 1;
    }
    void refusedWithoutAConnection() {
        QFETCH(QString, mode);
        QFETCH(QString, item);
        QFETCH(int, shownAfter);
        if (!mode.isEmpty()) {
            trigger(mode.toLatin1().constData());
        }
        m_f->main.showPresetNumber(3);
        trigger(item.toLatin1().constData());
        QCOMPARE(m_f->interaction.shown(),
                 QStringList{"Download Halted!|No MIDI interface selected."});
        QCOMPARE(m_f->interaction.messages[0].icon, QMessageBox::NoIcon);
        QCOMPARE(shown(), shownAfter);
        QVERIFY(m_f->midi.log.empty());
    }

    void directCurrentToAnotherNumber() {
        directMode();
        m_f->main.showPresetNumber(3);
        m_f->main.findChild<QLineEdit*>("edPresetName")->setText("Edited 3");
        QString caption, question;
        answerNumber(7, &caption, &question);
        int busyUnderTheBox = -1;
        m_f->interaction.onMessage = [this, &busyUnderTheBox](const auto&) {
            busyUnderTheBox = m_f->interaction.busyDepth;
        };
        trigger("mnuDownloadCurrent");
        QCOMPARE(busyUnderTheBox, 0);
        QVERIFY(m_f->interaction.busyCalls > 0);
        QCOMPARE(caption, QStringLiteral("Download To Which Preset?"));
        QCOMPARE(question, QStringLiteral("Download Current Preset to this Preset Number?"));
        QCOMPARE(m_saveForm->windowTitle(), QStringLiteral("Save To Which Preset?"));
        QCOMPARE(m_saveForm->question()->text(),
                 QStringLiteral("Save Current Preset to this Preset Number? "));
        QCOMPARE(m_f->midi.sent.size(), std::size_t(2));
        const PresetMessage expected = EncodePresetMessage(preset(3), PresetIndex::fromOneBase(7));
        QVERIFY(m_f->midi.sent[0] == Bytes(expected.begin(), expected.end()));
        QCOMPARE(m_f->midi.sent[0][4], std::uint8_t(6));
        QCOMPARE(PresetName(preset(3)), std::string("Edited 3     ")); // stored first
        QVERIFY(m_f->midi.sent[1] == (Bytes{0xF0, 0x7D, 0x22, 0x07, 0x02, 0xF7}));
        QCOMPARE(m_f->interaction.shown(), QStringList{"Download Success|Downloaded OK!"});
        QCOMPARE(m_f->interaction.messages[0].icon, QMessageBox::Information);
        QCOMPARE(shown(), 3);
        QVERIFY(!QFile::exists(kOldTemporaryFile)); // no file in the working folder
        QCOMPARE(m_f->interaction.busyDepth, 0);
    }

    void directCurrentFailures_data() {
        // 0 no ack, 1 ports refused, 2 no interface, 3 send refused, 4 ports another
        // program holds
        QTest::addColumn<int>("fault");
        QTest::addColumn<QString>("shownMessage");
        QTest::newRow("no acknowledgement") << 0 << "Download Fail?|No acknowledge from keypad.";
        QTest::newRow("ports will not open") << 1 << "Download Fail!|MIDI Open failed.";
        QTest::newRow("no interface") << 2 << "Download Fail!|Bad or missing MIDI device.";
        QTest::newRow("the output refuses the message")
            << 3 << "Download Fail?|No acknowledge from keypad.";
        QTest::newRow("ports another program holds") << 4 << "Download Fail!|MIDI Open failed.";
    }
    void directCurrentFailures() {
        QFETCH(int, fault);
        QFETCH(QString, shownMessage);
        directMode();
        if (fault == 0) {
            m_f->midi.keypad = KeypadProtocol({.stopAcknowledgingAt = 1});
        } else if (fault == 1 || fault == 4) {
            m_f->midi.refuseOutput = true;
            m_f->midi.heldElsewhere = fault == 4;
        } else if (fault == 2) {
            m_f->ports.setSelectedInterface(-1);
        } else {
            m_f->midi.refuseSend = true;
        }
        answerNumber(5);
        int busyUnderTheBox = -1;
        m_f->interaction.onMessage = [this, &busyUnderTheBox](const auto&) {
            busyUnderTheBox = m_f->interaction.busyDepth;
        };
        trigger("mnuDownloadCurrent");
        QCOMPARE(m_f->interaction.shown(), QStringList{shownMessage});
        // Why the ports would not open, when it is known, in the status bar.
        QCOMPARE(m_f->main.statusPanel(1)->text(),
                 fault == 4
                     ? QStringLiteral("The MIDI interface Keypad is in use by another program.")
                     : QString());
        QCOMPARE(busyUnderTheBox, 0); // the hourglass is gone before the box appears
        QCOMPARE(m_f->interaction.messages[0].icon, QMessageBox::Warning);
        QCOMPARE(m_f->midi.sent.size(),
                 std::size_t(fault == 0 ? 1 : 0));  // no post-download message
        QVERIFY(!QFile::exists(kOldTemporaryFile)); // no file in the working folder
    }

    void cancelledDownloadCurrentSendsNothing() {
        directMode();
        answerNumber(0);
        trigger("mnuDownloadCurrent");
        QVERIFY(m_f->midi.log.empty());
        QVERIFY(m_f->interaction.shown().isEmpty());
        QCOMPARE(m_saveForm->windowTitle(), QStringLiteral("Save To Which Preset?"));
    }

    void directAllSendsTheWholeBank() {
        directMode();
        m_f->main.showPresetNumber(9);
        QStringList progress;
        QList<bool> lime;
        m_f->midi.replies = [this, &progress, &lime](const Bytes& m) {
            progress << m_f->main.statusPanel(1)->text();
            lime << (m_f->main.statusBar()->palette().color(QPalette::Window) == QColor(0, 255, 0));
            return m_f->midi.keypad.receive(m);
        };
        trigger("mnuDownloadAll");
        QCOMPARE(m_f->midi.sent.size(), std::size_t(101));
        QVERIFY(m_f->midi.keypad.memoryAsBank() == bankBytes());
        QVERIFY(m_f->midi.sent[100] == (Bytes{0xF0, 0x7D, 0x22, 0x07, 0x00, 0xF7}));
        QCOMPARE(progress.first(), QStringLiteral("Downloading Preset # 1"));
        QCOMPARE(progress[99], QStringLiteral("Downloading Preset # 100"));
        QVERIFY(std::all_of(lime.begin(), lime.begin() + 100, [](bool b) { return b; }));
        QCOMPARE(m_f->main.statusPanel(1)->text(), QString());
        QCOMPARE(m_f->main.statusBar()->palette().color(QPalette::Window),
                 QPalette().color(QPalette::Button));
        QCOMPARE(m_f->interaction.shown(), QStringList{"Download Success|Downloaded OK!"});
        QCOMPARE(shown(), 1);
        QCOMPARE(m_f->main.findChild<QLineEdit*>("edPreset")->text(), QStringLiteral("1"));
        QVERIFY(!QFile::exists(kOldTemporaryFile)); // no file in the working folder
        QCOMPARE(m_f->interaction.busyDepth, 0);
        const auto& chosen =
            m_f->ports.interfaceList()[std::size_t(m_f->ports.selectedInterface())];
        QCOMPARE(recordedBanks(),
                 QStringList{"downloaded to " + QString::fromStdString(chosen.name)});
    }

    void directAllStopsAtTheFirstMissingAcknowledgement() {
        directMode();
        m_f->midi.keypad = KeypadProtocol({.stopAcknowledgingAt = 42});
        QString panelDuringMessage;
        m_f->interaction.onMessage = [this, &panelDuringMessage](const auto&) {
            panelDuringMessage = m_f->main.statusPanel(1)->text();
        };
        trigger("mnuDownloadAll");
        QCOMPARE(m_f->interaction.shown(),
                 QStringList{"Download Fail?|No acknowledge from keypad."});
        QCOMPARE(panelDuringMessage, QStringLiteral("Downloading Preset # 42"));
        QCOMPARE(m_f->midi.sent.size(), std::size_t(42)); // 43 to 100 not sent, no follow-up
        QCOMPARE(recordedBanks(), QStringList{});         // nothing is recorded as sent
        QCOMPARE(m_f->main.statusPanel(1)->text(), QString());
        QCOMPARE(m_f->main.statusBar()->palette().color(QPalette::Window),
                 QPalette().color(QPalette::Button));
        QCOMPARE(shown(), 1);
    }

    void directAllWithoutAnInterface() {
        directMode();
        m_f->ports.setSelectedInterface(-1);
        trigger("mnuDownloadAll");
        QCOMPARE(m_f->interaction.shown(),
                 QStringList{"Download Fail!|Bad or missing MIDI device."});
        QVERIFY(!QFile::exists(kOldTemporaryFile));
        QVERIFY(m_f->midi.log.empty());
        QCOMPARE(shown(), 1);
    }

    void externalCurrentHandsTheFileOver() {
        trigger("mnuExternalApp");
        m_f->main.showPresetNumber(4);
        QString caption;
        answerNumber(11, &caption);
        m_f->interaction.fileAnswers = {m_dir->filePath("keys4.syx")};
        trigger("mnuDownloadCurrent");
        QCOMPARE(caption, QStringLiteral("Save To Which Preset?"));
        QCOMPARE(m_f->interaction.saveRequests[0].title, QStringLiteral("Save Current Preset As"));
        QCOMPARE(m_f->interaction.saveRequests[0].proposedName, QStringLiteral("Keys 4"));
        QFile file(m_dir->filePath("keys4.syx"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const PresetMessage expected = EncodePresetMessage(preset(4), PresetIndex::fromOneBase(11));
        QCOMPARE(file.readAll(), QByteArray(reinterpret_cast<const char*>(expected.data()), 153));
        QCOMPARE(m_f->desktop.opened, QStringList{m_dir->filePath("keys4.syx")});
        QVERIFY(m_f->interaction.shown().isEmpty());
        QCOMPARE(shown(), 4);
    }

    void externalApplicationMissing() {
        trigger("mnuExternalApp");
        m_f->desktop.accepts = false;
        answerNumber(1);
        m_f->interaction.fileAnswers = {m_dir->filePath("one.syx")};
        trigger("mnuDownloadCurrent");
        QCOMPARE(m_f->interaction.shown(),
                 QStringList{"Download Fail!|ERROR: Could not find the .SYX file and/or MIDIOX"});
        QCOMPARE(m_f->interaction.messages[0].icon, QMessageBox::NoIcon);
    }

    void externalCancelPaths() {
        trigger("mnuExternalApp");
        answerNumber(0);
        trigger("mnuDownloadCurrent");
        QVERIFY(m_f->interaction.saveRequests.isEmpty());
        answerNumber(2);
        trigger("mnuDownloadCurrent"); // file dialog cancelled
        m_f->main.showPresetNumber(6);
        trigger("mnuDownloadAll"); // file dialog cancelled
        QVERIFY(m_f->desktop.opened.isEmpty());
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{});
        QVERIFY(m_f->interaction.shown().isEmpty());
        QCOMPARE(shown(), 1);
    }

    void externalAllWritesTheBank() {
        trigger("mnuExternalApp");
        m_f->interaction.fileAnswers = {m_dir->filePath("bank.syx")};
        trigger("mnuDownloadAll");
        QCOMPARE(m_f->interaction.saveRequests[0].proposedName, QStringLiteral("My100Presets.syx"));
        QFile file(m_dir->filePath("bank.syx"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const Bytes bank = bankBytes();
        QCOMPARE(file.readAll(), QByteArray(reinterpret_cast<const char*>(bank.data()), 15300));
        QCOMPARE(m_f->desktop.opened, QStringList{m_dir->filePath("bank.syx")});
        QCOMPARE(m_saveForm->presetNumber(), 1);
        QCOMPARE(shown(), 1);
        QCOMPARE(m_f->interaction.busyDepth, 0);
    }

    void externalWriteFailureHandsNothingOver() {
        trigger("mnuExternalApp");
        m_f->interaction.fileAnswers = {m_dir->filePath("missing/bank.syx")};
        trigger("mnuDownloadAll");
        QCOMPARE(m_f->interaction.shown(), QStringList{"Error|Error opening output file."});
        QVERIFY(m_f->desktop.opened.isEmpty());
    }

    // A direct download writes no file: it goes through from a working folder that takes
    // no files or on a full disk, and a file of the user's under the name the old versions
    // used is left as it is.
    void directDownloadsWriteNoFile_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("folder"); // "none": takes no files; "full": disk full
        for (const char* item : {"mnuDownloadCurrent", "mnuDownloadAll"}) {
            for (const char* folder : {"none", "full", "a file of the user's"}) {
                QTest::addRow("%s, %s", item, folder) << item << folder;
            }
        }
    }
    void directDownloadsWriteNoFile() {
#ifdef _WIN32
        QSKIP("a full disk is made with a file size limit, and a folder that takes no files "
              "is /proc: both are Linux's");
#else
        QFETCH(QString, item);
        QFETCH(QString, folder);
        directMode();
        answerNumber(3);
        std::optional<testing::WorkingFolder> unwritable;
        if (folder == "none") {
            unwritable.emplace(QStringLiteral("/proc")); // not even root may make files here
        } else if (folder != "full") {
            QFile mine(kOldTemporaryFile);
            QVERIFY(mine.open(QIODevice::WriteOnly) && mine.write("mine") == 4);
        }
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit none = saved;
        none.rlim_cur = folder == "full" ? 0 : saved.rlim_cur;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &none), 0);
        trigger(item.toLatin1().constData());
        setrlimit(RLIMIT_FSIZE, &saved);
        QCOMPARE(m_f->interaction.shown(), QStringList{"Download Success|Downloaded OK!"});
        QCOMPARE(m_f->midi.sent.size(), std::size_t(item == "mnuDownloadAll" ? 101 : 2));
        QCOMPARE(m_f->interaction.busyDepth, 0);
        if (!unwritable && folder != "full") {
            QFile mine(kOldTemporaryFile);
            QVERIFY(mine.open(QIODevice::ReadOnly));
            QCOMPARE(mine.readAll(), QByteArray("mine"));
        }
#endif
    }

    void noSecondTransferWhileOneRuns() {
        directMode();
        int nested = 0;
        m_f->midi.replies = [this, &nested](const Bytes& m) {
            // A second request arriving while the first talks to the keypad.
            if (nested++ == 0) {
                trigger("mnuDownloadAll");
                trigger("mnuDownloadCurrent");
            }
            return m_f->midi.keypad.receive(m);
        };
        answerNumber(2);
        trigger("mnuDownloadCurrent");
        QCOMPARE(m_f->midi.sent.size(), std::size_t(2)); // the preset and its follow-up only
        QVERIFY(m_f->main.isVisible());
        // Closing the window ends the program at once: the transfer says nothing more.
        const auto said = m_f->interaction.messages.size();
        m_f->midi.replies = [this](const Bytes& m) {
            m_f->main.close();
            return m_f->midi.keypad.receive(m);
        };
        answerNumber(2);
        trigger("mnuDownloadCurrent");
        QVERIFY(!m_f->main.isVisible());
        QCOMPARE(m_f->interaction.messages.size(), said);
    }
};

QTEST_MAIN(DownloadsTest)
#include "test_downloads.moc"
