// Moving between presets: the number field's typing rules, its leave check, the arrows,
// the edited mark, and the preset list window — all through real keys and clicks.
#include "editor_fixture.h"
#include "main_window/channel_grid.h"
#include "main_window/channel_spin_edit.h"
#include "main_window/main_form.h"
#include "main_window/preset_list_form.h"
#include "scripted_interaction.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>
#include <QtTest>

#include <memory>

using namespace tarnwick;
using testing::EditorFixture;
using testing::ScriptedInteraction;

class NavigationTest : public QObject {
    Q_OBJECT

    std::unique_ptr<EditorFixture> m_f;
    TPresetListForm* m_list = nullptr;

    QLineEdit* number() const { return m_f->main.findChild<QLineEdit*>("edPreset"); }
    QLineEdit* name() const { return m_f->main.findChild<QLineEdit*>("edPresetName"); }
    int shown() const { return m_f->main.bank().currentPresetIndex().oneBased(); }
    PresetRecord& preset(int n) { return m_f->main.bank()[PresetIndex::fromOneBase(n)]; }
    QListWidget* lines() const { return m_list->listBox(); }

    // Empties the number field as a user would: select everything, press Delete.
    void emptyNumberField() {
        number()->setFocus();
        number()->selectAll();
        QTest::keyClick(number(), Qt::Key_Delete);
        QCOMPARE(number()->text(), QString());
    }
    void typeNumber(const QString& digits) {
        number()->setFocus();
        for (QChar c : digits) {
            QTest::keyClick(number(), c.toLatin1());
        }
    }
    void goTo(int n) {
        emptyNumberField();
        typeNumber(QString::number(n));
        QCOMPARE(shown(), n);
    }
    void editChannel1Msb(int value) {
        QTest::mouseClick(m_f->main.channelGrid()->checkBox(1, SlotKind::Msb), Qt::LeftButton);
        m_f->main.channelGrid()->spinEdit(1, SlotKind::Msb)->setValue(value);
    }

    void focusTheList() {
        m_list->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_list));
        QApplication::setActiveWindow(m_list);
        lines()->setFocus();
        QCOMPARE(QApplication::focusWidget(), lines());
    }

