// The main window through real clicks and keys: layout, the check-box rule, focus
// colouring, Enter in the spin edits, and the transfer of a preset between bank and window.
#include "editor_fixture.h"
#include "main_window/channel_grid.h"
#include "main_window/channel_spin_edit.h"
#include "main_window/main_form.h"
#include "main_window/preset_list_form.h"
#include "scripted_interaction.h"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QSpinBox>
#include <QStatusBar>
#include <QToolButton>
#include <QtTest>

#include <memory>

using namespace tarnwick;
using testing::EditorFixture;
using testing::ScriptedInteraction;

Q_DECLARE_METATYPE(tarnwick::SlotKind)

class MainFormTest : public QObject {
    Q_OBJECT

    std::unique_ptr<EditorFixture> m_f;
    TPresetListForm* m_list = nullptr;

    template <typename T> T* child(const QString& name) const {
        T* widget = m_f->main.findChild<T*>(name);
        if (!widget) {
            qFatal("no control %s", qPrintable(name));
        }
        return widget;
    }
    QCheckBox* box(int c, SlotKind k) const { return m_f->main.channelGrid()->checkBox(c, k); }
    ChannelSpinEdit* spin(int c, SlotKind k) const {
        return m_f->main.channelGrid()->spinEdit(c, k);
    }
    QLineEdit* nameField() const { return child<QLineEdit>(QStringLiteral("edPresetName")); }
    QComboBox* prePost() const { return child<QComboBox>(QStringLiteral("cboxPrePost")); }
    PresetRecord& preset(int number) { return m_f->main.bank()[PresetIndex::fromOneBase(number)]; }

    void typeInto(QWidget* widget, const QString& text) {
        widget->setFocus();
        QTest::keyClicks(widget, text);
    }

private slots:
    void init() {
        m_f = std::make_unique<EditorFixture>();
        m_list = m_f->showWithPresetList();
        QVERIFY(QTest::qWaitForWindowActive(&m_f->main));
    }
    void cleanup() { m_f.reset(); }

    void startsOnPresetOneWithEverythingSwitchedOff() {
        QCOMPARE(m_f->main.windowTitle(), QStringLiteral("Tarnwick Editor"));
        QCOMPARE(child<QLineEdit>(QStringLiteral("edPreset"))->text(), QStringLiteral("1"));
        QCOMPARE(nameField()->text(), QStringLiteral("New Name 1"));
        for (int c = 1; c <= kChannelCount; ++c) {
            for (SlotKind k : kSlotKinds) {
                QVERIFY(!box(c, k)->isChecked());
                QVERIFY(!spin(c, k)->isEnabled());
            }
            QCOMPARE(spin(c, SlotKind::Msb)->value(), 0);
            QCOMPARE(spin(c, SlotKind::Lsb)->value(), 0);
            QCOMPARE(spin(c, SlotKind::Program)->value(), c);
        }
        QCOMPARE(prePost()->currentText(), QStringLiteral("Pre"));
        QCOMPARE(child<QLineEdit>(QStringLiteral("edArbMidiData"))->text(), QString());
        QVERIFY(!m_f->main.presetEdited());
        QCOMPARE(QApplication::focusWidget(), child<QLineEdit>(QStringLiteral("edPreset")));
        QCOMPARE(m_f->main.statusPanel(0)->text(),
                 QStringLiteral("MIDI: None (save to file only)"));
        QCOMPARE(m_f->main.statusPanel(1)->text(), QString());
        QCOMPARE(m_f->main.statusPanel(0)->width(), 300);
        QVERIFY(m_f->main.statusPanel(1)->width() >= 150); // room for "Downloading Preset # 100"
        QVERIFY(child<QAction>(QStringLiteral("mnuPickConnection"))->isChecked());
        QCOMPARE(m_list->listBox()->count(), 100);
        QCOMPARE(m_list->listBox()->item(0)->text(), QStringLiteral("01.  New Name 1"));
        QCOMPARE(m_list->listBox()->item(99)->text(), QStringLiteral("100.  New Name 100"));
        QVERIFY(!m_list->isVisible());
    }

