// The application shell: start-up order and state, the standard error box, the About
// box and the user manual command.
#include "about_form.h"
#include "audition_player.h"
#include "commands/interface_form.h"
#include "commands/progress_form.h"
#include "counting_cycle_lock.h"
#include "drop_files.h"
#include "fake_clock.h"
#include "fake_desktop.h"
#include "fake_midi_backend.h"
#include "fake_midi_inputs.h"
#include "learn/midi_port_form.h"
#include "learn_input.h"
#include "library/library_form.h"
#include "library/library_recorder.h"
#include "main_window/main_form.h"
#include "main_window/midi_events_form.h"
#include "main_window/preset_list_form.h"
#include "main_window/preset_number_dialog.h"
#include "manual_command.h"
#include "platform/version.h"
#include "port_layer.h"
#include "preset/preset_message.h"
#include "preset/syx_file.h"
#include "scripted_interaction.h"
#include "startup.h"
#include "support/error_box.h"
#include "support/project_icon.h"
#include "support/qt_user_interaction.h"
#include "tarnwick_application.h"

#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QStyleFactory>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <QtTest>
#include <algorithm>

#include <functional>
#include <memory>
#include <stdexcept>

using namespace tarnwick;
using testing::FakeClock;
using testing::FakeDesktop;
using testing::ScriptedInteraction;

namespace {

// An object whose event handler fails, as a user action can.
class FailingHandler final : public QObject {
public:
    QString error;
    int handled = 0;
    bool event(QEvent* event) override {
        if (event->type() == QEvent::User) {
            ++handled;
            if (!error.isNull()) {
                throw std::runtime_error(error.toStdString());
            }
            return true;
        }
        return QObject::event(event);
    }
};

// The application's windows on fakes, with the user manual looked for in `executableDir`.
struct Shell {
    explicit Shell(const QString& executableDir)
        : ports(midi, clock, cycleLock), audition(midi, clock), listener(inputs),
          windows({interaction, desktop, clock, ports, audition, listener, executableDir}) {}
    ScriptedInteraction interaction;
    FakeDesktop desktop;
    FakeClock clock;
    testing::FakeMidiBackend midi;
    testing::CountingCycleLock cycleLock;
    MidiPortLayer ports;
    AuditionPlayer audition;
    testing::FakeMidiInputs inputs;
    MidiListener listener;
    AppWindows windows;
};

// The widget drawn with `style`, at its size.
QImage DrawnWith(QStyle* style, QWidget& widget) {
    widget.setStyle(style);
    for (QWidget* child : widget.findChildren<QWidget*>()) {
        child->setStyle(style);
    }
    return widget.grab().toImage();
}

} // namespace

class ShellTest : public QObject {
    Q_OBJECT
private slots:
    void startUpCreatesEveryWindowOnceInOrder() {
        Shell shell(QDir::tempPath());
        ScriptedInteraction& interaction = shell.interaction;
        AppWindows& windows = shell.windows;
        QCOMPARE(windows.creationOrder(),
                 QStringList({"TMainForm", "TSaveForm", "TLoadForm", "TMidiEventsForm",
                              "TAboutForm", "TPresetListForm", "TInterfaceForm", "TfrmProgress",
                              "TAuditionOutputForm"}));
        // The MIDI data window's controls cost the start nothing: they come with its first
        // showing.
        QVERIFY(!windows.midiEventsForm()->grid());
        QVERIFY(windows.midiEventsForm()->findChildren<QWidget*>().isEmpty());
        windows.mainForm()->show();
        QVERIFY(QTest::qWaitForWindowExposed(windows.mainForm()));
        QCOMPARE(windows.mainForm()->windowTitle(), QStringLiteral("Tarnwick Editor"));
        QCOMPARE(windows.mainForm()->findChild<QLineEdit*>("edPresetName")->text(),
                 QStringLiteral("New Name 1"));
        QCOMPARE(windows.mainForm()->bank().currentPresetIndex().oneBased(), 1);
        QVERIFY(!windows.mainForm()->presetEdited());
#ifdef Q_OS_LINUX
        // Drawn whole, the window has loaded no image plug-in and no SVG library: Qt asks
        // every plug-in about a picture whose format it is not told.
        windows.mainForm()->grab();
        QFile maps(QStringLiteral("/proc/self/maps"));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        const QByteArray loaded = maps.readAll();
        QVERIFY2(!loaded.contains("/imageformats/"), "an image plug-in was loaded");
        QVERIFY2(!loaded.contains("libQt6Svg"), "the SVG library was loaded");
#endif
        const QList<QWidget*> others{windows.saveForm(),       windows.loadForm(),
                                     windows.midiEventsForm(), windows.aboutForm(),
                                     windows.presetListForm(), windows.interfaceForm(),
                                     windows.frmProgress(),    windows.auditionOutputForm()};
        for (QWidget* window : others) {
            QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
        }
        QCOMPARE(windows.presetListForm()->windowTitle(), QStringLiteral("Preset List"));
        QCOMPARE(windows.saveForm()->windowTitle(), QStringLiteral("Save To Which Preset?"));
        QCOMPARE(windows.loadForm()->windowTitle(), QStringLiteral("Load into which Preset?"));
        QCOMPARE(windows.midiEventsForm()->windowTitle(), QStringLiteral("Edit MIDI Data"));
        QCOMPARE(windows.interfaceForm()->windowTitle(), QStringLiteral("Choose MIDI Interface"));
        QVERIFY(interaction.messages.isEmpty());
    }

