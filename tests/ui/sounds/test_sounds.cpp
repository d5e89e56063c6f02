// Sounds by name in the editor: the main window's Sound column with a rig (and none
// without), the picker writing a sound as one undo step, the rig window, and the names in
// the Bank Organizer.
#include "commands/command_wiring.h"
#include "editor_fixture.h"
#include "library/library_form.h"
#include "library/library_recorder.h"
#include "main_window/channel_grid.h"
#include "main_window/channel_spin_edit.h"
#include "organizer/bank_organizer_form.h"
#include "sounds/choose_sound_form.h"
#include "sounds/rig_form.h"
#include "sounds/rig_service.h"
#include "sounds/sound_command.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QThread>
#include <QTreeView>
#include <QTreeWidget>
#include <QtTest>

using namespace tarnwick;

namespace {

const std::filesystem::path kInstruments = TARNWICK_TEST_DATA "/instruments";

// The longest a keystroke may take to narrow the picker, in ms; a sanitizer build runs
// several times slower than the debug build the figure is for.
#if defined(__SANITIZE_ADDRESS__)
constexpr qint64 kSlowest = 100;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr qint64 kSlowest = 100;
#else
constexpr qint64 kSlowest = 20;
#endif
#else
constexpr qint64 kSlowest = 20;
#endif

} // namespace

class SoundsTest : public QObject {
    Q_OBJECT
    std::unique_ptr<testing::EditorFixture> m_f;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<RigService> m_rig;
    SoundCommand* m_sounds = nullptr;
    std::vector<PresetRecord> m_played;

    // The rig file holds `rig` when the editor starts.
    void start(const Rig& rig) {
        std::string error;
        QVERIFY(WriteRig(m_dir->filePath("rig.json").toStdString(), rig, error));
        startWithRigFile();
    }
    // The editor starts with the rig file as it is.
    void startWithRigFile() {
        const std::filesystem::path path = m_dir->filePath("rig.json").toStdString();
        m_rig = std::make_unique<RigService>(std::vector{kInstruments}, path);
        m_sounds =
            new SoundCommand(m_f->main, *m_rig, m_f->interaction,
                             [this](const PresetRecord& preset) { m_played.push_back(preset); });
        ConnectCommands(m_f->main, *m_sounds);
        m_f->main.show();
        m_rig->waitForLoaded();
    }
    static Rig twoSynths() {
        Rig rig;
        rig.channels[0].instrument = "Tarnwick Test Synth One";
        rig.channels[9].instrument = "Tarnwick Test Synth One";
        rig.channels[2].instrument = "General MIDI";
        return rig;
    }
    QLabel* sound(int channel) {
        return m_f->main.findChild<QLabel*>(QStringLiteral("lblSound%1").arg(channel));
    }
    ChannelSpinEdit* spin(int channel, SlotKind kind) {
        return m_f->main.channelGrid()->spinEdit(channel, kind);
    }

private slots:
    void init() {
        m_f = std::make_unique<testing::EditorFixture>();
        m_dir = std::make_unique<QTemporaryDir>();
        m_played.clear();
    }
    void cleanup() {
        m_f.reset();
        m_rig.reset();
    }

