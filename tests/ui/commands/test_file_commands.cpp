// Save One, Save All, Open One and Open All with a scripted user: bytes written, what
// each file does to the bank and the window, every message, cancel paths, and that a
// failed save never damages the file it was to replace.
#include "commands/command_wiring.h"
#include "commands/file_commands.h"
#include "drop_files.h"
#include "fake_clock.h"
#include "library/library_recorder.h"
#include "library/preset_library.h"
#include "main_window/channel_grid.h"
#include "main_window/channel_spin_edit.h"
#include "main_window/main_form.h"
#include "main_window/preset_list_form.h"
#include "main_window/preset_number_dialog.h"
#include "preset/syx_file.h"
#include "scripted_interaction.h"
#include "support/preset_file_io.h"
#include "working_folder.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>
#include <QtTest>

#include <memory>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using namespace tarnwick;
using namespace std::chrono_literals;
using testing::FakeClock;
using testing::ScriptedInteraction;

namespace {

QByteArray message(const PresetRecord& record, int number) {
    const PresetMessage m = EncodePresetMessage(record, PresetIndex::fromOneBase(number));
    return QByteArray(reinterpret_cast<const char*>(m.data()), qsizetype(m.size()));
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& data) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(data), data.size());
}

// A preset with something in every field, named after its number.
PresetRecord sample(int number) {
    PresetRecord record = NewBankPreset(PresetIndex::fromOneBase(number));
    SetPresetName(record, "Sample " + std::to_string(number));
    record.channel(1)[SlotKind::Msb] = std::uint8_t(number);
    record.channel(2)[SlotKind::Lsb] = std::uint8_t(0x80 | 9); // switched off, keeps 9
    record.channel(16)[SlotKind::Program] = std::uint8_t(number % 128);
    record.data[0] = 0xC0;
    record.data[1] = std::uint8_t(number % 128);
    record.placement = std::uint8_t(number % 2);
    record.reservedA = std::uint8_t(number);
    return record;
}

} // namespace

class FileCommandsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedInteraction> m_interaction;
    std::unique_ptr<FakeClock> m_clock;
    std::unique_ptr<TMainForm> m_form;
    TSaveForm* m_saveForm = nullptr;
    TLoadForm* m_loadForm = nullptr;
    TPresetListForm* m_list = nullptr;
    std::unique_ptr<PresetFileCommands> m_commands;

    QString path(const QString& name) const { return m_dir->filePath(name); }
    PresetRecord& preset(int n) { return m_form->bank()[PresetIndex::fromOneBase(n)]; }
    int shown() const { return m_form->bank().currentPresetIndex().oneBased(); }
    QLineEdit* name() const { return m_form->findChild<QLineEdit*>("edPresetName"); }
    QLineEdit* number() const { return m_form->findChild<QLineEdit*>("edPreset"); }
    void trigger(const char* item) { m_form->findChild<QAction*>(item)->trigger(); }
    void goTo(int n) { m_form->showPresetNumber(n); }
    // Answers the next preset-number dialog with `number` (0: cancel) and records the
    // number it offered.
    void answerNumberDialog(int number, int* offered = nullptr) {
        m_interaction->onModal = [number, offered](QDialog& dialog) {
            auto& form = static_cast<PresetNumberDialog&>(dialog);
            if (offered) {
                *offered = form.presetNumber();
            }
            if (number == 0) {
                return int(QDialog::Rejected);
            }
            form.setPresetNumber(number);
            return int(QDialog::Accepted);
        };
    }
    bool drop(const QStringList& files) { return testing::DropFiles(*m_form, files); }
    QByteArray bankFile(const std::function<PresetRecord(int)>& make) {
        QByteArray file;
        for (int n = 1; n <= 100; ++n) {
            file += message(make(n), n);
        }
        return file;
    }

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_interaction = std::make_unique<ScriptedInteraction>();
        m_clock = std::make_unique<FakeClock>();
        m_form = std::make_unique<TMainForm>(*m_interaction);
        m_saveForm = new TSaveForm(m_form.get());
        m_loadForm = new TLoadForm(m_form.get());
        m_list = new TPresetListForm(m_form.get());
        m_form->setPresetListForm(m_list);
        m_commands = std::make_unique<PresetFileCommands>(*m_form, *m_saveForm, *m_loadForm,
                                                          *m_interaction, *m_clock);
        ConnectCommands(*m_form, *m_commands);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    }
    void cleanup() {
        m_form.reset();
        m_commands.reset();
    }

    void saveAllAfterStartUpWritesTheDefaultBank() {
        m_interaction->fileAnswers = {path("bank.syx")};
        goTo(5);
        trigger("SaveAll1");
        const QByteArray written = readFile(path("bank.syx"));
        QCOMPARE(written.size(), 15300);
        QCOMPARE(written.left(153),
                 readFile(QStringLiteral(TARNWICK_TEST_DATA "/default_preset_1.syx")));
        for (int n = 1; n <= 100; ++n) {
            const QByteArray m = written.mid((n - 1) * 153, 153);
            QCOMPARE(int(quint8(m[4])), n - 1);
            QCOMPARE(m.mid(5, 13),
                     QByteArray("New Name " + QByteArray::number(n)).leftJustified(13, ' '));
        }
        QCOMPARE(m_interaction->saveRequests.size(), 1);
        const FileDialogRequest& request = m_interaction->saveRequests[0];
        QCOMPARE(request.title, QStringLiteral("Save ALL As"));
        QCOMPARE(request.proposedName, QStringLiteral("My100Presets.syx"));
        QVERIFY(request.filter.startsWith(QStringLiteral("(*.syx) Sys Ex Files (*.syx)")));
        QVERIFY(m_interaction->shown().isEmpty());
        QCOMPARE(m_clock->pauses.size(), std::size_t(100));
        QCOMPARE(m_clock->totalPaused(), std::chrono::microseconds(100ms));
        QCOMPARE(m_interaction->busyDepth, 0);
        QCOMPARE(m_interaction->busyCalls, 2);
        QCOMPARE(shown(), 1);
        QCOMPARE(number()->text(), QStringLiteral("1"));
        QVERIFY(QDir(m_dir->path()).entryList(QDir::Files) == QStringList{"bank.syx"});
    }

    void saveAllThenOpenAllGivesTheBankBack() {
        for (int n = 1; n <= 100; ++n) {
            preset(n) = sample(n);
        }
        PresetBank saved = m_form->bank();
        m_interaction->fileAnswers = {path("bank.syx")};
        trigger("SaveAll1");
        m_form->newBank();
        m_clock->pauses.clear();

        m_interaction->fileAnswers = {path("bank.syx")};
        trigger("OpenAll1001");
        QVERIFY(m_interaction->shown().isEmpty());
        for (int n = 1; n <= 100; ++n) {
            QVERIFY2(preset(n) == CarriedByMessage(saved[PresetIndex::fromOneBase(n)]),
                     qPrintable(QString::number(n)));
        }
        QCOMPARE(PresetName(preset(7)), std::string("Sample 7     "));     // padded
        QCOMPARE(preset(7).channel(2)[SlotKind::Lsb], std::uint8_t{0x80}); // value not carried
        QCOMPARE(m_clock->totalPaused(), std::chrono::microseconds(1000ms));
        QCOMPARE(shown(), 1);
        QCOMPARE(number()->text(), QStringLiteral("1"));
        QCOMPARE(name()->text(), QStringLiteral("Sample 1     "));
        QCOMPARE(m_list->listBox()->item(41)->text(), QStringLiteral("42.  Sample 42    "));
        QCOMPARE(m_interaction->busyDepth, 0);
        QCOMPARE(m_interaction->openRequests[0].title, QStringLiteral("Open 100 Presets"));
    }

    void saveOneAsAnotherNumber() {
        goTo(3);
        name()->setText("Three");
        int offered = 0;
        answerNumberDialog(7, &offered);
        m_interaction->fileAnswers = {path("one.syx")};
        trigger("SaveOne1");
        QCOMPARE(offered, 3);
        QCOMPARE(m_interaction->modalRuns, QStringList{"SaveForm"});
        QCOMPARE(m_interaction->saveRequests[0].title, QStringLiteral("Save Current Preset As"));
        QCOMPARE(m_interaction->saveRequests[0].proposedName, QStringLiteral("Three        "));
        const QByteArray written = readFile(path("one.syx"));
        QCOMPARE(written, message(preset(3), 7));
        QCOMPARE(int(quint8(written[4])), 6);
        QCOMPARE(shown(), 3);
        QCOMPARE(preset(7), NewBankPreset(PresetIndex::fromOneBase(7)));

        // Opening it proposes preset 7.
        answerNumberDialog(7, &offered);
        m_interaction->fileAnswers = {path("one.syx")};
        trigger("OpenSinglePreset1");
        QCOMPARE(offered, 7);
        QCOMPARE(shown(), 7);
        QCOMPARE(number()->text(), QStringLiteral("7"));
        QCOMPARE(PresetName(preset(7)), std::string("Three        "));
    }

    void openOneSizeLimits_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("shownMessage");
        QTest::newRow("153 bytes") << 153 << QString();
        QTest::newRow("154 bytes")
            << 154 << "File Open Error!|This file is too big to be a single Preset file.";
        QTest::newRow("a bank")
            << 15300 << "File Open Error!|This file is too big to be a single Preset file.";
    }
    void openOneSizeLimits() {
        QFETCH(int, size);
        QFETCH(QString, shownMessage);
        QByteArray file;
        while (file.size() < size) {
            file += message(sample(12), 12);
        }
        file.resize(size, char(0xF7));
        writeFile(path("in.syx"), file);
        answerNumberDialog(12);
        m_interaction->fileAnswers = {path("in.syx")};
        trigger("OpenSinglePreset1");
        if (shownMessage.isEmpty()) {
            QVERIFY(m_interaction->shown().isEmpty());
            QCOMPARE(preset(12), CarriedByMessage(sample(12)));
            QCOMPARE(shown(), 12);
            QCOMPARE(m_list->listBox()->item(11)->text(), QStringLiteral("12.  Sample 12    "));
        } else {
            QCOMPARE(m_interaction->shown(), QStringList{shownMessage});
            QVERIFY(m_interaction->modalRuns.isEmpty());
            QCOMPARE(preset(12), NewBankPreset(PresetIndex::fromOneBase(12)));
        }
    }

    void openOneOfABadMessageChangesNothing() {
        QByteArray file = message(sample(2), 2);
        file[2] = 0x21;
        writeFile(path("bad.syx"), file);
        m_interaction->fileAnswers = {path("bad.syx")};
        trigger("OpenSinglePreset1");
        QCOMPARE(m_interaction->shown(),
                 QStringList{"File Open Error!|Device ID not 0x22. Wrong file type selected?"});
        QVERIFY(m_interaction->modalRuns.isEmpty());
        QCOMPARE(preset(2), NewBankPreset(PresetIndex::fromOneBase(2)));
    }

    void openAllOfAShortFile() {
        writeFile(path("short.syx"), message(sample(1), 1));
        m_interaction->fileAnswers = {path("short.syx")};
        trigger("OpenAll1001");
        QCOMPARE(
            m_interaction->shown(),
            QStringList{"File Open Error!|This file is not big enough to be a 100 Preset file."});
        QCOMPARE(preset(1), NewBankPreset(PresetIndex::fromOneBase(1)));
        QCOMPARE(m_interaction->busyCalls, 0);
    }

    // Each message goes to the preset its own number names, reading on from the one after
    // it; the read for preset 100 closes the file. Message k holds sample(k); `numbers` are
    // the presets the messages name, `sources` the sample each preset ends up with (0: the
    // default), and the bank is checked whole.
    void openAllFollowsTheNumbersItReads_data() {
        QTest::addColumn<QList<int>>("numbers");
        QTest::addColumn<int>("damaged"); // the message whose manufacturer byte is 0x41
        QTest::addColumn<QByteArray>("tail");
        QTest::addColumn<QString>("shownMessage");
        QTest::addColumn<QList<int>>("sources");
        QTest::addColumn<int>("pauses");
        QTest::addColumn<bool>("recorded"); // in the library: only a bank that is the file's
        const auto upTo = [](int last) {
            QList<int> list;
            for (int n = 1; n <= last; ++n) {
                list << n;
            }
            return list;
        };
        const auto allPresetOne = [&upTo](int last) {
            QList<int> sources(100, 0);
            sources[0] = last;
            return std::make_pair(QList<int>(upTo(100)).fill(1), sources);
        };
        QList<int> firstTwo(100, 0);
        firstTwo[0] = 1;
        firstTwo[1] = 2;
        QTest::newRow("third message damaged")
            << upTo(100) << 3 << QByteArray() << "File Open Error!|Manufacturer ID not 0x7D."
            << firstTwo << 2 << false;
        QTest::newRow("every preset in order")
            << upTo(100) << 0 << QByteArray() << QString() << upTo(100) << 100 << true;
        const auto [ones, lastInOne] = allPresetOne(100);
        QTest::newRow("all name preset 1, then the end")
            << ones << 0 << QByteArray() << "File Open Error!|File does not start with 0xF0."
            << lastInOne << 100 << false;
        QTest::newRow("all name preset 1, then a message cut after 100 bytes")
            << ones << 0 << message(sample(101), 1).left(100)
            << "File Open Error!|Unexpected End-of-File." << lastInOne << 100 << false;
        QTest::newRow("all name preset 1, then a lone header")
            << ones << 0 << QByteArray("\xF0\x7D\x22") << "File Open Error!|Invalid command byte."
            << lastInOne << 100 << false;
        QList<int> late(100, 0);
        late[98] = 1;
        late[99] = 2;
        QTest::newRow("starting at 99") << (QList<int>{99, 100} + upTo(98)) << 0 << QByteArray()
                                        << QString() << late << 2 << false;
        QList<int> backToSix = upTo(100);
        backToSix[5] = 100;
        backToSix[99] = 0;
        QTest::newRow("the 100th names preset 6, more follow")
            << (upTo(99) + QList<int>{6, 51}) << 0 << message(sample(102), 52) << QString()
            << backToSix << 100 << false;
    }
    void openAllFollowsTheNumbersItReads() {
        QFETCH(QList<int>, numbers);
        QFETCH(int, damaged);
        QFETCH(QByteArray, tail);
        QFETCH(QString, shownMessage);
        QFETCH(QList<int>, sources);
        QFETCH(int, pauses);
        QFETCH(bool, recorded);
        const QString library = path("library.sqlite");
        LibraryRecorder recorder(library.toStdString());
        m_commands->setRecorder(&recorder);
        QByteArray file;
        for (qsizetype k = 1; k <= numbers.size(); ++k) {
            QByteArray m = message(sample(int(k)), numbers[k - 1]);
            if (k == damaged) {
                m[1] = 0x41;
            }
            file += m;
        }
        writeFile(path("bank.syx"), file + tail);
        goTo(50);
        m_interaction->fileAnswers = {path("bank.syx")};
        trigger("OpenAll1001");
        QCOMPARE(m_interaction->shown(),
                 shownMessage.isEmpty() ? QStringList() : QStringList{shownMessage});
        for (int n = 1; n <= 100; ++n) {
            const int source = sources[n - 1];
            QVERIFY2(preset(n) == (source ? CarriedByMessage(sample(source))
                                          : NewBankPreset(PresetIndex::fromOneBase(n))),
                     qPrintable(QStringLiteral("preset %1").arg(n)));
        }
        QCOMPARE(m_clock->pauses.size(), std::size_t(pauses));
        QCOMPARE(shown(), 1);
        QCOMPARE(m_interaction->busyDepth, 0);
        recorder.waitForDone();
        m_commands->setRecorder(nullptr);
        PresetLibrary opened;
        const bool any = opened.open(library.toStdString(), LibraryAccess::Write);
        QCOMPARE(any && !opened.banks()->empty(), recorded);
    }

    // A bank saved, then opened again, is one bank of the presets the file holds, byte for
    // byte: the untouched defaults with the blanks the file gives their names.
    void theLibraryKeepsWhatTheFileHolds() {
        const QString library = path("library.sqlite");
        LibraryRecorder recorder(library.toStdString());
        m_commands->setRecorder(&recorder);
        for (int n = 1; n <= 6; ++n) {
            preset(n) = sample(n);
        }
        m_interaction->fileAnswers = {path("Gig.syx"), path("Gig.syx")};
        trigger("SaveAll1");
        trigger("OpenAll1001");
        recorder.waitForDone();
        m_commands->setRecorder(nullptr);
        PresetLibrary opened;
        QVERIFY(opened.open(library.toStdString(), LibraryAccess::Write));
        const auto banks = opened.banks();
        QCOMPARE(banks->size(), std::size_t(1));
        QCOMPARE(opened.check()->presets, std::size_t(100)); // none stored twice
        const auto kept = opened.bank(banks->front().id);
        QByteArray back;
        for (int n = 1; n <= 100; ++n) {
            const PresetMessage m =
                MessageKeepingName((*kept)[std::size_t(n - 1)], PresetIndex::fromOneBase(n));
            back.append(reinterpret_cast<const char*>(m.data()), qsizetype(m.size()));
        }
        QCOMPARE(back, readFile(path("Gig.syx")));
    }

    void missingFilesAreIgnoredQuietly_data() {
        QTest::addColumn<QString>("item");
        QTest::newRow("Open One") << "OpenSinglePreset1";
        QTest::newRow("Open All") << "OpenAll1001";
    }
    void missingFilesAreIgnoredQuietly() {
        QFETCH(QString, item);
        m_interaction->fileAnswers = {path("none.syx")};
        trigger(item.toLatin1().constData());
        QVERIFY(m_interaction->shown().isEmpty());
        QVERIFY(m_interaction->modalRuns.isEmpty());
        QCOMPARE(m_form->bank()[PresetIndex::fromOneBase(1)],
                 NewBankPreset(PresetIndex::fromOneBase(1)));
    }

    void cancelPaths() {
        writeFile(path("one.syx"), message(sample(4), 4));
        // Save One: the number dialog, then the file dialog.
        answerNumberDialog(0);
        trigger("SaveOne1");
        QVERIFY(m_interaction->saveRequests.isEmpty());
        answerNumberDialog(2);
        trigger("SaveOne1");
        QCOMPARE(m_interaction->saveRequests.size(), 1);
        // Open One: the file dialog, then the number dialog.
        trigger("OpenSinglePreset1");
        QVERIFY(m_interaction->modalRuns.size() == 2);
        answerNumberDialog(0);
        m_interaction->fileAnswers = {path("one.syx")};
        trigger("OpenSinglePreset1");
        QCOMPARE(preset(4), NewBankPreset(PresetIndex::fromOneBase(4)));
        // Open All.
        trigger("OpenAll1001");
        QVERIFY(m_interaction->shown().isEmpty());
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{"one.syx"});
        QCOMPARE(shown(), 1);
    }

    void cancelledSaveAllStillStoresAndReturnsToPresetOne() {
        goTo(5);
        name()->setText("Five");
        trigger("SaveAll1");
        QCOMPARE(PresetName(preset(5)), std::string("Five         "));
        QCOMPARE(preset(1), NewBankPreset(PresetIndex::fromOneBase(1)));
        QCOMPARE(shown(), 1);
        QCOMPARE(name()->text(), QStringLiteral("New Name 1"));
        QVERIFY(m_clock->pauses.empty());
    }

    void openKeepsUnstoredEditsOfTheShownPreset_data() {
        QTest::addColumn<bool>("all");
        QTest::addColumn<bool>("dropped"); // dropped on the window instead of chosen
        QTest::newRow("Open One") << false << false;
        QTest::newRow("Open All") << true << false;
        QTest::newRow("a dropped preset") << false << true;
        QTest::newRow("a dropped bank") << true << true;
    }
    void openKeepsUnstoredEditsOfTheShownPreset() {
        QFETCH(bool, all);
        QFETCH(bool, dropped);
        if (all) {
            QByteArray file = message(sample(99), 99) + message(sample(100), 100);
            file += QByteArray(15300 - file.size(), '\0');
            writeFile(path("in.syx"), file);
        } else {
            writeFile(path("in.syx"), message(sample(9), 9));
            answerNumberDialog(9);
        }
        goTo(5);
        name()->setText("Unstored");
        if (dropped) {
            QVERIFY(drop({path("in.syx")}));
            QVERIFY(m_interaction->openRequests.isEmpty());
        } else {
            m_interaction->fileAnswers = {path("in.syx")};
            trigger(all ? "OpenAll1001" : "OpenSinglePreset1");
        }
        QCOMPARE(PresetName(preset(5)), std::string("Unstored     "));
        QCOMPARE(m_interaction->modalRuns, all ? QStringList() : QStringList{"LoadForm"});
        QCOMPARE(shown(), all ? 1 : 9);
        QCOMPARE(preset(all ? 99 : 9), CarriedByMessage(sample(all ? 99 : 9)));
        QVERIFY(!m_form->presetEdited());
    }

    // A file dropped on the window opens as its Open command would; anything but one .syx
    // file is refused at the drag, and nothing changes.
    void droppedFilesOpenAsTheOpenCommandsWould_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("shownMessage");
        QTest::newRow("one preset") << "one.syx" << 153 << true << QString();
        QTest::newRow("upper-case suffix") << "ONE.SYX" << 153 << true << QString();
        QTest::newRow("154 bytes") << "odd.syx" << 154 << true
                                   << "File Open Error!|This file is not big enough to be a 100 "
                                      "Preset file.";
        QTest::newRow("a bank of 90 presets")
            << "short.syx" << 90 * 153 << true
            << "File Open Error!|This file is not big enough to be a 100 Preset file.";
        QTest::newRow("a text file") << "notes.txt" << 153 << false << QString();
        QTest::newRow("a folder") << "folder.syx" << -1 << false << QString();
        QTest::newRow("two files") << "one.syx,two.syx" << 153 << false << QString();
    }
    void droppedFilesOpenAsTheOpenCommandsWould() {
        QFETCH(QString, name);
        QFETCH(int, size);
        QFETCH(bool, accepted);
        QFETCH(QString, shownMessage);
        QStringList files;
        for (const QString& file : name.split(',')) {
            if (size < 0) {
                QVERIFY(QDir(m_dir->path()).mkdir(file));
            } else {
                QByteArray bytes = message(sample(12), 12);
                bytes.resize(size, char(0xF7));
                writeFile(path(file), bytes);
            }
            files << path(file);
        }
        answerNumberDialog(12);
        QCOMPARE(drop(files), accepted);
        QCOMPARE(m_interaction->shown(),
                 shownMessage.isEmpty() ? QStringList() : QStringList{shownMessage});
        const bool opened = accepted && shownMessage.isEmpty();
        QCOMPARE(preset(12), opened ? CarriedByMessage(sample(12))
                                    : NewBankPreset(PresetIndex::fromOneBase(12)));
        QCOMPARE(shown(), opened ? 12 : 1);
    }

    // Save All and Open All let the window paint between presets: a file dropped, a menu
    // item or a shortcut meanwhile is refused, so the bank is never two banks mixed.
    void nothingChangesTheBankWhileALoopRuns_data() {
        QTest::addColumn<QString>("item");
        for (const char* item : {"SaveAll1", "OpenAll1001"}) {
            QTest::newRow(item) << QString::fromLatin1(item);
        }
    }
    void nothingChangesTheBankWhileALoopRuns() {
        QFETCH(QString, item);
        const QByteArray bank = bankFile(sample);
        writeFile(path("bank.syx"), bank);
        writeFile(path("other.syx"), message(sample(60), 1));
        answerNumberDialog(1);
        bool refused = false;
        m_clock->onAdvance = [&](auto) {
            if (m_clock->pauses.size() == 50) {
                refused = !drop({path("other.syx")});
                for (const char* other : {"OpenSinglePreset1", "OpenAll1001", "actUndo"}) {
                    trigger(other);
                }
            }
        };
        m_interaction->fileAnswers = {path("bank.syx")};
        trigger(item.toLatin1().constData());
        QVERIFY(refused);
        QCOMPARE(m_interaction->openRequests.size() + m_interaction->saveRequests.size(), 1);
        QVERIFY(m_interaction->modalRuns.isEmpty());
        QByteArray now;
        for (int n = 1; n <= 100; ++n) {
            now += message(preset(n), n);
        }
        QCOMPARE(now, item == "SaveAll1" ? readFile(path("bank.syx")) : bank);
        QCOMPARE(readFile(path("bank.syx")).size(), 15300);
    }

    // Closing the window while Save All or Open All pauses ends them there: no more pauses,
    // no message, and the file keeps its old content.
    void closingDuringALoopEndsIt_data() {
        QTest::addColumn<QString>("item");
        for (const char* item : {"SaveAll1", "OpenAll1001"}) {
            QTest::newRow(item) << QString::fromLatin1(item);
        }
    }
    void closingDuringALoopEndsIt() {
        QFETCH(QString, item);
        const QByteArray old = bankFile([](int n) { return sample(n + 100); });
        writeFile(path("bank.syx"), old);
        m_form->show();
        m_clock->onAdvance = [&](auto) {
            if (m_clock->pauses.size() == 50) {
                m_form->close();
            }
        };
        m_interaction->fileAnswers = {path("bank.syx")};
        trigger(item.toLatin1().constData());
        QVERIFY(!m_form->isVisible());
        QCOMPARE(m_clock->pauses.size(), std::size_t(50));
        QCOMPARE(m_interaction->shown(), QStringList());
        QCOMPARE(readFile(path("bank.syx")), old);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{"bank.syx"});
    }

    void failedSaveLeavesTheOldFileAsItWas_data() {
        QTest::addColumn<QString>("item");
        QTest::newRow("Save All") << "SaveAll1";
        QTest::newRow("Save One") << "SaveOne1";
    }
    void failedSaveLeavesTheOldFileAsItWas() {
#ifndef Q_OS_UNIX
        QSKIP("needs a file size limit to make the disk fill up");
#else
        QFETCH(QString, item);
        const QByteArray old = bankFile(sample);
        writeFile(path("keep.syx"), old);
        answerNumberDialog(1);
        m_interaction->fileAnswers = {path("keep.syx")};
        // No file of this process may grow past 100 bytes: the write fails as on a
        // full disk.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit tiny = saved;
        tiny.rlim_cur = 100;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &tiny), 0);
        trigger(item.toLatin1().constData());
        setrlimit(RLIMIT_FSIZE, &saved);

        QCOMPARE(m_interaction->shown(), QStringList{"Error|Error opening output file."});
        QCOMPARE(readFile(path("keep.syx")), old);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{"keep.syx"});