    // A library that cannot record (here a file that is no database) is said once at the
    // status bar's end, its reason in the tip and to a screen reader; saving goes on and
    // works, and the Library window, opened later, says the library's problem too.
    void aFailedRecordingIsSaidOnce() {
        QTemporaryDir dir;
        const QString library = dir.filePath("library.sqlite");
        QFile junk(library);
        QVERIFY(junk.open(QIODevice::WriteOnly) && junk.write(QByteArray(4096, 'x')) == 4096);
        junk.close();
        qputenv("TARNWICK_LIBRARY", library.toUtf8());
        Shell shell(QDir::tempPath());
        qputenv("TARNWICK_LIBRARY", "off");
        TMainForm* main = shell.windows.mainForm();
        main->show();
        QVERIFY(main->statusBar()->findChildren<QLabel*>("lblLibraryProblem").isEmpty());
        for (const QString name : {"first.syx", "second.syx"}) {
            shell.interaction.fileAnswers = {dir.filePath(name)};
            emit main->saveAllRequested();
            QVERIFY(QFile::exists(dir.filePath(name)));
            shell.windows.libraryRecorder().waitForDone();
            QCoreApplication::sendPostedEvents(&shell.windows.libraryRecorder());
        }
        const auto marks = main->statusBar()->findChildren<QLabel*>("lblLibraryProblem");
        QCOMPARE(marks.size(), 1);
        QVERIFY(marks[0]->isVisible());
        QCOMPARE(marks[0]->text(), QStringLiteral("Not recorded in the library"));
        const QString said =
            QAccessible::queryAccessibleInterface(marks[0])->text(QAccessible::Description);
        QVERIFY2(said.startsWith("Not recorded: The library " + library + " "), qPrintable(said));
        QCOMPARE(marks[0]->toolTip(), said);
        emit main->libraryRequested();
        auto* libraryForm = main->findChild<TLibraryForm*>();
        QVERIFY(libraryForm && libraryForm->isVisible());
        libraryForm->waitForReads();
        QVERIFY2(libraryForm->status()->text().contains(said.mid(said.indexOf(":") + 2)),
                 qPrintable(libraryForm->status()->text()));
    }