    // Without a rig the window is exactly as it always was; with one, a Sound column right
    // of the program changes names each channel's sound as the values are typed.
    void theSoundColumn() {
        start(Rig{});
        const QSize plain = m_f->main.size();
        QVERIFY(!sound(1) || !sound(1)->isVisible());
        const QImage before = m_f->main.grab().toImage();

        std::string error;
        QVERIFY(m_rig->setRig(twoSynths(), error));
        QVERIFY(sound(1)->isVisible());
        QCOMPARE(m_f->main.width(), plain.width() + SoundColumn::kWidth - 6);
        QCOMPARE(QAccessible::queryAccessibleInterface(sound(16))->text(QAccessible::Name),
                 QStringLiteral("Sound 16"));
        // Preset 1's default: every value off, nothing named.
        QCOMPARE(sound(1)->text(), QString());
        // Typed: MSB 80 and LSB 0 switched on, program 1 switched on.
        QTest::mouseClick(m_f->main.channelGrid()->checkBox(1, SlotKind::Msb), Qt::LeftButton);
        spin(1, SlotKind::Msb)->setValue(80);
        QTest::mouseClick(m_f->main.channelGrid()->checkBox(1, SlotKind::Program), Qt::LeftButton);
        QCOMPARE(sound(1)->text(), QStringLiteral("Symphonique"));
        spin(1, SlotKind::Msb)->setValue(81);
        QCOMPARE(sound(1)->text(), QStringLiteral("Warm Pad"));
        QCOMPARE(QAccessible::queryAccessibleInterface(sound(1))->text(QAccessible::Description),
                 QStringLiteral("Warm Pad"));
        // Tabbing to the channel's program, a screen reader says the sound too.
        QCOMPARE(QAccessible::queryAccessibleInterface(spin(1, SlotKind::Program))
                     ->text(QAccessible::Description),
                 QStringLiteral("Sound: Warm Pad"));
        QTest::mouseClick(m_f->main.channelGrid()->checkBox(1, SlotKind::Msb), Qt::LeftButton);
        QCOMPARE(sound(1)->text(), QStringLiteral("Symphonique?")); // every bank's program 1
        QCOMPARE(sound(1)->toolTip(),
                 QStringLiteral("The synth's current bank decides: Symphonique (Preset A), Warm "
                                "Pad (Preset B), Plain Piano (Program only)"));
        QTest::mouseClick(m_f->main.channelGrid()->checkBox(3, SlotKind::Program), Qt::LeftButton);
        spin(3, SlotKind::Program)->setValue(41);
        QCOMPARE(sound(3)->text(), QStringLiteral("Violin"));
        QCOMPARE(sound(2)->text(), QString()); // no instrument there

        // The rig cleared: the window as before, to the pixel.
        QVERIFY(m_rig->setRig(Rig{}, error));
        m_f->main.newBank();
        QCOMPARE(m_f->main.size(), plain);
        QCOMPARE(m_f->main.grab().toImage(), before);
    }