#endif
    }

    void saveIntoAMissingFolderSaysSo_data() {
        QTest::addColumn<QString>("folder");
        QTest::newRow("missing") << QStringLiteral("missing");
        // Not even root may make files here, as in a read-only folder.
        QTest::newRow("taking no files") << QStringLiteral("/proc");
    }
    void saveIntoAMissingFolderSaysSo() {
        QFETCH(QString, folder);
        answerNumberDialog(1);
        m_interaction->fileAnswers = {path(folder + "/one.syx")};
        trigger("SaveOne1");
        QCOMPARE(m_interaction->shown(), QStringList{"Error|Error opening output file."});
        m_interaction->messages.clear();
        m_interaction->fileAnswers = {path(folder + "/all.syx")};
        trigger("SaveAll1");
        QCOMPARE(m_interaction->shown(), QStringList{"Error|Error opening output file."});
        QCOMPARE(shown(), 1);
    }

    void dialogsStartInTheSyxFolder() {
        const testing::WorkingFolder working(m_dir->path());
        QVERIFY(working.entered());
        QCOMPARE(PresetStartFolder(), QDir(m_dir->path()).absolutePath());
        QVERIFY(QDir(m_dir->path()).mkdir("Syx"));
        QCOMPARE(PresetStartFolder(), QDir(m_dir->path()).absoluteFilePath("Syx"));
    }
};

QTEST_MAIN(FileCommandsTest)
#include "test_file_commands.moc"
