// The Bank Organizer on fakes: its table, and each operation from the keyboard or the
// context menu as one undo step, with the main window showing the preset now at its number.
#include "bank_organizer_form.h"
#include "editor_fixture.h"

#include <QAction>
#include <QLineEdit>
#include <QTableWidget>
#include <QtTest>

#include <numeric>

using namespace tarnwick;
using testing::EditorFixture;

class BankOrganizerTest : public QObject {
    Q_OBJECT

    std::unique_ptr<EditorFixture> m_f;
    TBankOrganizerForm* m_form = nullptr;

    PresetRecord& preset(int n) { return m_f->main.bank()[PresetIndex::fromOneBase(n)]; }
    // The presets' names in slot order, as the numbers in "Stage N".
    QList<int> order() {
        QList<int> numbers;
        for (int n = 1; n <= 100; ++n) {
            const QString name = QString::fromStdString(PresetName(preset(n))).trimmed();
            numbers << (name.startsWith("Stage ") ? name.mid(6).toInt() : 0);
        }
        return numbers;
    }

private slots:
    void init() {
        m_f = std::make_unique<EditorFixture>();
        for (int n = 1; n <= 100; ++n) {
            SetPresetName(preset(n), "Stage " + std::to_string(n));
        }
        preset(4).channel(1)[SlotKind::Msb] = 0;
        preset(4).channel(2)[SlotKind::Program] = 56;
        m_f->showWithPresetList();
        m_form = new TBankOrganizerForm(m_f->main, &m_f->main);
        QObject::connect(&m_f->main, &TMainForm::bankShown, m_form, &TBankOrganizerForm::refresh);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
    }
    void cleanup() { m_f.reset(); }

    void tableShowsTheBank() {
        QTableWidget* table = m_form->table();
        QCOMPARE(table->accessibleName(), QStringLiteral("Bank"));
        QCOMPARE(table->item(3, 0)->text(), QStringLiteral("4"));
        QCOMPARE(table->item(3, 1)->text(), QStringLiteral("Stage 4"));
        QCOMPARE(table->item(3, 2)->text(), QStringLiteral("1: 0/-/-  2: -/-/57"));
        QVERIFY(table->item(0, 1)->font().bold()); // the preset shown
        QVERIFY(!table->item(3, 1)->font().bold());
    }

    // Rows are one-based; the main window shows preset 11 with an edit not yet stored.
    void operationsAreOneUndoStepEach_data() {
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QList<int>>("changed"); // slot: the preset that stands there now
        QTest::newRow("Alt+Down on 10 to 12")
            << QList<int>{10, 11, 12} << "Alt+Down" << QList<int>{10, 13, 11, 10, 12, 11, 13, 12};
        QTest::newRow("Alt+Up on 10 to 12")
            << QList<int>{10, 11, 12} << "Alt+Up" << QList<int>{9, 10, 10, 11, 11, 12, 12, 9};
        QTest::newRow("Alt+Up at row 1 does nothing") << QList<int>{1} << "Alt+Up" << QList<int>{};
        QTest::newRow("Delete 2 and 5") << QList<int>{2, 5} << "Delete" << QList<int>{2, 0, 5, 0};
        QTest::newRow("Swap 4 and 90") << QList<int>{4, 90} << "Swap" << QList<int>{4, 90, 90, 4};
    }
    void operationsAreOneUndoStepEach() {
        QFETCH(QList<int>, rows);
        QFETCH(QString, operation);
        QFETCH(QList<int>, changed);
        m_f->main.showPresetNumber(11);
        auto* name = m_f->main.findChild<QLineEdit*>("edPresetName");
        name->setText("Edited");
        QTableWidget* table = m_form->table();
        table->clearSelection();
        for (int row : rows) {
            table->selectionModel()->select(table->model()->index(row - 1, 0),
                                            QItemSelectionModel::Select |
                                                QItemSelectionModel::Rows);
        }
        table->setFocus();
        if (operation == "Swap") {
            m_form->findChild<QAction*>("actSwap")->trigger();
        } else {
            QTest::keyClick(table,
                            operation == "Delete"   ? Qt::Key_Delete
                            : operation == "Alt+Up" ? Qt::Key_Up
                                                    : Qt::Key_Down,
                            operation == "Delete" ? Qt::NoModifier : Qt::AltModifier);
        }
        QList<int> expected(100);
        std::iota(expected.begin(), expected.end(), 1);
        if (changed.isEmpty()) { // refused: nothing stored, nothing moved
            QCOMPARE(order(), expected);
            QVERIFY(m_f->main.presetEdited());
            return;
        }
        for (qsizetype i = 0; i + 1 < changed.size(); i += 2) {
            expected[changed[i] - 1] = changed[i + 1];
        }
        // The edit went into preset 11 before anything moved.
        const int edited = int(expected.indexOf(11));
        expected[edited] = 0;
        QCOMPARE(order(), expected);
        QCOMPARE(QString::fromStdString(PresetName(preset(edited + 1))).trimmed(),
                 QStringLiteral("Edited"));
        // The main window shows what now stands at number 11, no edit pending.
        QCOMPARE(name->text().trimmed(), QString::fromStdString(PresetName(preset(11))).trimmed());
        QVERIFY(!m_f->main.presetEdited());
        QCOMPARE(table->item(edited, 1)->text().trimmed(), QStringLiteral("Edited"));
        // One step takes the operation back; the edit, stored first, is a step of its own.
        m_f->main.findChild<QAction*>("actUndo")->trigger();
        QList<int> before(100);
        std::iota(before.begin(), before.end(), 1);
        before[10] = 0;
        QCOMPARE(order(), before);
    }
};

QTEST_MAIN(BankOrganizerTest)
#include "test_bank_organizer.moc"