    // Every shortcut on a real window runs what its menu item or button runs, with the
    // same storing of pending edits, and types nothing into the field that has the focus.
    void shortcutsRunTheirCommands_data() {
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<QString>("seen"); // what the command did, as observe() tells it
        QTest::addColumn<bool>("stored");  // the pending name edit went into the bank
        const auto row = [](const char* tag, QKeySequence keys, const char* seen, bool stored) {
            QTest::newRow(tag) << keys << QString::fromLatin1(seen) << stored;
        };
        row("Ctrl+N New", QKeySequence(Qt::CTRL | Qt::Key_N), "preset 1 New Name 1", false);
        row("Ctrl+O Open One", QKeySequence(Qt::CTRL | Qt::Key_O), "open Open Single Preset",
            false);
        row("Ctrl+Shift+O Open All", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O),
            "open Open 100 Presets", false);
        row("Ctrl+S Save One", QKeySequence(Qt::CTRL | Qt::Key_S), "modal SaveForm", true);
        row("Ctrl+Shift+S Save All", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S),
            "save Save ALL As", true);
        row("Ctrl+D Download Current", QKeySequence(Qt::CTRL | Qt::Key_D),
            "box Download Halted!|No MIDI interface selected.", true);
        row("Ctrl+Shift+D Download All", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D),
            "box Download Halted!|No MIDI interface selected.", true);
        row("Ctrl+M Direct MIDI", QKeySequence(Qt::CTRL | Qt::Key_M), "modal InterfaceForm", false);
        row("Ctrl+L preset list", QKeySequence(Qt::CTRL | Qt::Key_L), "list shown", false);
        row("Ctrl+E Edit MIDI Data", QKeySequence(Qt::CTRL | Qt::Key_E), "modal MidiEventsForm",
            true);
        row("F1 manual", QKeySequence(Qt::Key_F1),
            "box Help|ERROR: Could not find the file \"Tarnwick.pdf\".", false);
        row("PageDown next preset", QKeySequence(Qt::Key_PageDown), "preset 2 New Name 2", true);
        row("Ctrl+Q Exit", QKeySequence(Qt::CTRL | Qt::Key_Q), "closed", false);
    }
    void shortcutsRunTheirCommands() {
        QFETCH(QKeySequence, keys);
        QFETCH(QString, seen);
        QFETCH(bool, stored);
        QTemporaryDir noManual;
        Shell shell(noManual.path());
        TMainForm* main = shell.windows.mainForm();
        main->show();
        QVERIFY(QTest::qWaitForWindowActive(main));
        auto* name = main->findChild<QLineEdit*>("edPresetName");
        name->setFocus();
        name->selectAll();
        QTest::keyClicks(name, "Edited");
        QVERIFY(main->presetEdited());
        auto* number = main->findChild<QLineEdit*>("edPreset");
        number->setFocus();
        QTest::keySequence(QApplication::focusWidget(), keys);
        const auto observe = [&]() -> QString {
            const ScriptedInteraction& user = shell.interaction;
            if (!main->isVisible()) {
                return "closed";
            }
            if (!user.messages.isEmpty()) {
                return "box " + user.shown().constLast();
            }
            if (!user.modalRuns.isEmpty()) {
                return "modal " + user.modalRuns.constLast();
            }
            if (!user.openRequests.isEmpty()) {
                return "open " + user.openRequests.constLast().title;
            }
            if (!user.saveRequests.isEmpty()) {
                return "save " + user.saveRequests.constLast().title;
            }
            if (shell.windows.presetListForm()->isVisible()) {
                return "list shown";
            }
            return QStringLiteral("preset %1 %2")
                .arg(main->bank().currentPresetIndex().oneBased())
                .arg(name->text().trimmed());
        };
        QCOMPARE(observe(), seen);
        QCOMPARE(PresetName(main->bank()[PresetIndex::fromOneBase(1)]).substr(0, 6) == "Edited",
                 stored);
        QVERIFY(number->text() == "1" || number->text() == "2");
    }

    // Alt and a menu's first letter opens it; the arrows and Enter choose an item.
    void altLetterOpensEachMenu_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("firstItem");
        QTest::newRow("Alt+M") << int(Qt::Key_M) << "MidiMenu"
                               << "Choose a MIDI file/interface option";
        QTest::newRow("Alt+O") << int(Qt::Key_O) << "OpenMenu"
                               << "Open One";
        QTest::newRow("Alt+S") << int(Qt::Key_S) << "SaveMenu"
                               << "Save One";
        QTest::newRow("Alt+D") << int(Qt::Key_D) << "DownloadMenu"
                               << "Download Current";
        QTest::newRow("Alt+H") << int(Qt::Key_H) << "HelpMenu"
                               << "About";
    }
    void altLetterOpensEachMenu() {
        QFETCH(int, key);
        QFETCH(QString, menu);
        QFETCH(QString, firstItem);
        Shell shell(QDir::tempPath());
        TMainForm* main = shell.windows.mainForm();
        main->show();
        QVERIFY(QTest::qWaitForWindowActive(main));
        QString opened;
        QString chosen;
        // The menu runs until an item is chosen: look at it and choose from inside.
        QTimer::singleShot(0, main, [&] {
            auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!popup) {
                return;
            }
            opened = popup->objectName();
            QTest::keyClick(popup, Qt::Key_Down);
            chosen = popup->activeAction() ? popup->activeAction()->text() : QString();
            QTest::keyClick(popup, Qt::Key_Escape);
        });
        QTest::keyClick(main->findChild<QLineEdit*>("edPreset"), Qt::Key(key), Qt::AltModifier);
        QCOMPARE(opened, menu);
        QCOMPARE(chosen.section(u'\t', 0, 0), firstItem);
        QCOMPARE(main->findChild<QLineEdit*>("edPreset")->text(), QStringLiteral("1"));
    }

    // Every kind of bank change is one step; undo and redo give back the bank byte for
    // byte, as Save All would write it, across more than 100 steps.
    void undoAndRedoEveryKindOfChange() {
        QTemporaryDir dir;
        Shell shell(dir.path());
        ScriptedInteraction& user = shell.interaction;
        TMainForm* main = shell.windows.mainForm();
        main->show();
        QVERIFY(QTest::qWaitForWindowActive(main));
        auto* name = main->findChild<QLineEdit*>("edPresetName");
        auto* number = main->findChild<QLineEdit*>("edPreset");
        const auto bankBytes = [main] {
            QByteArray bytes;
            for (int n = 1; n <= 100; ++n) {
                const auto index = PresetIndex::fromOneBase(n);
                const PresetMessage m = EncodePresetMessage(main->bank()[index], index);
                bytes.append(reinterpret_cast<const char*>(m.data()), qsizetype(m.size()));
            }
            return bytes;
        };
        QList<QByteArray> states{bankBytes()};
        QList<int> shownAfterUndo; // the preset each step changed; 1 for bank-wide ones
        const auto step = [&](int changed) {
            QVERIFY(bankBytes() != states.constLast());
            states << bankBytes();
            shownAfterUndo << changed;
        };
        const auto press = [](QKeySequence keys) {
            QTest::keySequence(QApplication::focusWidget(), keys);
        };
        const auto rename = [&](const QString& text) {
            name->setFocus();
            name->selectAll();
            QTest::keyClicks(name, text);
        };
        const auto write = [&](const QString& file, const QByteArray& bytes) {
            QFile out(dir.filePath(file));
            if (out.open(QIODevice::WriteOnly)) {
                out.write(bytes);
            }
            return dir.filePath(file);
        };
        QByteArray otherBank;
        for (int n = 1; n <= 100; ++n) {
            PresetRecord r = NewBankPreset(PresetIndex::fromOneBase(n));
            SetPresetName(r, "Other " + std::to_string(n));
            const PresetMessage m = EncodePresetMessage(r, PresetIndex::fromOneBase(n));
            otherBank.append(reinterpret_cast<const char*>(m.data()), qsizetype(m.size()));
        }
        user.onModal = [](QDialog& dialog) {
            if (dialog.objectName() == "LoadForm") {
                static_cast<PresetNumberDialog&>(dialog).setPresetNumber(7);
            } else if (dialog.objectName() == "MidiEventsForm") {
                static_cast<TMidiEventsForm&>(dialog).buffer().insert({0xFA});
            }
            return int(QDialog::Accepted);
        };

        rename("Edited one"); // stored when leaving the preset
        press(QKeySequence(Qt::Key_PageDown));
        step(1);
        press(QKeySequence(Qt::CTRL | Qt::Key_N));
        step(1);
        user.fileAnswers = {write("other.syx", otherBank)};
        press(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
        step(1);
        user.fileAnswers = {write("one.syx", otherBank.mid(153 * 40, 153))};
        press(QKeySequence(Qt::CTRL | Qt::Key_O));
        step(7);
        QVERIFY(testing::DropFiles(*main, {write("dropped.syx", states.first())}));
        step(1);
        rename("Before saving"); // stored by Save All
        user.fileAnswers = {dir.filePath("saved.syx")};
        press(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
        step(1);
        // Each OK of the MIDI data window is a step of its own, apart from a rename of the
        // next preset.
        press(QKeySequence(Qt::CTRL | Qt::Key_E));
        step(1);
        press(QKeySequence(Qt::Key_PageDown));
        rename("With data");
        press(QKeySequence(Qt::Key_PageDown));
        step(2);
        for (int n = 3; n <= 97; ++n) {
            rename(QStringLiteral("Step %1").arg(n));
            press(QKeySequence(Qt::Key_PageDown));
            step(n);
        }
        QVERIFY(states.size() > 100);

        for (qsizetype i = states.size() - 1; i > 0; --i) {
            number->setFocus(); // the field's own undo gives way
            press(QKeySequence::Undo);
            QCOMPARE(bankBytes(), states[i - 1]);
            QCOMPARE(main->bank().currentPresetIndex().oneBased(), shownAfterUndo[i - 1]);
        }
        press(QKeySequence::Undo); // nothing more to undo
        QCOMPARE(bankBytes(), states.first());
        for (qsizetype i = 1; i < states.size(); ++i) {
            press(i % 2 ? QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)
                        : QKeySequence(Qt::CTRL | Qt::Key_Y));
            QCOMPARE(bankBytes(), states[i]);
        }
        QVERIFY(user.messages.isEmpty());
    }

    // What a screen reader reads: every input control of every window has a name of its own
    // or a label that names it, read back through Qt's accessibility interface.
    void everyInputControlIsNamed() {
        Shell shell(QDir::tempPath());
        AppWindows& windows = shell.windows;
        const QList<QWidget*> all{windows.mainForm(),      windows.saveForm(),
                                  windows.loadForm(),      windows.midiEventsForm(),
                                  windows.aboutForm(),     windows.presetListForm(),
                                  windows.interfaceForm(), windows.frmProgress()};
        const QList<QAccessible::Role> inputs{
            QAccessible::EditableText, QAccessible::SpinBox,     QAccessible::ComboBox,
            QAccessible::CheckBox,     QAccessible::RadioButton, QAccessible::Slider,
            QAccessible::List,         QAccessible::Table,       QAccessible::PushButton,
            QAccessible::ButtonMenu,   QAccessible::ProgressBar};
        for (QWidget* window : all) {
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window));
            QStringList names;
            std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* node) {
                if (!node || node->state().invisible) {
                    return;
                }
                if (inputs.contains(node->role())) {
                    const QString name = node->text(QAccessible::Name).trimmed();
                    QString labelled;
                    for (const auto& [other, relation] : node->relations(QAccessible::Label)) {
                        labelled += other->text(QAccessible::Name);
                    }
                    const QString said = name + (labelled.isEmpty() ? "" : " / " + labelled);
                    const QString where =
                        window->objectName() + ": " + node->object()->objectName() + " ";
                    QVERIFY2(!name.isEmpty() || !labelled.isEmpty(), qPrintable(where + "unnamed"));
                    QVERIFY2(!names.contains(said), qPrintable(where + "repeats \"" + said + "\""));
                    names << said;
                }
                for (int i = 0; i < node->childCount(); ++i) {
                    walk(node->child(i));
                }
            };
            walk(QAccessible::queryAccessibleInterface(window));
            window->hide();
        }
        // The value fields of the MIDI data window say what they show, for every kind.
        const auto* midi = windows.midiEventsForm();
        const auto nameOf = [midi](const char* field) {
            return QAccessible::queryAccessibleInterface(midi->findChild<QWidget*>(field))
                ->text(QAccessible::Name);
        };
        QCOMPARE(nameOf("edMidiChannel"), QStringLiteral("MIDI Channel"));
        QCOMPARE(nameOf("edMidiParam1"), QStringLiteral("Key (Note #)"));
        QCOMPARE(nameOf("edMidiParam2"), QStringLiteral("Velocity"));
        QTest::mouseClick(midi->findChild<QRadioButton*>("rbControlChange"), Qt::LeftButton, {},
                          QPoint(8, 9));
        QCOMPARE(nameOf("edMidiParam1"), QStringLiteral("Controller"));
        QCOMPARE(nameOf("edMidiParam2"), QStringLiteral("Value"));
        // The placement choice is read by its current item on Linux, and labelled.
        QAccessibleInterface* placement = QAccessible::queryAccessibleInterface(
            windows.mainForm()->findChild<QWidget*>("cboxPrePost"));
        QStringList labels;
        for (const auto& [label, relation] : placement->relations(QAccessible::Label)) {
            labels << label->text(QAccessible::Name);
        }
        QVERIFY2(labels.contains("MIDI data placement"), qPrintable(labels.join('|')));
    }

    void standardErrorText_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("plain") << "Out of memory"
                               << "Out of memory.";
        QTest::newRow("full stop already") << "Disk full."
                                           << "Disk full.";
        QTest::newRow("exclamation mark") << "Stop!"
                                          << "Stop!";
        QTest::newRow("trailing blank") << "Odd "
                                        << "Odd ";
        QTest::newRow("comma is below the stop") << "a,"
                                                 << "a,";
        QTest::newRow("hyphen is below the stop") << "a-"
                                                  << "a-";
        QTest::newRow("slash is above the stop") << "a/b/"
                                                 << "a/b/.";
        QTest::newRow("quote") << "'x' is not a valid integer value"
                               << "'x' is not a valid integer value.";
        QTest::newRow("closing quote is below the stop") << "name \"x\""
                                                         << "name \"x\"";
        QTest::newRow("empty") << ""
                               << "";
    }
    void standardErrorText() {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(StandardErrorText(message), shown);
    }

    void errorInAHandlerIsShownAndTheProgramCarriesOn() {
        auto* app = qobject_cast<TarnwickApplication*>(QCoreApplication::instance());
        QVERIFY(app);
        ScriptedInteraction interaction;
        app->setInteraction(&interaction);
        FailingHandler handler;
        handler.error = QStringLiteral("Value out of range");
        QEvent failing(QEvent::User);
        QCoreApplication::sendEvent(&handler, &failing);
        QCOMPARE(interaction.messages.size(), 1);
        QCOMPARE(interaction.messages[0].title, QStringLiteral("Tarnwick Editor"));
        QCOMPARE(interaction.messages[0].text, QStringLiteral("Value out of range."));
        QCOMPARE(interaction.messages[0].icon, QMessageBox::Critical);
        QCOMPARE(interaction.messages[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));

        // The next event is handled as usual, posted ones included.
        handler.error = QString();
        QCoreApplication::postEvent(&handler, new QEvent(QEvent::User));
        QCoreApplication::processEvents();
        QCOMPARE(handler.handled, 2);
        QCOMPARE(interaction.messages.size(), 1);
        app->setInteraction(nullptr);
    }

    void userManual_data() {
        QTest::addColumn<QString>("pdf"); // where the manual lies, relative to a folder
        QTest::addColumn<bool>("viewer");
        QTest::addColumn<QString>("opened");
        QTest::addColumn<QString>("message");
        QTest::newRow("beside the executable")
            << "bin/Tarnwick.pdf" << true << "bin/Tarnwick.pdf" << QString();
        QTest::newRow("where a package keeps documents")
            << "share/doc/tarnwick-editor/Tarnwick.pdf" << true
            << "share/doc/tarnwick-editor/Tarnwick.pdf" << QString();
        QTest::newRow("missing file")
            << QString() << true << QString() << "ERROR: Could not find the file \"Tarnwick.pdf\".";
        QTest::newRow("no program can open it") << "bin/Tarnwick.pdf" << false << "bin/Tarnwick.pdf"
                                                << "ERROR: No program could open \"Tarnwick.pdf\".";
    }
    void userManual() {
        QFETCH(QString, pdf);
        QFETCH(bool, viewer);
        QFETCH(QString, opened);
        QFETCH(QString, message);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("bin"));
        if (!pdf.isEmpty()) {
            QVERIFY(QDir(dir.path()).mkpath(QFileInfo(pdf).path()));
            QFile file(dir.filePath(pdf));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        Shell shell(dir.filePath("bin"));
        shell.desktop.accepts = viewer;
        shell.windows.mainForm()->findChild<QAction*>("PDFManual1")->trigger();
        QCOMPARE(shell.desktop.opened,
                 opened.isEmpty() ? QStringList() : QStringList{dir.filePath(opened)});
        QCOMPARE(shell.interaction.shown(),
                 message.isEmpty() ? QStringList() : QStringList{"Help|" + message});
        if (!message.isEmpty()) {
            QCOMPARE(shell.interaction.messages[0].icon, QMessageBox::NoIcon);
        }
        QCOMPARE(shell.windows.mainForm()->bank().currentPresetIndex().oneBased(), 1);
    }

    // A file named on the command line, as a file manager or Windows' Explorer passes a
    // .syx: a bank opens as a dropped one does, whatever its name; a name that is no file
    // is said.
    void aFileOnTheCommandLine_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("made");
        QTest::newRow("a bank") << "Live Set.syx" << true;
        QTest::newRow("a name in any language") << "Größe Ω.syx" << true;
        QTest::newRow("no such file") << "Gone.syx" << false;
    }
    void aFileOnTheCommandLine() {
        QFETCH(QString, name);
        QFETCH(bool, made);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        if (made) {
            std::vector<PresetMessage> messages;
            for (int n = 1; n <= kPresetCount; ++n) {
                PresetRecord record = NewBankPreset(PresetIndex::fromOneBase(n));
                SetPresetName(record, "Opened " + std::to_string(n));
                messages.push_back(EncodePresetMessage(record, PresetIndex::fromOneBase(n)));
            }
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray::fromStdString(SyxBytes(messages)));
        }
        Shell shell(QDir::tempPath());
        shell.windows.mainForm()->show();
        shell.windows.openArgument(path);
        if (made) {
            QVERIFY(shell.interaction.messages.isEmpty());
            const PresetRecord& last =
                shell.windows.mainForm()->bank()[PresetIndex::fromOneBase(100)];
            QCOMPARE(QString::fromStdString(PresetName(last)).trimmed(),
                     QStringLiteral("Opened 100"));
            QCOMPARE(
                shell.windows.mainForm()->findChild<QLineEdit*>("edPresetName")->text().trimmed(),
                QStringLiteral("Opened 1"));
        } else {
            QCOMPARE(shell.interaction.shown(),
                     QStringList{"Tarnwick Editor|" + QDir::toNativeSeparators(path) +
                                 " was not opened: there is no such file."});
            QCOMPARE(QString::fromStdString(PresetName(shell.windows.mainForm()->bank().current())),
                     QStringLiteral("New Name 1"));
        }
    }

    // What the editor plays to a synth comes back from a synth with MIDI thru: Learn does
    // not take that echo for the player's choice, and takes what the synth sends itself.
    void learnTakesNoEchoOfWhatTheEditorPlays() {
        Shell shell(QDir::tempPath());
        shell.midi.outputs.push_back(std::string("Synth A:in"));
        TMainForm* main = shell.windows.mainForm();
        main->show();
        shell.interaction.onModal = testing::ChoosingLearnInput("Synth A:out");
        main->findChild<QAction*>("mnuLearn")->trigger();
        QVERIFY(main->findChild<QAction*>("mnuLearn")->isChecked());
        const PresetRecord before = main->bank().current();
        QVERIFY(shell.audition.play("Synth A:in", {{0xC0, 9}}));
        shell.inputs.send({{0xC0, 9}});
        QTest::qWait(100); // ten times the time Learn takes to look
        QCOMPARE(main->bank().current(), before);
        shell.inputs.send({{0xC0, 10}});
        QTRY_COMPARE(main->bank().current().channel(1)[SlotKind::Program], std::uint8_t(10));
    }

    // The editor's style draws as the platform's own: the pictures it reads its own way
    // (the group box frame, the tool bar's extension arrow) come out the same.
    void drawnAsThePlatformStyleDraws_data() {
        QTest::addColumn<std::function<QWidget*()>>("make");
        const auto box = [](const QString& title, bool checkable) {
            return [=]() -> QWidget* {
                auto* group = new QGroupBox(title);
                group->setCheckable(checkable);
                group->setLayout(new QVBoxLayout);
                group->layout()->addWidget(new QLabel(QStringLiteral("Inside")));
                group->resize(160, 90);
                return group;
            };
        };
        QTest::newRow("titled group box") << std::function(box(QStringLiteral("Channel 1"), false));
        QTest::newRow("untitled group box") << std::function(box(QString(), false));
        QTest::newRow("checkable group box") << std::function(box(QStringLiteral("Send"), true));
        QTest::newRow("tool bar too narrow for its buttons") << std::function([]() -> QWidget* {
            auto* bar = new QToolBar;
            for (const char* name : {"new", "open", "save", "download", "upgrade", "midi"}) {
                bar->addAction(ProjectIcon(name), QString::fromLatin1(name));
            }
            bar->resize(90, 32);
            return bar;
        });
    }
    void drawnAsThePlatformStyleDraws() {
        QFETCH(std::function<QWidget*()>, make);
        auto* ours = qobject_cast<QProxyStyle*>(QApplication::style());
        QVERIFY(ours);
        std::unique_ptr<QStyle> platform(QStyleFactory::create(ours->baseStyle()->name()));
        QVERIFY(platform);
        const std::unique_ptr<QWidget> plain(make());
        const std::unique_ptr<QWidget> styled(make());
        plain->setPalette(QApplication::palette());
        const QImage expected = DrawnWith(platform.get(), *plain);
        const QImage drawn = styled->grab().toImage();
        QCOMPARE(drawn.size(), expected.size());
        QVERIFY(drawn == expected);
        // Something was drawn: not a blank.
        QVERIFY(drawn.pixel(drawn.width() / 2, drawn.height() - 3) != drawn.pixel(0, 0) ||
                drawn.pixel(drawn.width() - 4, drawn.height() / 2) != drawn.pixel(0, 0));
    }

    // The project's icons, read as they are drawn, give the pixels Qt's own icon of the
    // same pictures gives, at their sizes, between them, and greyed.
    void projectIconsAsQtDrawsThePictures_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<int>("side");
        QTest::addColumn<QIcon::Mode>("mode");
        QTest::newRow("tool bar, 16") << QByteArray("download") << 16 << QIcon::Normal;
        QTest::newRow("tool bar, greyed") << QByteArray("upgrade") << 16 << QIcon::Disabled;
        QTest::newRow("between sizes") << QByteArray("midi") << 20 << QIcon::Normal;
        QTest::newRow("twice the size") << QByteArray("save") << 32 << QIcon::Normal;
        QTest::newRow("About box") << QByteArray("tarnwick-editor") << 112 << QIcon::Normal;
        QTest::newRow("past the largest") << QByteArray("help") << 300 << QIcon::Normal;
    }
    void projectIconsAsQtDrawsThePictures() {
        QFETCH(QByteArray, name);
        QFETCH(int, side);
        QFETCH(QIcon::Mode, mode);
        QIcon qts;
        for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
            qts.addFile(QStringLiteral(":/icons/%1-%2.png").arg(QLatin1String(name)).arg(size),
                        QSize(size, size));
        }
        const QIcon ours = ProjectIcon(name.constData());
        QCOMPARE(ours.availableSizes(), qts.availableSizes());
        QCOMPARE(ours.actualSize(QSize(side, side), mode), qts.actualSize(QSize(side, side), mode));
        const QImage expected = qts.pixmap(QSize(side, side), mode).toImage();
        const QImage drawn = ours.pixmap(QSize(side, side), mode).toImage();
        QVERIFY(!drawn.isNull());
        QCOMPARE(drawn.size(), expected.size());
        QVERIFY(drawn.convertToFormat(QImage::Format_ARGB32) ==
                expected.convertToFormat(QImage::Format_ARGB32));
    }

    void aboutBoxShowsTheVersionAndClosesWithOk() {
        Shell shell(QDir::tempPath());
        ScriptedInteraction& interaction = shell.interaction;
        AppWindows& windows = shell.windows;
        TAboutForm* about = windows.aboutForm();
        interaction.onModal = [](QDialog& dialog) {
            dialog.show();
            QTest::mouseClick(dialog.findChild<QPushButton*>("OK"), Qt::LeftButton);
            return dialog.result();
        };
        windows.mainForm()->findChild<QAction*>("About1")->trigger();
        QCOMPARE(interaction.modalRuns, QStringList{QStringLiteral("AboutForm")});
        QVERIFY(!about->isVisible());
        QCOMPARE(about->result(), int(QDialog::Accepted));

        QCOMPARE(about->size(), QSize(407, 179));
        QVERIFY(about->windowFlags() & Qt::FramelessWindowHint);
        auto* label1 = about->findChild<QLabel*>("Label1");
        QCOMPARE(label1->text(), QStringLiteral("Tarnwick"));
        QVERIFY(label1->font().bold());
        QCOMPARE(label1->font().pixelSize(), 13);
#ifndef _WIN32 // under wine, the fonts drawn are wine's own, not Windows'
        const QFontInfo drawn(label1->font());
        QVERIFY(drawn.bold());
        QCOMPARE(drawn.pixelSize(), 13);
        // Arial, or a face with its metrics where Arial is missing.
        const QStringList installed = QFontDatabase::families();
        if (installed.contains("Arial") || installed.contains("Liberation Sans")) {
            QVERIFY2(drawn.family() == "Arial" || drawn.family() == "Liberation Sans",
                     qPrintable(drawn.family()));
        }
#endif
        QCOMPARE(about->findChild<QLabel*>("Label2")->text(), QStringLiteral("Editor/Librarian"));
        QCOMPARE(about->findChild<QLabel*>("Label3")->text(),
                 QStringLiteral("Version ") + kVersion);
    }

    void aboutBoxClosesOnlyWithOk() {
        TAboutForm about;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QTest::keyClick(&about, Qt::Key_Escape);
        QVERIFY(about.isVisible());
        QCloseEvent fromWindowManager; // as the window manager asks
        QApplication::sendEvent(about.windowHandle(), &fromWindowManager);
        QVERIFY(about.isVisible());
        QTest::mouseClick(about.findChild<QPushButton*>("OK"), Qt::LeftButton);
        QVERIFY(!about.isVisible());
    }

    void aboutBoxHasAThinBlackFrame() {
        TAboutForm about;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        const QImage image = about.grab().toImage();
        const int w = image.width();
        const int h = image.height();
        QCOMPARE(QColor(image.pixel(0, 0)), QColor(Qt::white));
        QCOMPARE(QColor(image.pixel(w - 1, h - 1)), QColor(Qt::white));
        QCOMPARE(QColor(image.pixel(1, 1)), QColor(Qt::black));
        QCOMPARE(QColor(image.pixel(w / 2, 1)), QColor(Qt::black));
        QCOMPARE(QColor(image.pixel(w - 2, h - 2)), QColor(Qt::black));
        QCOMPARE(QColor(image.pixel(2, h / 2)), QColor(Qt::white));
        // The picture, drawn when the box is first shown, is on the white.
        const QRect picture = about.findChild<QLabel*>("Image1")->geometry();
        int inked = 0;
        for (int y = picture.top(); y < std::min(picture.bottom(), h - 3); ++y) {
            for (int x = picture.left() + 8; x < picture.right(); ++x) {
                inked += QColor(image.pixel(x, y)) != QColor(Qt::white) ? 1 : 0;
            }
        }
        QVERIFY2(inked > 1000, qPrintable(QString::number(inked)));
        const QRect screen = about.screen()->availableGeometry();
        QVERIFY(qAbs(about.geometry().center().x() - screen.center().x()) <= 1);
    }
};

int main(int argc, char** argv) {
    TarnwickApplication app(argc, argv);
    ShellTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_shell.moc"