private slots:
    void init() {
        m_f = std::make_unique<EditorFixture>();
        m_list = m_f->showWithPresetList();
        QVERIFY(QTest::qWaitForWindowActive(&m_f->main));
        QCOMPARE(QApplication::focusWidget(), number());
    }
    void cleanup() { m_f.reset(); }

    void typingRules_data() {
        QTest::addColumn<int>("start");      // preset shown first, 0: field emptied
        QTest::addColumn<int>("selectFrom"); // -1: no selection
        QTest::addColumn<int>("selectLength");
        QTest::addColumn<int>("caret");    // -1: at the end
        QTest::addColumn<QString>("keys"); // '<' is Backspace; '@' Alt and '^' Ctrl with the next
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QList<int>>("presets");
        QTest::newRow("1, 0, 0") << 0 << -1 << 0 << -1 << "100" << QStringList{"1", "10", "100"}
                                 << QList<int>{1, 10, 100};
        QTest::newRow("a fourth digit is dropped")
            << 100 << -1 << 0 << -1 << "5" << QStringList{"100"} << QList<int>{100};
        QTest::newRow("digit goes to the end, caret ignored")
            << 25 << -1 << 0 << 0 << "7" << QStringList{"257"} << QList<int>{25};
        QTest::newRow("a selection clears the whole text")
            << 25 << 1 << 1 << -1 << "3" << QStringList{"3"} << QList<int>{3};
        QTest::newRow("0 moves nothing")
            << 0 << -1 << 0 << -1 << "0" << QStringList{"0"} << QList<int>{1};
        QTest::newRow("other characters are swallowed")
            << 2 << -1 << 0 << -1 << "a-+ ." << QStringList{"2", "2", "2", "2", "2"}
            << QList<int>{2, 2, 2, 2, 2};
        QTest::newRow("keys with Alt or Ctrl type nothing")
            << 2 << -1 << 0 << -1 << "@x@f@5^3^7" << QStringList(5, "2") << QList<int>(5, 2);
        QTest::newRow("backspace at the end of 25")
            << 25 << -1 << 0 << -1 << "<" << QStringList{"2"} << QList<int>{2};
        QTest::newRow("backspace in an empty field")
            << 0 << -1 << 0 << -1 << "<" << QStringList{""} << QList<int>{1};
        QTest::newRow("2 then 5 passes preset 2")
            << 0 << -1 << 0 << -1 << "25" << QStringList{"2", "25"} << QList<int>{2, 25};
    }
    void typingRules() {
        QFETCH(int, start);
        QFETCH(int, selectFrom);
        QFETCH(int, selectLength);
        QFETCH(int, caret);
        QFETCH(QString, keys);
        QFETCH(QStringList, texts);
        QFETCH(QList<int>, presets);
        if (start > 0) {
            goTo(start);
        } else {
            emptyNumberField();
        }
        if (selectFrom >= 0) {
            number()->setSelection(selectFrom, selectLength);
        } else if (caret >= 0) {
            number()->setCursorPosition(caret);
        }
        qsizetype step = 0;
        for (qsizetype i = 0; i < keys.size(); ++i, ++step) {
            Qt::KeyboardModifiers modifiers = Qt::NoModifier;
            if (keys[i] == u'@' || keys[i] == u'^') {
                modifiers = keys[i] == u'@' ? Qt::AltModifier : Qt::ControlModifier;
                ++i;
            }
            if (keys[i] == u'<') {
                QTest::keyClick(number(), Qt::Key_Backspace);
            } else {
                QTest::keyClick(number(), keys[i].toLatin1(), modifiers);
            }
            QCOMPARE(number()->text(), texts[step]);
            QCOMPARE(shown(), presets[step]);
        }
        QVERIFY(m_f->interaction.messages.isEmpty());
        QCOMPARE(QApplication::focusWidget(), number());
    }

    void leaveCheckRejects_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("byEnter");
        QTest::newRow("empty, Tab") << "" << false;
        QTest::newRow("0, Tab") << "0" << false;
        QTest::newRow("257, Tab") << "257" << false;
        QTest::newRow("101, Tab") << "101" << false;
        QTest::newRow("0, Enter") << "0" << true;
        QTest::newRow("empty, Enter") << "" << true;
    }
    void leaveCheckRejects() {
        QFETCH(QString, text);
        QFETCH(bool, byEnter);
        goTo(25);
        emptyNumberField();
        typeNumber(text); // the window follows the digits on the way
        const int before = shown();
        // A real message box takes the focus while it is up.
        m_f->interaction.onMessage = [this](const auto&) {
            name()->setFocus();
        };
        QTest::keyClick(number(), byEnter ? Qt::Key_Return : Qt::Key_Tab);
        QCOMPARE(m_f->interaction.shown(), QStringList{"Error|Preset Number must be 1 to 100"});
        QCOMPARE(m_f->interaction.messages[0].buttons,
                 QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(QApplication::focusWidget(), number());
        QCOMPARE(number()->text(), text);
        QCOMPARE(shown(), before);
    }

    void enterWithAValidNumberMovesOnToTheName() {
        emptyNumberField();
        typeNumber("7");
        QTest::keyClick(number(), Qt::Key_Enter);
        QCOMPARE(shown(), 7);
        QCOMPARE(QApplication::focusWidget(), name());
        QVERIFY(m_f->interaction.messages.isEmpty());
    }

    void leavingStoresAndReloadsTheSamePreset() {
        goTo(4);
        name()->setFocus();
        name()->setText("Edited");
        QVERIFY(m_f->main.presetEdited());
        number()->setFocus();
        QTest::keyClick(number(), Qt::Key_Tab); // 4 again: stored, loaded again
        QVERIFY(!m_f->main.presetEdited());
        QCOMPARE(PresetName(preset(4)), std::string("Edited       "));
        QCOMPARE(name()->text(), QStringLiteral("Edited       "));
    }

    void arrowsStepWithinRange_data() {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("end");
        QTest::newRow("up") << 5 << int(Qt::Key_Up) << 6;
        QTest::newRow("down") << 5 << int(Qt::Key_Down) << 4;
        QTest::newRow("up at 100 stays") << 100 << int(Qt::Key_Up) << 100;
        QTest::newRow("down at 1 stays") << 1 << int(Qt::Key_Down) << 1;
    }
    void arrowsStepWithinRange() {
        QFETCH(int, start);
        QFETCH(int, key);
        QFETCH(int, end);
        goTo(start);
        QTest::keyClick(number(), Qt::Key(key));
        QCOMPARE(number()->text(), QString::number(end));
        QCOMPARE(shown(), end);
        // The arrow buttons step the same way.
        auto* button = m_f->main.findChild<QToolButton*>(key == Qt::Key_Up ? "up" : "down");
        QTest::mouseClick(button, Qt::LeftButton);
        const int again = std::clamp(end + (key == Qt::Key_Up ? 1 : -1), 1, 100);
        QCOMPARE(number()->text(), QString::number(again));
        QCOMPARE(shown(), again);
    }

    // PageUp and PageDown step presets from the controls that have no use for them; a
    // spin edit steps its value by a page, the list moves its selection.
    void pageKeysStepPresetsWhereNoControlUsesThem_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("shownAfter");
        const std::pair<const char*, int> rows[] = {{"edPreset", 6},    {"edPresetName", 6},
                                                    {"cboxCh1MSB", 6},  {"spinCh1MSB", 5},
                                                    {"cboxPrePost", 5}, {"ListBox1", 5}};
        for (const auto& [control, shownAfter] : rows) {
            QTest::newRow(control) << QString::fromLatin1(control) << shownAfter;
        }
    }
    void pageKeysStepPresetsWhereNoControlUsesThem() {
        QFETCH(QString, control);
        QFETCH(int, shownAfter);
        goTo(5);
        editChannel1Msb(30);
        QWidget* widget = m_f->main.findChild<QWidget*>(control);
        if (control == "ListBox1") {
            focusTheList();
            lines()->setCurrentRow(4);
            widget = lines();
        }
        widget->setFocus();
        QTest::keyClick(widget, Qt::Key_PageDown);
        QCOMPARE(shown(), shownAfter);
        if (control == "spinCh1MSB") {
            QCOMPARE(m_f->main.channelGrid()->spinEdit(1, SlotKind::Msb)->value(), 20);
        }
        if (control == "ListBox1") {
            QVERIFY(lines()->currentRow() > 4);
        }
        if (control == "cboxPrePost") {
            QCOMPARE(static_cast<QComboBox*>(widget)->currentText(), QStringLiteral("Post"));
        }
    }

    void arrowsStartFromTheFieldsText() {
        goTo(25);
        emptyNumberField();
        typeNumber("0");
        QTest::keyClick(number(), Qt::Key_Up);
        QCOMPARE(number()->text(), QStringLiteral("1"));
        QCOMPARE(shown(), 1);
    }

    void editsGoIntoThePresetTheyWereMadeOn() {
        goTo(4);
        editChannel1Msb(42);
        QVERIFY(m_f->main.presetEdited());
        goTo(7);
        QVERIFY(!m_f->main.presetEdited());
        QCOMPARE(int(preset(4).channel(1)[SlotKind::Msb]), 42);
        QCOMPARE(preset(7), NewBankPreset(PresetIndex::fromOneBase(7)));
        goTo(4);
        QCOMPARE(m_f->main.channelGrid()->spinEdit(1, SlotKind::Msb)->value(), 42);
    }

    void movingWithoutEditsStoresNothing() {
        goTo(4);
        goTo(7);
        goTo(4);
        // A store would have padded the name to 13 characters.
        QCOMPARE(PresetName(preset(4)), std::string("New Name 4"));
        QCOMPARE(PresetName(preset(7)), std::string("New Name 7"));
        QVERIFY(!m_f->main.presetEdited());
    }

    void prePostAloneIsAnEdit() {
        goTo(9);
        m_f->main.findChild<QComboBox*>("cboxPrePost")->setCurrentIndex(1);
        QVERIFY(m_f->main.presetEdited());
        goTo(10);
        QCOMPARE(preset(9).placement, std::uint8_t{1});
        QCOMPARE(preset(10).placement, std::uint8_t{0});
    }

    void showAndHideTheList() {
        auto* button = m_f->main.findChild<QToolButton*>("btnShowPresets");
        QCOMPARE(button->text(), QStringLiteral(">>>"));
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(m_list->isVisible());
        QCOMPARE(button->text(), QStringLiteral("<<<"));
        const QRect main = m_f->main.frameGeometry();
        QCOMPARE(m_list->frameGeometry().topLeft(), QPoint(main.x() + main.width(), main.y()));

        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(!m_list->isVisible());
        QCOMPARE(button->text(), QStringLiteral(">>>"));

        m_f->main.move(m_f->main.pos() + QPoint(-40, 30));
        QTest::mouseClick(button, Qt::LeftButton);
        const QRect moved = m_f->main.frameGeometry();
        QCOMPARE(m_list->frameGeometry().topLeft(), QPoint(moved.x() + moved.width(), moved.y()));
    }

    void listLinesShowTheBank() {
        QCOMPARE(lines()->count(), 100);
        QCOMPARE(lines()->item(0)->text(), QStringLiteral("01.  New Name 1"));
        QCOMPARE(lines()->item(8)->text(), QStringLiteral("09.  New Name 9"));
        QCOMPARE(lines()->item(99)->text(), QStringLiteral("100.  New Name 100"));
        QVERIFY(lines()->selectedItems().isEmpty());
        goTo(3);
        name()->setText("Renamed");
        goTo(4);
        QCOMPARE(lines()->item(2)->text(), QStringLiteral("03.  New Name 3"));
        QTest::mouseClick(m_f->main.findChild<QToolButton*>("bntNew"), Qt::LeftButton);
        QCOMPARE(lines()->item(2)->text(), QStringLiteral("03.  New Name 3"));
        preset(3).name[0] = 'X'; // only a rebuild shows bank changes
        m_f->main.updatePresetsList();
        QCOMPARE(lines()->item(2)->text(), QStringLiteral("03.  Xew Name 3"));
    }

    void doubleClickChoosesALine() {
        m_list->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_list));
        QListWidgetItem* line = lines()->item(41);
        lines()->scrollToItem(line);
        const QPoint at = lines()->visualItemRect(line).center();
        QTest::mouseDClick(lines()->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(number()->text(), QStringLiteral("42"));
        QCOMPARE(shown(), 42);

        name()->setText("Edited 42");
        QTest::mouseDClick(lines()->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(PresetName(preset(42)), std::string("Edited 42    "));
        QCOMPARE(name()->text(), QStringLiteral("Edited 42    "));
        QVERIFY(!m_f->main.presetEdited());
    }

    void enterChoosesAndKeepsTheFocusInTheList() {
        focusTheList();
        lines()->setCurrentRow(4);
        QTest::keyClick(lines(), Qt::Key_Down);
        QTest::keyClick(lines(), Qt::Key_Down);
        QCOMPARE(shown(), 1); // arrows select, they do not move the main window
        QCOMPARE(lines()->currentRow(), 6);
        QTest::keyClick(lines(), Qt::Key_Return);
        QCOMPARE(shown(), 7);
        QCOMPARE(number()->text(), QStringLiteral("7"));
        QCOMPARE(QApplication::focusWidget(), lines());
    }

    void tabReturnsToTheNumberField() {
        goTo(3);
        name()->setFocus();
        focusTheList();
        QCOMPARE(m_f->main.focusWidget(), name());
        QTest::keyClick(lines(), Qt::Key_Tab);
        // The main window is asked to become active with the number field focused.
        QCOMPARE(m_f->main.focusWidget(), number());
        QApplication::setActiveWindow(&m_f->main);
        QCOMPARE(QApplication::focusWidget(), number());
        QVERIFY(m_f->interaction.messages.isEmpty());
    }

    void choosingMendsARejectedNumber() {
        emptyNumberField();
        typeNumber("0");
        m_list->show();
        lines()->setCurrentRow(11);
        emit lines()->itemDoubleClicked(lines()->item(11)); // not how lines are chosen
        QCOMPARE(shown(), 1);
        QTest::keyClick(lines(), Qt::Key_Enter);
        QCOMPARE(number()->text(), QStringLiteral("12"));
        QCOMPARE(shown(), 12);
    }

    void choosingWithNoLineSelectedPutsZero() {
        goTo(5);
        m_list->show();
        QVERIFY(lines()->selectedItems().isEmpty());
        QTest::keyClick(lines(), Qt::Key_Return);
        QCOMPARE(number()->text(), QStringLiteral("0"));
        QCOMPARE(shown(), 5);
    }
};

QTEST_MAIN(NavigationTest)
#include "test_navigation.moc"