    // Ctrl+K on channel 1's program: the picker lists its name set, narrows it as the
    // search is typed, plays what is selected with "Play on select", and Enter writes the
    // sound into the channel (a bank select its bank does not send switched off) as one
    // undo step.
    void choosingASoundByName() {
        start(twoSynths());
        m_f->main.showPresetNumber(2);
        QTest::mouseClick(m_f->main.channelGrid()->checkBox(1, SlotKind::Lsb), Qt::LeftButton);
        spin(1, SlotKind::Lsb)->setValue(5); // to be switched off by a bank that sends none
        m_f->main.flushEdits();
        const PresetRecord before = m_f->main.bank()[PresetIndex::fromOneBase(2)];
        QStringList shown;
        m_f->interaction.onModal = [&](QDialog& dialog) {
            auto& form = static_cast<TChooseSoundForm&>(dialog);
            shown << form.windowTitle() << QString::number(form.shownCount());
            QTest::keyClicks(form.searchField(), "PAD");
            shown << QString::number(form.shownCount());
            form.findChild<QCheckBox*>("chkSoundPlayOnSelect")->setChecked(true);
            QTest::keyClick(form.searchField(), Qt::Key_Down); // Warm Pad to Glass Pad
            QTest::keyClick(form.soundList(), Qt::Key_Return);
            return dialog.result();
        };
        m_f->main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&m_f->main));
        spin(1, SlotKind::Program)->setFocus();
        QTest::keyClick(spin(1, SlotKind::Program), Qt::Key_K, Qt::ControlModifier);
        QCOMPARE(shown, (QStringList{"Choose Sound for Channel 1 \u2014 Tarnwick Test Synth One",
                                     "7", "3"}));
        QCOMPARE(m_played.size(), std::size_t(1));
        QCOMPARE(m_played[0].channel(1), (ChannelSlot{{81, kSlotDisabled, 1}}));
        const PresetRecord& now = m_f->main.bank()[PresetIndex::fromOneBase(2)];
        QCOMPARE(now.channel(1)[SlotKind::Msb], std::uint8_t(81));
        QVERIFY(!SlotEnabled(now.channel(1)[SlotKind::Lsb]));
        QCOMPARE(now.channel(1)[SlotKind::Program], std::uint8_t(1));
        QCOMPARE(sound(1)->text(), QStringLiteral("Glass Pad"));
        QTest::keyClick(&m_f->main, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(m_f->main.bank()[PresetIndex::fromOneBase(2)] == before);

        // Cancel after trying sounds: the preset stays as it was, and the synth is sent the
        // channel's own sound back (80/0/1 here); without a try, nothing is sent.
        m_f->main.applyChannel(1, ChannelSlot{{80, 0, 0}});
        m_f->main.flushEdits();
        const PresetRecord kept = m_f->main.bank()[PresetIndex::fromOneBase(2)];
        m_played.clear();
        QStringList opened; // the sound current as the window opens, and its values
        m_f->interaction.onModal = [&opened](QDialog& dialog) {
            auto& form = static_cast<TChooseSoundForm&>(dialog);
            const QModelIndex current = form.soundList()->currentIndex();
            opened << current.siblingAtColumn(3).data().toString()
                   << current.siblingAtColumn(1).data().toString();
            form.findChild<QCheckBox*>("chkSoundPlayOnSelect")->setChecked(true);
            QTest::keyClicks(form.searchField(), "glass");
            return int(QDialog::Rejected);
        };
        emit m_f->main.chooseSoundRequested(1);
        QCOMPARE(opened, (QStringList{"Symphonique", "80/0/1"}));
        QVERIFY(m_f->main.bank()[PresetIndex::fromOneBase(2)] == kept);
        QVERIFY(m_played.size() >= 2);
        QCOMPARE(m_played.back().channel(1), kept.channel(1));
        m_played.clear();
        m_f->interaction.onModal = [](QDialog&) {
            return int(QDialog::Rejected);
        };
        emit m_f->main.chooseSoundRequested(1);
        QVERIFY(m_played.empty());

        // A channel without an instrument says so and changes nothing.
        m_f->interaction.onModal = nullptr;
        emit m_f->main.chooseSoundRequested(2);
        QCOMPARE(m_f->interaction.messages.last().text,
                 QStringLiteral("Channel 2 has no instrument in the rig. Choose one with Rig... "
                                "(Ctrl+R)."));
    }

    // Ctrl+K with the focus outside the channels: the channel last worked on, said in the
    // status bar; before any, the status bar says how to choose one.
    void chooseSoundWithTheFocusElsewhere() {
        start(twoSynths());
        m_f->main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&m_f->main));
        auto* name = m_f->main.findChild<QLineEdit*>("edPresetName");
        name->setFocus();
        QTest::keyClick(name, Qt::Key_K, Qt::ControlModifier);
        QCOMPARE(m_f->main.statusText(),
                 QStringLiteral("Choose Sound: first Tab to a channel's values"));
        QVERIFY(m_f->interaction.modalRuns.isEmpty());
        m_f->main.channelGrid()->checkBox(3, SlotKind::Msb)->setFocus();
        name->setFocus();
        m_f->interaction.onModal = [](QDialog&) {
            return int(QDialog::Rejected);
        };
        QTest::keyClick(name, Qt::Key_K, Qt::ControlModifier);
        QCOMPARE(m_f->main.statusText(),
                 QStringLiteral("Choose Sound: channel 3, the channel last worked on"));
    }

    // Ctrl+K before the instrument files are read opens the window at once, saying so, and
    // fills it once they are.
    void choosingBeforeTheFilesAreRead() {
        std::string error;
        QVERIFY(WriteRig(m_dir->filePath("rig.json").toStdString(), twoSynths(), error));
        m_rig = std::make_unique<RigService>(std::vector{kInstruments},
                                             m_dir->filePath("rig.json").toStdString());
        m_sounds = new SoundCommand(m_f->main, *m_rig, m_f->interaction, {});
        ConnectCommands(m_f->main, *m_sounds);
        m_f->main.show();
        QStringList seen;
        m_f->interaction.onModal = [&seen](QDialog& dialog) {
            auto& form = static_cast<TChooseSoundForm&>(dialog);
            const auto line = [&form] {
                return form.soundList()->model()->index(0, 3).data().toString();
            };
            seen << form.windowTitle() << line();
            [&] {
                QTRY_COMPARE(form.shownCount(), 7);
            }();
            seen << form.windowTitle() << line();
            return int(QDialog::Rejected);
        };
        emit m_f->main.chooseSoundRequested(1);
        QCOMPARE(seen, (QStringList{"Choose Sound for Channel 1", "Reading the instrument files...",
                                    "Choose Sound for Channel 1 \u2014 Tarnwick Test Synth One",
                                    "Symphonique"}));
    }

    // The picker narrows an instrument's 2,000 sounds as a letter is typed in < 20 ms.
    void thePickerKeepsUpWithTyping() {
        NameSet big;
        big.name = "Big";
        for (int i = 0; i < 2000; ++i) {
            big.sounds.push_back({"Bank " + std::to_string(i / 128),
                                  std::uint8_t(i / 128),
                                  {},
                                  std::uint8_t(i % 128),
                                  std::to_string(i + 1),
                                  "Sound " + std::to_string(i * 7919 % 10007)});
        }
        big.index();
        TChooseSoundForm form;
        form.setSounds(1, big, QStringLiteral("Big Synth"), ChannelSlot{});
        form.show();
        QElapsedTimer slowest;
        qint64 worst = 0;
        for (const char* typed : {"1", "12", "123", "12", "1", ""}) {
            slowest.start();
            form.searchField()->setText(QString::fromLatin1(typed));
            worst = std::max(worst, slowest.elapsed());
        }
        QVERIFY2(worst < kSlowest, qPrintable(QString::number(worst)));
        QCOMPARE(form.shownCount(), 2000);
    }

    // The rig window: an instrument chosen for a channel is kept in the rig's file, and
    // the main window names that channel's sounds.
    void theRigWindow() {
        start(Rig{});
        TRigForm form(*m_rig, m_f->interaction);
        form.show();
        QComboBox* box = form.instrumentBox(5);
        QCOMPARE(QAccessible::queryAccessibleInterface(box->lineEdit())->text(QAccessible::Name),
                 QStringLiteral("Instrument on channel 5"));
        box->setCurrentIndex(box->findText("General MIDI"));
        // Its own, and the two of General MIDI: melodic sounds and drum sets.
        QCOMPARE(form.nameSetBox(5)->count(), 3);
        std::string error;
        const auto kept = ReadRig(m_dir->filePath("rig.json").toStdString(), error);
        QCOMPARE(kept->channels[4].instrument, std::string("General MIDI"));
        QVERIFY(sound(5)->isVisible());

        // "Add Instrument File...": a broken file is refused with its reason, a good one
        // copied into the user's own folder.
        qputenv("XDG_DATA_HOME", m_dir->filePath("data").toUtf8());
        const auto restore = qScopeGuard([] { qunsetenv("XDG_DATA_HOME"); });
        auto* add = form.findChild<QPushButton*>("btnAddInstrumentFile");
        m_f->interaction.fileAnswers = {
            QString::fromStdString((kInstruments / "test_broken.midnam").string())};
        add->click();
        QVERIFY(m_f->interaction.messages.last().text.startsWith(
            "test_broken.midnam cannot be used: not well-formed XML (it breaks off or its tags do "
            "not match) near byte "));
        m_f->interaction.fileAnswers = {
            QString::fromStdString((kInstruments / "test_synths.ins").string())};
        add->click();
        QVERIFY(QFile::exists(m_dir->filePath("data/tarnwick-editor/instruments/test_synths.ins")));
        QVERIFY2(form.status()->text().startsWith("Added Test MSB LSB, Test MSB Only"),
                 qPrintable(form.status()->text()));
        m_rig->waitForLoaded();
        const QString added = m_dir->filePath("data/tarnwick-editor/instruments/test_synths.ins");

        // The same name again: asked before it is replaced; "No" leaves the folder's file.
        QFile::remove(added);
        QVERIFY(QFile::copy(m_dir->filePath("rig.json"), added)); // a file of other content
        m_f->interaction.messages.clear();
        m_f->interaction.messageAnswers = {QMessageBox::No};
        m_f->interaction.fileAnswers = {
            QString::fromStdString((kInstruments / "test_synths.ins").string())};
        add->click();
        QCOMPARE(m_f->interaction.shown(),
                 QStringList{"Add Instrument File|Your instruments folder already has a file "
                             "named test_synths.ins. Replace it?"});
        QCOMPARE(QFileInfo(added).size(), QFileInfo(m_dir->filePath("rig.json")).size());
        m_f->interaction.messageAnswers = {QMessageBox::Yes};
        m_f->interaction.fileAnswers = {
            QString::fromStdString((kInstruments / "test_synths.ins").string())};
        add->click();
        QCOMPARE(
            QFileInfo(added).size(),
            QFileInfo(QString::fromStdString((kInstruments / "test_synths.ins").string())).size());
        m_rig->waitForLoaded();
        // The folder's own file chosen: said, nothing copied, no question.
        m_f->interaction.messages.clear();
        m_f->interaction.fileAnswers = {added};
        add->click();
        QVERIFY(m_f->interaction.messages.isEmpty());
        QCOMPARE(form.status()->text(),
                 QStringLiteral("test_synths.ins already is in your instruments folder."));
        m_rig->waitForLoaded();
    }

    // Half-typed text is never kept as an instrument: the row keeps what the rig had and
    // says the nearest names; a name typed in any letter case is the instrument's.
    void theRigWindowKeepsOnlyInstruments() {
        start(twoSynths());
        TRigForm form(*m_rig, m_f->interaction);
        form.show();
        const std::filesystem::path path = m_dir->filePath("rig.json").toStdString();
        QLineEdit* field = form.instrumentBox(1)->lineEdit();
        field->setText(QStringLiteral("tarnwick test syn"));
        QComboBox* three = form.instrumentBox(3);
        three->setCurrentIndex(three->findText(QStringLiteral("(none)")));
        std::string error;
        QCOMPARE(ReadRig(path, error)->channels[0].instrument,
                 std::string("Tarnwick Test Synth One"));
        QCOMPARE(ReadRig(path, error)->channels[2].instrument, std::string());
        QCOMPARE(form.rowNote(1)->text(),
                 QStringLiteral("\"tarnwick test syn\" names 2 instruments: \"Tarnwick Test Synth "
                                "One\", \"Tarnwick Test Synth One Plus\"; type more of one"));
        form.instrumentBox(2)->lineEdit()->setText(QStringLiteral("synth zz"));
        emit form.instrumentBox(2)->lineEdit()->editingFinished();
        QVERIFY2(form.rowNote(2)->text().startsWith(
                     QStringLiteral("No instrument \"synth zz\"; the nearest: \"")),
                 qPrintable(form.rowNote(2)->text()));
        QCOMPARE(QAccessible::queryAccessibleInterface(form.rowNote(1))->text(QAccessible::Name),
                 QStringLiteral("Channel 1 note"));
        form.instrumentBox(5)->lineEdit()->setText(QStringLiteral("general midi"));
        emit form.instrumentBox(5)->lineEdit()->editingFinished();
        QCOMPARE(ReadRig(path, error)->channels[4].instrument, std::string("General MIDI"));
        QCOMPARE(form.instrumentBox(5)->currentText(), QStringLiteral("General MIDI"));
        // Any spelling: the list offers the names that answer to it, and one is taken.
        QComboBox* six = form.instrumentBox(6);
        six->lineEdit()->setFocus();
        six->lineEdit()->selectAll(); // "(none)" goes as typing starts
        QTest::keyClicks(six->lineEdit(), QStringLiteral("PLUS one-synth"));
        QCOMPARE(six->completer()->completionModel()->rowCount(), 1);
        QCOMPARE(six->completer()->completionModel()->index(0, 0).data().toString(),
                 QStringLiteral("Tarnwick Test Synth One Plus"));
        emit six->lineEdit()->editingFinished();
        QCOMPARE(ReadRig(path, error)->channels[5].instrument,
                 std::string("Tarnwick Test Synth One Plus"));
        QCOMPARE(six->currentText(), QStringLiteral("Tarnwick Test Synth One Plus"));
        // Escape with the list open closes the list, not the window; a click into a field
        // selects its text.
        QComboBox* seven = form.instrumentBox(7);
        six->completer()->popup()->hide();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTest::mouseClick(seven->lineEdit(), Qt::LeftButton);
        QTRY_COMPARE(seven->lineEdit()->selectedText(), QStringLiteral("(none)"));
        QTest::keyClicks(seven->lineEdit(), QStringLiteral("synth"));
        QVERIFY(seven->completer()->popup()->isVisible());
        QTest::keyClick(seven->completer()->popup(), Qt::Key_Escape);
        QVERIFY(!seven->completer()->popup()->isVisible());
        QVERIFY(form.isVisible());
        // Ctrl+R, which showed it, hides it again, from a field too.
        QTest::keyClick(seven->lineEdit(), Qt::Key_R, Qt::ControlModifier);
        QVERIFY(!form.isVisible());
    }

    // Another program changes the rig while the editor runs (tarnwick-syx rig set): the
    // editor takes the file as it now is, and a change in the Rig window is written on top
    // of it, never over it.
    void rigChangesOfAnotherProgramAreKept() {
        start(twoSynths());
        TRigForm form(*m_rig, m_f->interaction);
        form.show();
        const std::string path = m_dir->filePath("rig.json").toStdString();
        std::string error;
        Rig theirs = *ReadRig(path, error);
        theirs.channels[3] = {"General MIDI", ""};
        QVERIFY(WriteRig(path, theirs, error));
        QTRY_COMPARE(m_rig->rig().channels[3].instrument, std::string("General MIDI"));
        QTRY_COMPARE(form.instrumentBox(4)->currentText(), QStringLiteral("General MIDI"));
        QVERIFY(sound(4)->isVisible());

        // Written by the other program after the editor last looked: kept all the same.
        theirs.channels[5] = {"Test MSB Only", ""};
        QVERIFY(WriteRig(path, theirs, error));
        QComboBox* five = form.instrumentBox(5);
        five->setCurrentIndex(five->findText(QStringLiteral("Test LSB Only")));
        const Rig kept = *ReadRig(path, error);
        QCOMPARE(kept.channels[0].instrument, std::string("Tarnwick Test Synth One"));
        QCOMPARE(kept.channels[3].instrument, std::string("General MIDI"));
        QCOMPARE(kept.channels[4].instrument, std::string("Test LSB Only"));
        QCOMPARE(kept.channels[5].instrument, std::string("Test MSB Only"));
    }

    // A rig file of the wrong types does not stop the editor: it starts without names, the
    // Rig window says what is wrong, and a change there leaves the file as it was.
    void aDamagedRigIsLeftAsItIs() {
        const QByteArray damaged = R"({"format": 1, "version": 1, "channels": {}})";
        const QString path = m_dir->filePath("rig.json");
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(damaged);
        }
        startWithRigFile();
        QVERIFY(!sound(1) || !sound(1)->isVisible());
        TRigForm form(*m_rig, m_f->interaction);
        form.show();
        QVERIFY2(form.status()->text().contains(" is not a rig file (JSON with \"format\": "
                                                "\"tarnwick-rig\"). It is left as it is"),
                 qPrintable(form.status()->text()));
        QComboBox* box = form.instrumentBox(5);
        box->setCurrentIndex(box->findText("General MIDI"));
        QVERIFY2(form.status()->text().contains("The rig was not kept: the rig's file is damaged"),
                 qPrintable(form.status()->text()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), damaged);
    }

    // The Library names the results' sounds and finds presets by a sound's name; without a
    // rig it has no Sound filter.
    void theLibraryFindsBySound() {
        start(twoSynths());
        LibraryRecorder recorder(m_dir->filePath("library.sqlite").toStdString());
        PresetBank bank;
        SetPresetName(bank[PresetIndex::fromOneBase(4)], "Strings");
        bank[PresetIndex::fromOneBase(4)].channel(1) = ChannelSlot{{80, 0, 0}};
        SetPresetName(bank[PresetIndex::fromOneBase(5)], "Pads");
        bank[PresetIndex::fromOneBase(5)].channel(1) = ChannelSlot{{81, kSlotDisabled, 0}};
        bank[PresetIndex::fromOneBase(5)].channel(2) = ChannelSlot{{80, 0, 0}}; // no instrument
        recorder.record(bank, m_dir->filePath("Gig.syx"), "saved");
        recorder.waitForDone();
        QCoreApplication::sendPostedEvents(&recorder);
        TLibraryForm library(m_f->main, recorder, m_f->interaction);
        library.show();
        QVERIFY(!library.soundFilter()->isVisible());
        library.setNamer(m_rig->soundNamer());
        QVERIFY(library.soundFilter()->isVisible());
        QTest::keyClicks(library.soundFilter(), "SYMPH");
        library.waitForReads();
        QCOMPARE(library.results()->topLevelItemCount(), 1);
        QCOMPARE(library.results()->topLevelItem(0)->text(1),
                 QStringLiteral("1: 80/0/1 Symphonique"));
        library.soundFilter()->setText("pad");
        library.waitForReads();
        QCOMPARE(library.results()->topLevelItem(0)->text(0).trimmed(), QStringLiteral("Pads"));
        // With a channel given, the sound is the one that channel plays.
        auto* onChannel = library.findChild<QSpinBox*>("spinLibraryChannel");
        onChannel->setValue(2);
        library.waitForReads();
        QCOMPARE(library.results()->topLevelItemCount(), 0);
        onChannel->setValue(1);
        library.waitForReads();
        QCOMPARE(library.results()->topLevelItemCount(), 1);
        onChannel->setValue(0);
        library.waitForReads();

        // Every channel of every match is named on the reading thread, never on the
        // window's, which would wait for thousands of them a keystroke.
        int namedOnTheWindowsThread = 0;
        int named = 0;
        const SoundNamer rigNames = m_rig->soundNamer();
        library.setNamer([&](int channel, const ChannelSlot& slot) {
            ++(QThread::currentThread() == qApp->thread() ? namedOnTheWindowsThread : named);
            return rigNames(channel, slot);
        });
        library.soundFilter()->setText("symph");
        library.waitForReads();
        QCOMPARE(library.results()->topLevelItemCount(), 1);
        QVERIFY(named > 0);
        QCOMPARE(namedOnTheWindowsThread, 0);
    }

    // The organizer's Channels column names the sounds after the values.
    void theOrganizerNamesSounds() {
        start(twoSynths());
        m_f->main.bank()[PresetIndex::fromOneBase(4)].channel(1) = ChannelSlot{{80, 0, 0}};
        TBankOrganizerForm organizer(m_f->main, m_f->interaction);
        organizer.setNamer(m_rig->namer());
        organizer.show();
        QCOMPARE(organizer.table()->model()->index(3, 2).data().toString(),
                 QStringLiteral("1: 80/0/1 Symphonique"));
    }
};

QTEST_MAIN(SoundsTest)
#include "test_sounds.moc"