    void layoutMatchesTheKeypadEditor_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry"); // in the window's client area
        QTest::newRow("GroupBox1") << "GroupBox1" << QRect(8, 48, 137, 57);
        QTest::newRow("GroupBox2") << "GroupBox2" << QRect(160, 48, 297, 57);
        QTest::newRow("btnShowPresets") << "btnShowPresets" << QRect(465, 58, 43, 41);
        QTest::newRow("GroupBox3") << "GroupBox3" << QRect(8, 118, 497, 493);
        QTest::newRow("GroupBox5") << "GroupBox5" << QRect(8, 624, 321, 57);
        QTest::newRow("GroupBox4") << "GroupBox4" << QRect(336, 624, 169, 57);
        QTest::newRow("edPreset width") << "edPreset" << QRect(-1, -1, 30, -1);
        QTest::newRow("edPresetName width") << "edPresetName" << QRect(-1, -1, 121, -1);
        QTest::newRow("btnNew") << "bntNew" << QRect(-1, -1, 55, 36);
        QTest::newRow("ToolBar1") << "ToolBar1" << QRect(0, 0, 515, 41);
        QTest::newRow("StatusBar1") << "StatusBar1" << QRect(0, 704 - 19, 515, 19);
    }
    void layoutMatchesTheKeypadEditor() {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        auto* widget = child<QWidget>(name);
        const QRect actual(widget->mapTo(&m_f->main, QPoint(0, 0)), widget->size());
        QCOMPARE(m_f->main.size(), QSize(515, 704));
        if (geometry.x() >= 0) {
            QCOMPARE(actual.topLeft(), geometry.topLeft());
        }
        QCOMPARE(actual.width(), geometry.width());
        if (geometry.height() >= 0) {
            QCOMPARE(actual.height(), geometry.height());
        }
    }

    void channelGridStandsInItsRows_data() {
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("y");
        QTest::newRow("1") << 1 << 43;
        QTest::newRow("8") << 8 << 43 + 27 * 7;
        QTest::newRow("9 after the wider gap") << 9 << 275;
        QTest::newRow("16") << 16 << 275 + 27 * 7;
    }
    void channelGridStandsInItsRows() {
        QFETCH(int, channel);
        QFETCH(int, y);
        const int xs[3] = {132, 268, 404};
        for (SlotKind k : kSlotKinds) {
            auto* s = spin(channel, k);
            QCOMPARE(s->geometry(), QRect(xs[int(k)], y, 49, 22));
            QCOMPARE(s->objectName(),
                     QStringLiteral("spin") + ChannelGrid::controlSuffix(channel, k));
            QCOMPARE(box(channel, k)->x(), QList<int>({96, 232, 368})[int(k)]);
        }
        QCOMPARE(box(channel, SlotKind::Lsb)->objectName(),
                 QStringLiteral("cboxCh%1LSB").arg(channel));
        QCOMPARE(spin(channel, SlotKind::Program)->objectName(),
                 QStringLiteral("spinCh%1Pgm").arg(channel));
        QCOMPARE(spin(channel, SlotKind::Msb)->minimum(), 0);
        QCOMPARE(spin(channel, SlotKind::Lsb)->maximum(), 127);
        QCOMPARE(spin(channel, SlotKind::Program)->minimum(), 1);
        QCOMPARE(spin(channel, SlotKind::Program)->maximum(), 128);
    }

    void toolBarCarriesEveryCommand_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<QStringList>("menu");
        QTest::newRow("MIDI") << "btnAutoSend"
                              << "MIDI"
                              << "Select MIDI connection"
                              << QStringList{"Choose a MIDI file/interface option",
                                             "",
                                             "None (save to file only)",
                                             "Direct MIDI (TWK-5, USB, etc) ...",
                                             "External File Application (MIDIOX, etc)",
                                             "",
                                             "Choose Learn Input...",
                                             "Learn"};
        QTest::newRow("New") << "bntNew"
                             << "New"
                             << "Clear all presets" << QStringList();
        QTest::newRow("Open") << "btnOpenFile"
                              << "Open"
                              << "Open 1 or 100 presets"
                              << QStringList{"Open One", "Open All (100)", "Bank Organizer",
                                             "Library", "Rig..."};
        QTest::newRow("Save") << "btnSaveFile"
                              << "Save"
                              << "Save preset(s) as" << QStringList{"Save One", "Save All (100)"};
        QTest::newRow("Download") << "btnDownload"
                                  << "Download"
                                  << "" << QStringList{"Download Current", "Download All (100)"};
        QTest::newRow("Upgrade") << "btnUpgrade"
                                 << "Upgrade"
                                 << "Re-flash keypad firmware" << QStringList();
        QTest::newRow("Help") << "btnHelp"
                              << "Help"
                              << "PDF manual and links" << QStringList{"About", "PDF User Manual"};
        QTest::newRow("Exit") << "btnExit"
                              << "Exit"
                              << "" << QStringList();
    }
    void toolBarCarriesEveryCommand() {
        QFETCH(QString, button);
        QFETCH(QString, caption);
        QFETCH(QString, hint);
        QFETCH(QStringList, menu);
        auto* tool = child<QToolButton>(button);
        QCOMPARE(tool->text(), caption);
        QCOMPARE(tool->toolTip(), hint);
        QVERIFY(!tool->icon().isNull());
        QStringList items;
        if (tool->menu()) {
            for (QAction* action : tool->menu()->actions()) {
                items << (action->isSeparator() ? QString() : action->text());
            }
        }
        QCOMPARE(items, menu);
    }

    void hintsLeaveTheStatusPanelsInPlace() {
        // A hint shown in the status bar would hide the connection and progress panels.
        for (QToolButton* button : m_f->main.findChildren<QToolButton*>()) {
            QStatusTipEvent tip(button->statusTip());
            if (!button->statusTip().isEmpty()) {
                QApplication::sendEvent(&m_f->main, &tip);
            }
        }
        QVERIFY(m_f->main.statusPanel(0)->isVisible());
        QVERIFY(m_f->main.statusPanel(1)->isVisible());
        QCOMPARE(child<QToolButton>(QStringLiteral("btnAutoSend"))->toolTip(),
                 QStringLiteral("Select MIDI connection"));
    }

    void everyReachableControlHasAnAccessibleName() {
        const auto widgets = m_f->main.findChildren<QWidget*>();
        int focusable = 0;
        for (QWidget* w : widgets) {
            if (w->focusPolicy() == Qt::NoFocus || w->focusProxy() ||
                qobject_cast<QLineEdit*>(w->parentWidget()) || !w->isVisibleTo(&m_f->main)) {
                continue;
            }
            if (qobject_cast<QAbstractSpinBox*>(w->parentWidget()) ||
                qobject_cast<QComboBox*>(w->parentWidget())) {
                continue; // the inner editor of a spin box or combo box
            }
            ++focusable;
            const QString name =
                w->accessibleName().isEmpty()
                    ? (qobject_cast<QAbstractButton*>(w) ? qobject_cast<QAbstractButton*>(w)->text()
                                                         : QString())
                    : w->accessibleName();
            QVERIFY2(!name.isEmpty(),
                     qPrintable(w->objectName() + " " + w->metaObject()->className()));
        }
        QVERIFY(focusable >= 2 + 96 + 3);
        QCOMPARE(box(4, SlotKind::Lsb)->accessibleName(),
                 QStringLiteral("Channel 4 bank select LSB on"));
        QCOMPARE(spin(16, SlotKind::Program)->accessibleName(),
                 QStringLiteral("Channel 16 program"));
    }

    // However a box is ticked: the mouse, Space, or a screen reader's Toggle action (the
    // only action Qt offers on a check box, and one that emits no clicked).
    void checkBoxSwitchesItsOwnSpinEditOnly_data() {
        QTest::addColumn<QString>("way");
        QTest::newRow("mouse") << "mouse";
        QTest::newRow("Space") << "Space";
        QTest::newRow("screen reader") << "screen reader";
    }
    void checkBoxSwitchesItsOwnSpinEditOnly() {
        QFETCH(QString, way);
        const auto tick = [&way](QCheckBox* target) {
            if (way == "mouse") {
                QTest::mouseClick(target, Qt::LeftButton);
            } else if (way == "Space") {
                target->setFocus();
                QTest::keyClick(target, Qt::Key_Space);
            } else {
                QAccessibleInterface* node = QAccessible::queryAccessibleInterface(target);
                QVERIFY(node && node->actionInterface());
                QCOMPARE(node->text(QAccessible::Name),
                         QStringLiteral("Channel 4 bank select LSB on"));
                node->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
            }
        };
        preset(1).channel(4)[SlotKind::Lsb] = 0x80 | 37;
        m_f->main.loadPresetFromBank();
        QVERIFY(!m_f->main.presetEdited());

        tick(box(4, SlotKind::Lsb));
        QVERIFY(box(4, SlotKind::Lsb)->isChecked());
        QVERIFY(spin(4, SlotKind::Lsb)->isEnabled());
        QCOMPARE(spin(4, SlotKind::Lsb)->value(), 37);
        QCOMPARE(QApplication::focusWidget(), spin(4, SlotKind::Lsb));
        // An edit pending, or already stored by the preset number field that focus left.
        QVERIFY(m_f->main.presetEdited() || preset(1).channel(4)[SlotKind::Lsb] == 37);

        m_f->main.flushEdits();
        QVERIFY(!m_f->main.presetEdited());
        QCOMPARE(preset(1).channel(4)[SlotKind::Lsb], std::uint8_t{37});

        tick(box(4, SlotKind::Lsb));
        QVERIFY(!box(4, SlotKind::Lsb)->isChecked());
        QVERIFY(!spin(4, SlotKind::Lsb)->isEnabled());
        QCOMPARE(spin(4, SlotKind::Lsb)->value(), 37);
        if (way != "screen reader") { // a screen reader moves no focus
            QCOMPARE(QApplication::focusWidget(), box(4, SlotKind::Lsb));
        }
        QVERIFY(m_f->main.presetEdited());
        m_f->main.flushEdits();
        QCOMPARE(preset(1).channel(4)[SlotKind::Lsb], std::uint8_t{0x80 | 37});

        // Nothing else moved.
        for (int c = 1; c <= kChannelCount; ++c) {
            for (SlotKind k : kSlotKinds) {
                QVERIFY(!box(c, k)->isChecked());
                QVERIFY(!spin(c, k)->isEnabled());
            }
        }
    }

    void switchingOffOneValueLeavesTheOthers() {
        preset(1).channel(3) = ChannelSlot{{10, 20, 29}};
        preset(1).channel(4) = ChannelSlot{{11, 21, 31}};
        m_f->main.loadPresetFromBank();
        QTest::mouseClick(box(3, SlotKind::Program), Qt::LeftButton);
        m_f->main.flushEdits();
        QCOMPARE(preset(1).channel(3), (ChannelSlot{{10, 20, 0x80 | 29}}));
        QCOMPARE(preset(1).channel(4), (ChannelSlot{{11, 21, 31}}));
    }

    void loadSetsSwitchesWithoutSideEffects() {
        preset(2).channel(5)[SlotKind::Lsb] = 9;
        auto* name = nameField();
        name->setFocus();
        m_f->main.showPresetNumber(2);
        QVERIFY(box(5, SlotKind::Lsb)->isChecked());
        QVERIFY(spin(5, SlotKind::Lsb)->isEnabled());
        QCOMPARE(spin(5, SlotKind::Lsb)->value(), 9);
        QCOMPARE(QApplication::focusWidget(), name);
        QVERIFY(!m_f->main.presetEdited());
        m_f->main.showPresetNumber(1);
        QVERIFY(!box(5, SlotKind::Lsb)->isChecked());
        QVERIFY(!spin(5, SlotKind::Lsb)->isEnabled());
    }

    void storeAndLoadKeepEveryValue_data() {
        QTest::addColumn<int>("channel");
        QTest::addColumn<SlotKind>("kind");
        QTest::addColumn<int>("shown");
        QTest::addColumn<bool>("on");
        QTest::addColumn<int>("stored");
        QTest::newRow("switched-off MSB keeps 5") << 2 << SlotKind::Msb << 5 << false << 0x85;
        QTest::newRow("LSB 127") << 7 << SlotKind::Lsb << 127 << true << 0x7F;
        QTest::newRow("program 128") << 16 << SlotKind::Program << 128 << true << 0x7F;
        QTest::newRow("program 1") << 1 << SlotKind::Program << 1 << true << 0x00;
        QTest::newRow("switched-off program 12") << 9 << SlotKind::Program << 12 << false << 0x8B;
    }
    void storeAndLoadKeepEveryValue() {
        QFETCH(int, channel);
        QFETCH(SlotKind, kind);
        QFETCH(int, shown);
        QFETCH(bool, on);
        QFETCH(int, stored);
        if (on) {
            QTest::mouseClick(box(channel, kind), Qt::LeftButton);
        }
        spin(channel, kind)->setValue(shown);
        QVERIFY(m_f->main.presetEdited());
        m_f->main.flushEdits();
        QCOMPARE(int(preset(1).channel(channel)[kind]), stored);

        m_f->main.showPresetNumber(2);
        m_f->main.showPresetNumber(1);
        QCOMPARE(spin(channel, kind)->value(), shown);
        QCOMPARE(spin(channel, kind)->isEnabled(), on);
        QCOMPARE(box(channel, kind)->isChecked(), on);
        if (!on) {
            QTest::mouseClick(box(channel, kind), Qt::LeftButton);
            QCOMPARE(spin(channel, kind)->value(), shown);
        }
    }

    void nameIsPaddedWithoutMarkingAnEdit_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("short") << "Piano"
                               << "Piano        ";
        QTest::newRow("thirteen") << "Grand Piano 2"
                                  << "Grand Piano 2";
        QTest::newRow("empty") << ""
                               << "             ";
    }
    void nameIsPaddedWithoutMarkingAnEdit() {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        nameField()->setFocus();
        nameField()->selectAll();
        QTest::keyClick(nameField(), Qt::Key_Delete);
        typeInto(nameField(), typed);
        QVERIFY(m_f->main.presetEdited());
        m_f->main.flushEdits();
        QCOMPARE(nameField()->text(), stored);
        QVERIFY(!m_f->main.presetEdited());
        QCOMPARE(QString::fromLatin1(PresetName(preset(1)).c_str()), stored);
        QCOMPARE(preset(1).name[13], std::uint8_t{0});
    }

    void nameTakesPrintableAsciiOnly() {
        nameField()->setFocus();
        nameField()->clear();
        // Characters as a keyboard would deliver them, printable ASCII or not.
        for (const QString& typed :
             {QStringLiteral("P"), QStringLiteral("\u00E9"), QStringLiteral("~"),
              QStringLiteral(" "), QStringLiteral("\u0007"), QStringLiteral("X")}) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, typed);
            QApplication::sendEvent(nameField(), &press);
        }
        QCOMPARE(nameField()->text(), QStringLiteral("P~ X"));
        QVERIFY(m_f->main.presetEdited());

        QApplication::clipboard()->setText(QStringLiteral("Tab\there"));
        QTest::keyClick(nameField(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(nameField()->text(), QStringLiteral("P~ X"));
        QApplication::clipboard()->setText(QStringLiteral("Lead"));
        QTest::keyClick(nameField(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(nameField()->text(), QStringLiteral("P~ XLead"));
        typeInto(nameField(), QStringLiteral("1234567890"));
        QCOMPARE(nameField()->text().size(), 13);
        // A name from a file keeps its bytes.
        SetPresetName(preset(3), "Caf\xE9\x01");
        m_f->main.showPresetNumber(3);
        QCOMPARE(nameField()->text(), QStringLiteral("Caf\u00E9\u0001"));
        nameField()->setFocus();
        QTest::keyClick(nameField(), Qt::Key_End);
        QTest::keyClicks(nameField(), QStringLiteral("!"));
        m_f->main.flushEdits();
        QCOMPARE(PresetName(preset(3)), std::string("Caf\xE9\x01!       "));
    }

    void nameWithoutTerminatorShowsAllThirteen() {
        SetPresetName(preset(5), "ABCDEFGHIJKLMNOP");
        m_f->main.showPresetNumber(5);
        QCOMPARE(nameField()->text(), QStringLiteral("ABCDEFGHIJKLM"));
    }

    void placementAndReservedBytesSurvive() {
        preset(6).placement = 0xA4; // Pre, with bits 1 to 7 from a file
        preset(6).reservedA = 0x12;
        preset(6).reservedB = 0xFE;
        m_f->main.showPresetNumber(6);
        QCOMPARE(prePost()->currentText(), QStringLiteral("Pre"));
        for (int round = 0; round < 3; ++round) {
            nameField()->setText(QStringLiteral("Edited"));
            m_f->main.showPresetNumber(7);
            m_f->main.showPresetNumber(6);
        }
        QCOMPARE(preset(6).placement, std::uint8_t{0xA4});
        QCOMPARE(preset(6).reservedA, std::uint8_t{0x12});
        QCOMPARE(preset(6).reservedB, std::uint8_t{0xFE});

        prePost()->setCurrentIndex(1); // changing only Pre/Post is an edit
        QVERIFY(m_f->main.presetEdited());
        m_f->main.showPresetNumber(7);
        QCOMPARE(preset(6).placement, std::uint8_t{0xA5});
        m_f->main.showPresetNumber(6);
        QCOMPARE(prePost()->currentText(), QStringLiteral("Post"));
    }

    void midiDataShowsAsHexPairs_data() {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("text");
        QTest::newRow("three bytes")
            << QByteArray::fromHex("B00764FFFFFFFFFFFFFFFFFFFFFFFFFF") << "B0 07 64 ";
        QTest::newRow("sixteen") << QByteArray::fromHex("90919293949596979899AABBCCDDEEFE")
                                 << "90 91 92 93 94 95 96 97 98 99 AA BB CC DD EE FE ";
        QTest::newRow("end marker first")
            << QByteArray::fromHex("FF07FFFFFFFFFFFFFFFFFFFFFFFFFFFF") << "";
    }
    void midiDataShowsAsHexPairs() {
        QFETCH(QByteArray, data);
        QFETCH(QString, text);
        std::copy(data.begin(), data.end(), preset(8).data.begin());
        m_f->main.showPresetNumber(8);
        QCOMPARE(child<QLineEdit>(QStringLiteral("edArbMidiData"))->text(), text);
        QVERIFY(!m_f->main.presetEdited());
    }

    void typedValuesAreBroughtIntoRange() {
        QTest::mouseClick(box(2, SlotKind::Program), Qt::LeftButton);
        auto* program = spin(2, SlotKind::Program);
        program->selectAll();
        QTest::keyClicks(program, QStringLiteral("300"));
        QTest::keyClick(program, Qt::Key_Tab);
        QCOMPARE(program->value(), 128);
        QCOMPARE(program->text(), QStringLiteral("128"));

        QTest::mouseClick(box(7, SlotKind::Msb), Qt::LeftButton);
        auto* msb = spin(7, SlotKind::Msb);
        msb->setValue(55);
        msb->selectAll();
        QTest::keyClick(msb, Qt::Key_Delete);
        QTest::keyClick(msb, Qt::Key_Tab);
        QCOMPARE(msb->value(), 0);
        m_f->main.showPresetNumber(2);
        QCOMPARE(int(preset(1).channel(7)[SlotKind::Msb]), 0);
        QCOMPARE(int(preset(1).channel(2)[SlotKind::Program]), 127);
    }

    void storeWhileTypingKeepsTheValueInRange() {
        QTest::mouseClick(box(3, SlotKind::Lsb), Qt::LeftButton);
        auto* lsb = spin(3, SlotKind::Lsb);
        lsb->selectAll();
        QTest::keyClicks(lsb, QStringLiteral("999"));
        m_f->main.flushEdits(); // still in the field
        QCOMPARE(int(preset(1).channel(3)[SlotKind::Lsb]), 127);
    }

    void enterMovesOnLikeTab_data() {
        QTest::addColumn<int>("channel");
        QTest::addColumn<SlotKind>("kind");
        QTest::addColumn<QString>("next");
        QTest::newRow("last program to Pre/Post") << 16 << SlotKind::Program << "cboxPrePost";
        QTest::newRow("MSB to LSB check box") << 1 << SlotKind::Msb << "cboxCh1LSB";
        QTest::newRow("program to next row") << 4 << SlotKind::Program << "cboxCh5MSB";
    }
    void enterMovesOnLikeTab() {
        QFETCH(int, channel);
        QFETCH(SlotKind, kind);
        QFETCH(QString, next);
        QTest::mouseClick(box(channel, kind), Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), spin(channel, kind));
        const int before = spin(channel, kind)->value();
        QTest::keyClick(spin(channel, kind), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget()->objectName(), next);
        QCOMPARE(spin(channel, kind)->value(), before);
    }

    void enterSkipsSwitchedOffSpinEdits() {
        // Channel 1 MSB on, LSB off: Enter goes to the LSB check box, Tab from there
        // passes the disabled LSB spin edit.
        QTest::mouseClick(box(1, SlotKind::Msb), Qt::LeftButton);
        QTest::keyClick(spin(1, SlotKind::Msb), Qt::Key_Enter);
        QCOMPARE(QApplication::focusWidget(), box(1, SlotKind::Lsb));
        QTest::keyClick(box(1, SlotKind::Lsb), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), box(1, SlotKind::Program));
    }

    void focusedCheckBoxAloneTurnsBlue() {
        // What the user sees: pixels of pure blue (0, 0, 255) drawn behind the box.
        const auto bluePixels = [](QWidget* w) {
            const QImage image = w->grab().toImage();
            int count = 0;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    count += image.pixel(x, y) == qRgb(0, 0, 255) ? 1 : 0;
                }
            }
            return count * 4 >= image.width() * image.height(); // a quarter of it, at least
        };
        box(1, SlotKind::Msb)->setFocus(Qt::TabFocusReason);
        QVERIFY(bluePixels(box(1, SlotKind::Msb)));
        QTest::keyClick(box(1, SlotKind::Msb), Qt::Key_Tab); // MSB spin edit is off: LSB box
        QCOMPARE(QApplication::focusWidget(), box(1, SlotKind::Lsb));
        QVERIFY(bluePixels(box(1, SlotKind::Lsb)));
        int blueBoxes = 0;
        for (int c = 1; c <= kChannelCount; ++c) {
            for (SlotKind k : kSlotKinds) {
                blueBoxes += bluePixels(box(c, k)) ? 1 : 0;
            }
        }
        QCOMPARE(blueBoxes, 1);
        nameField()->setFocus();
        QVERIFY(!bluePixels(box(1, SlotKind::Lsb)));
    }

    void focusOrderRunsThroughTheWindow() {
        const auto tabFrom = [](QWidget* from) {
            from->setFocus(Qt::TabFocusReason);
            QTest::keyClick(from, Qt::Key_Tab);
            return QApplication::focusWidget();
        };
        auto* number = child<QLineEdit>(QStringLiteral("edPreset"));
        QCOMPARE(tabFrom(number), nameField());
        QCOMPARE(tabFrom(nameField()), box(1, SlotKind::Msb));
        QTest::mouseClick(box(16, SlotKind::Program), Qt::LeftButton);
        QCOMPARE(tabFrom(spin(16, SlotKind::Program)), prePost());
        QCOMPARE(tabFrom(prePost())->objectName(), QStringLiteral("btnArbMidiData"));
        QCOMPARE(tabFrom(QApplication::focusWidget())->objectName(),
                 QStringLiteral("btnShowPresets"));
        for (const char* display : {"spinMfgID", "edMfgID"}) {
            QVERIFY(!child<QWidget>(QLatin1String(display))->isEnabled());
        }
        QVERIFY(!child<QGroupBox>(QStringLiteral("GroupBox4"))->isEnabled());
        QCOMPARE(child<QLineEdit>(QStringLiteral("edArbMidiData"))->focusPolicy(), Qt::NoFocus);
    }

    void newResetsTheBankWithoutAsking() {
        preset(1).channel(1)[SlotKind::Msb] = 3;
        SetPresetName(preset(50), "Kept?");
        m_f->main.showPresetNumber(50);
        nameField()->setText(QStringLiteral("Unsaved"));
        QVERIFY(m_f->main.presetEdited());

        QTest::mouseClick(child<QToolButton>(QStringLiteral("bntNew")), Qt::LeftButton);
        QVERIFY(m_f->interaction.messages.isEmpty());
        QVERIFY(!m_f->main.presetEdited());
        QCOMPARE(m_f->main.bank().currentPresetIndex().oneBased(), 1);
        QCOMPARE(child<QLineEdit>(QStringLiteral("edPreset"))->text(), QStringLiteral("1"));
        QCOMPARE(nameField()->text(), QStringLiteral("New Name 1"));
        QVERIFY(!box(1, SlotKind::Msb)->isChecked());
        QCOMPARE(preset(50), NewBankPreset(PresetIndex::fromOneBase(50)));
        QCOMPARE(m_list->listBox()->item(49)->text(), QStringLiteral("50.  New Name 50"));
        QCOMPARE(m_f->main.windowTitle(), QStringLiteral("Tarnwick Editor"));
    }

    void editsAreStoredIntoThePresetTheyWereMadeOn() {
        m_f->main.showPresetNumber(4);
        QTest::mouseClick(box(1, SlotKind::Msb), Qt::LeftButton);
        spin(1, SlotKind::Msb)->setValue(42);
        m_f->main.showPresetNumber(7);
        QVERIFY(!m_f->main.presetEdited());
        QCOMPARE(int(preset(4).channel(1)[SlotKind::Msb]), 42);
        QCOMPARE(preset(7), NewBankPreset(PresetIndex::fromOneBase(7)));
        m_f->main.showPresetNumber(4);
        QCOMPARE(spin(1, SlotKind::Msb)->value(), 42);
        QVERIFY(box(1, SlotKind::Msb)->isChecked());
    }

    void exitClosesTheWindowWithoutAsking() {
        nameField()->setText(QStringLiteral("Unsaved"));
        QTest::mouseClick(child<QToolButton>(QStringLiteral("btnShowPresets")), Qt::LeftButton);
        QVERIFY(QTest::qWaitForWindowExposed(m_list));
        QCloseEvent closeBox; // its close box: only ">>>" hides the list
        QApplication::sendEvent(m_list->windowHandle(), &closeBox);
        QVERIFY(m_list->isVisible());
        QTest::mouseClick(child<QToolButton>(QStringLiteral("btnExit")), Qt::LeftButton);
        QVERIFY(!m_f->main.isVisible());
        QVERIFY(!m_list->isVisible()); // nothing is left on screen to keep the program running
        QVERIFY(m_f->interaction.messages.isEmpty());
    }
};

QTEST_MAIN(MainFormTest)
#include "test_main_form.moc"
