// The Bank Organizer on fakes: its table, and each operation from the keyboard or the
// context menu as one undo step, with the main window showing the preset now at its number.
#include "commands/file_commands.h"
#include "drop_files.h"
#include "editor_fixture.h"
#include "library/library_form.h"
#include "library/library_recorder.h"
#include "library/preset_library.h"
#include "main_window/preset_number_dialog.h"
#include "organizer/bank_organizer_form.h"
#include "organizer/bank_table_model.h"
#include "organizer/presets_mime.h"
#include "preset/preset_json.h"
#include "preset/syx_file.h"
#include "sounds/rig_form.h"
#include "sounds/rig_service.h"
#include "support/window_place.h"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTreeWidget>
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
        m_form = new TBankOrganizerForm(m_f->main, m_f->interaction, &m_f->main);
        QObject::connect(&m_f->main, &TMainForm::bankShown, m_form, &TBankOrganizerForm::refresh);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
    }
    void cleanup() { m_f.reset(); }

    void tableShowsTheBank() {
        QTableView* table = m_form->table();
        QCOMPARE(table->accessibleName(), QStringLiteral("Bank"));
        QCOMPARE(table->model()->index(3, 0).data().toString(), QStringLiteral("4"));
        QCOMPARE(table->model()->index(3, 1).data().toString(), QStringLiteral("Stage 4"));
        QCOMPARE(table->model()->index(3, 2).data().toString(),
                 QStringLiteral("1: 0/-/-  2: -/-/57"));
        QVERIFY(table->model()->index(0, 1).data(Qt::FontRole).value<QFont>().bold()); // the preset
                                                                                       // shown
        QVERIFY(!table->model()->index(3, 1).data(Qt::FontRole).value<QFont>().bold());
    }

    // The clipboard's two forms on their own: our messages first, else the JSON text; what
    // either carries comes back byte for byte; what is not presets is refused with a reason.
    void clipboardForms_data() {
        QTest::addColumn<QString>("holds");
        QTest::addColumn<QString>("reason"); // empty: presets 1 and 2 come back
        QTest::newRow("both forms") << "both"
                                    << "";
        QTest::newRow("our messages only") << "messages"
                                           << "";
        QTest::newRow("JSON text only") << "json"
                                        << "";
        QTest::newRow("our messages win over other text") << "messages, other text"
                                                          << "";
        QTest::newRow("our messages cut short") << "cut messages"
                                                << "Unexpected End-of-File.";
        QTest::newRow("nothing") << "nothing"
                                 << "The clipboard holds no presets.";
        QTest::newRow("text that is not JSON")
            << "other text"
            << "The clipboard holds no presets: its text is no JSON of presets (as tarnwick-syx "
               "export writes them, or one preset as the manual shows it).";
        QTest::newRow("a number too large for JSON")
            << "json 1e400"
            << "The clipboard holds no presets: its text is no JSON of presets (as tarnwick-syx "
               "export writes them, or one preset as the manual shows it).";
        QTest::newRow("JSON without a field") << "json without presets"
                                              << "The clipboard holds no presets: presets: is "
                                                 "missing.";
        QTest::newRow("the manual's one preset") << "manual"
                                                 << "";
    }
    void clipboardForms() {
        QFETCH(QString, holds);
        QFETCH(QString, reason);
        preset(2).channel(16)[SlotKind::Lsb] = 0x85; // switched off, keeps 5
        std::unique_ptr<QMimeData> copied(PresetsMimeData({preset(1), preset(2)}, 99));
        QMimeData pasted;
        if (holds.contains("messages") || holds == "both") {
            QByteArray messages = copied->data(kPresetsMimeType);
            QCOMPARE(messages.size(), 2 * 153);
            if (holds.startsWith("cut")) {
                messages.chop(1);
            }
            pasted.setData(kPresetsMimeType, messages);
        }
        if (holds == "json" || holds == "both") {
            pasted.setText(copied->text());
            // Numbered from 99 on, and never past 100.
            QVERIFY(copied->text().contains("\"number\": 99,"));
            QVERIFY(copied->text().contains("\"number\": 100,"));
        } else if (holds.contains("other text")) {
            pasted.setText(QStringLiteral("not presets"));
        } else if (holds == "json 1e400") { // the JSON library throws out_of_range for it
            pasted.setText(QStringLiteral(R"({"format": "tarnwick-presets", "version": 1e400})"));
        } else if (holds == "json without presets") {
            pasted.setText(QStringLiteral(R"({"format": "tarnwick-presets", "version": 2})"));
        } else if (holds == "manual") { // as the manual's chapter on tarnwick-syx shows it
            pasted.setText(QStringLiteral(R"({
  "number": 2,
  "name": "Strings Pad  ",
  "placement": "Pre",
  "data": "B0 07 64",
  "channels": {
    "1": {"bankMsb": 121, "program": 49}
  }
})"));
        }
        std::string why;
        const auto records = PresetsFromMimeData(&pasted, why);
        QCOMPARE(QString::fromStdString(why), reason);
        if (!reason.isEmpty()) {
            QVERIFY(!records);
            return;
        }
        if (holds == "manual") {
            QVERIFY(records && records->size() == 1);
            QCOMPARE(PresetName(records->front()), std::string("Strings Pad  "));
            QCOMPARE(records->front().channel(1)[SlotKind::Program], std::uint8_t{48});
            return;
        }
        QVERIFY(records && records->size() == 2);
        for (int n = 1; n <= 2; ++n) {
            const auto index = PresetIndex::fromOneBase(n);
            QVERIFY(MessageKeepingName((*records)[std::size_t(n - 1)], index) ==
                    MessageKeepingName(preset(n), index));
        }
    }

    // What a drop does, asked of the model alone: `on` is the row dropped on (-1: none),
    // `between` the row a line between rows stands above (-1: none; both -1: below the
    // last row). The answer: "move ROWS>SLOT", "paste SLOT", "file SLOT" or "refused".
    void dropRules_data() {
        QTest::addColumn<QString>("carried");
        QTest::addColumn<int>("on");
        QTest::addColumn<int>("between");
        QTest::addColumn<QString>("does");
        QTest::newRow("own rows on a row") << "rows" << 4 << -1 << "move 9,10>4";
        QTest::newRow("own rows between rows") << "rows" << -1 << 7 << "move 9,10>7";
        QTest::newRow("own rows below the last") << "rows" << -1 << -1 << "move 9,10>100";
        QTest::newRow("another editor's presets on a row") << "presets" << 4 << -1 << "paste 4";
        QTest::newRow("another editor's presets between rows") << "presets" << -1 << 7 << "paste 7";
        QTest::newRow("presets below the last") << "presets" << -1 << -1 << "refused";
        QTest::newRow("JSON text of presets") << "json" << 2 << -1 << "paste 2";
        QTest::newRow("JSON text without presets") << "{}" << 2 << -1 << "refused";
        QTest::newRow("words") << "a set list for Friday" << 2 << -1 << "refused";
        QTest::newRow("a .syx file") << "file" << 97 << -1 << "file 97";
        QTest::newRow("a folder") << "folder" << 3 << -1 << "refused";
        QTest::newRow("a text file, with its path as text") << "text file" << 3 << -1 << "refused";
    }
    void dropRules() {
        QFETCH(QString, carried);
        QFETCH(int, on);
        QFETCH(int, between);
        QFETCH(QString, does);
        auto* model = static_cast<BankTableModel*>(m_form->table()->model());
        QString done = QStringLiteral("refused");
        model->moveRows = [&done](const std::vector<int>& rows, int before) {
            QStringList list;
            for (int row : rows) {
                list << QString::number(row);
            }
            done = QStringLiteral("move %1>%2").arg(list.join(u','), QString::number(before));
        };
        model->pastePresets = [&done](const QMimeData*, int slot, const std::string& holder) {
            QCOMPARE(holder, std::string("The drop")); // its message speaks of the drop
            done = QStringLiteral("paste %1").arg(slot);
        };
        model->pasteFile = [&done](const QString&, int slot) {
            done = QStringLiteral("file %1").arg(slot);
        };
        QTemporaryDir folder;
        std::unique_ptr<QMimeData> mime;
        if (carried == "rows") {
            mime.reset(model->presetsData({9, 10}));
        } else if (carried == "presets") {
            mime.reset(PresetsMimeData({preset(1)}, 1));
        } else if (carried == "json") {
            std::unique_ptr<QMimeData> both(PresetsMimeData({preset(1)}, 1));
            mime = std::make_unique<QMimeData>();
            mime->setText(both->text());
        } else if (!carried.contains("file") && carried != "folder") {
            mime = std::make_unique<QMimeData>();
            mime->setText(carried);
        } else {
            mime = std::make_unique<QMimeData>();
            QString path = folder.filePath(carried == "file" ? "Bank.syx" : "notes.txt");
            QFile(path).open(QIODevice::WriteOnly);
            if (carried == "folder") {
                path = folder.path();
            }
            mime->setUrls({QUrl::fromLocalFile(path)});
            mime->setText(path); // as file managers add it
        }
        const QModelIndex parent = on >= 0 ? model->index(on, 0) : QModelIndex();
        // Refused as the drag comes in, not only at the drop.
        QCOMPARE(model->canDropMimeData(mime.get(), Qt::CopyAction, between, 0, parent),
                 does != "refused" || carried == "presets");
        const bool accepted = model->dropMimeData(mime.get(), Qt::CopyAction, between, 0, parent);
        QCOMPARE(done, does);
        QCOMPARE(accepted, does != "refused");
    }

    // Rows are one-based; the main window shows preset 11 with an edit not yet stored.
    // While a drag is over the table, the rows a drop would write over are marked on the
    // screen (seen in the pixels), a move shows its line only; rows are 1-based here.
    void theDropMarkShowsWhatADropWrites_data() {
        QTest::addColumn<QString>("carried");
        QTest::addColumn<int>("over");
        QTest::addColumn<int>("down"); // pixels from the row's centre
        QTest::addColumn<QList<int>>("marked");
        QTest::newRow("own rows: a move") << "rows" << 5 << 0 << QList<int>{};
        QTest::newRow("two presets on row 5") << "presets" << 5 << 0 << QList<int>{5, 6};
        QTest::newRow("two presets at row 5's lower edge")
            << "presets" << 5 << 100 << QList<int>{6, 7};
        QTest::newRow("two presets on row 100") << "presets" << 100 << 0 << QList<int>{100};
        QTest::newRow("a bank file on row 98") << "bank" << 98 << 0 << QList<int>{98, 99, 100};
        QTest::newRow("a one-preset file on row 40") << "preset file" << 40 << 0 << QList<int>{40};
        QTest::newRow("a folder") << "folder" << 40 << 0 << QList<int>{};
    }
    void theDropMarkShowsWhatADropWrites() {
        QFETCH(QString, carried);
        QFETCH(int, over);
        QFETCH(int, down);
        QFETCH(QList<int>, marked);
        QTableView* table = m_form->table();
        QTemporaryDir folder;
        std::unique_ptr<QMimeData> mime;
        if (carried == "rows") {
            mime.reset(m_form->presetsData({9, 10}));
        } else if (carried == "presets") {
            mime.reset(PresetsMimeData({preset(1), preset(2)}, 1));
        } else {
            mime = std::make_unique<QMimeData>();
            const QString path = folder.filePath("Dropped.syx");
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(carried == "bank" ? 153 * 100 : 153, '\0'));
            file.close();
            mime->setUrls({QUrl::fromLocalFile(carried == "folder" ? folder.path() : path)});
        }
        table->scrollTo(table->model()->index(over - 1, 0), QAbstractItemView::PositionAtCenter);
        const QImage before = table->viewport()->grab().toImage();
        QRect rect = table->visualRect(table->model()->index(over - 1, 0));
        const QPoint at(rect.center().x(), std::min(rect.center().y() + down, rect.bottom()));
        QDragEnterEvent enter(at, Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(table->viewport(), &enter);
        QDragMoveEvent move(at, Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(table->viewport(), &move);
        const QImage during = table->viewport()->grab().toImage();
        QList<int> seen;
        for (int row = 1; row <= 100; ++row) {
            rect = table->visualRect(table->model()->index(row - 1, BankTableModel::kMidiData));
            const QPoint blank(rect.right() - 4, rect.center().y()); // no text there
            if (table->viewport()->rect().contains(blank) &&
                before.pixel(blank) != during.pixel(blank)) {
                seen << row;
            }
        }
        QCOMPARE(seen, marked);
        QDragLeaveEvent leave;
        QApplication::sendEvent(table->viewport(), &leave);
        QCOMPARE(table->viewport()->grab().toImage(), before);
    }

    void operationsAreOneUndoStepEach_data() {
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QList<int>>("changed"); // slot: the preset that stands there now
        QTest::addColumn<QString>("message");
        QTest::addColumn<QList<int>>("afterUndo"); // the rows selected once Ctrl+Z undid it
        QTest::newRow("Alt+Down on 10 to 12")
            << QList<int>{10, 11, 12} << "Alt+Down" << QList<int>{10, 13, 11, 10, 12, 11, 13, 12}
            << "" << QList<int>{10, 11, 12};
        QTest::newRow("Alt+Up on 10 to 12")
            << QList<int>{10, 11, 12} << "Alt+Up" << QList<int>{9, 10, 10, 11, 11, 12, 12, 9} << ""
            << QList<int>{10, 11, 12};
        QTest::newRow("Down button, pressed by a screen reader, on 10 to 12")
            << QList<int>{10, 11, 12} << "btnDown" << QList<int>{10, 13, 11, 10, 12, 11, 13, 12}
            << "" << QList<int>{10, 11, 12};
        QTest::newRow("Up button on 10 to 12")
            << QList<int>{10, 11, 12} << "btnUp" << QList<int>{9, 10, 10, 11, 11, 12, 12, 9} << ""
            << QList<int>{10, 11, 12};
        QTest::newRow("Up button at row 1 is off")
            << QList<int>{1} << "btnUp" << QList<int>{} << "" << QList<int>{};
        QTest::newRow("Swap button on 4 and 90")
            << QList<int>{4, 90} << "btnSwap" << QList<int>{4, 90, 90, 4} << ""
            << QList<int>{4, 90};
        QTest::newRow("Swap button on three rows is off")
            << QList<int>{4, 5, 90} << "btnSwap" << QList<int>{} << "" << QList<int>{};
        QTest::newRow("Delete button on 2 and 5")
            << QList<int>{2, 5} << "btnDelete" << QList<int>{2, 0, 5, 0} << "" << QList<int>{2, 5};
        QTest::newRow("Alt+Up at row 1 does nothing")
            << QList<int>{1} << "Alt+Up" << QList<int>{} << "" << QList<int>{};
        QTest::newRow("drag 10 to 12 before row 3")
            << QList<int>{10, 11, 12} << "drag before 3"
            << QList<int>{3, 10, 4, 11, 5, 12, 6, 3, 7, 4, 8, 5, 9, 6, 10, 7, 11, 8, 12, 9} << ""
            << QList<int>{10, 11, 12};
        QTest::newRow("Delete 2 and 5")
            << QList<int>{2, 5} << "Delete" << QList<int>{2, 0, 5, 0} << "" << QList<int>{2, 5};
        QTest::newRow("Swap 4 and 90")
            << QList<int>{4, 90} << "Swap" << QList<int>{4, 90, 90, 4} << "" << QList<int>{4, 90};
        QTest::newRow("JSON of 40 and 41 pasted at 5")
            << QList<int>{5} << "paste JSON" << QList<int>{5, 40, 6, 41} << "" << QList<int>{5, 6};
        QTest::newRow("JSON with a bad name refused")
            << QList<int>{5} << "paste bad JSON" << QList<int>{}
            << "The clipboard holds no presets: preset 1 of the list, name: must be at most 13 "
               "characters from U+0000 to U+007F."
            << QList<int>{};
        QTest::newRow("1 to 3 copied, pasted at 99")
            << QList<int>{1, 2, 3} << "copy, paste at 99" << QList<int>{99, 1, 100, 2}
            << "1 preset was left out: the bank ends at preset 100." << QList<int>{99, 100};
        QTest::newRow("a bank file dropped on 98")
            << QList<int>{1} << "drop bank on 98" << QList<int>{98, 201, 99, 202, 100, 203} << ""
            << QList<int>{98, 99, 100};
    }
    void operationsAreOneUndoStepEach() {
        QFETCH(QList<int>, rows);
        QFETCH(QString, operation);
        QFETCH(QList<int>, changed);
        QFETCH(QString, message);
        QFETCH(QList<int>, afterUndo);
        m_f->main.showPresetNumber(11);
        auto* name = m_f->main.findChild<QLineEdit*>("edPresetName");
        name->setText("Edited");
        QTableView* table = m_form->table();
        const auto select = [table](const QList<int>& chosen) {
            table->clearSelection();
            for (int row : chosen) {
                table->selectionModel()->select(table->model()->index(row - 1, 0),
                                                QItemSelectionModel::Select |
                                                    QItemSelectionModel::Rows);
            }
        };
        select(rows);
        table->setFocus();
        const auto dropOn = [table](const QMimeData& mime, int row, int down) {
            table->scrollTo(table->model()->index(row - 1, 0));
            const QRect rect = table->visualRect(table->model()->index(row - 1, 0));
            QVERIFY(testing::DropData(*table->viewport(), mime, rect.center() + QPoint(0, down)));
        };
        QTemporaryDir folder;
        const auto presetsJson = [this](const std::vector<int>& numbers) {
            std::vector<SyxMessage> messages;
            for (int n : numbers) {
                messages.push_back({0, std::uint8_t(n - 1), preset(n), {}});
            }
            return QString::fromStdString(PresetsToJsonText(messages));
        };
        if (operation.startsWith("btn")) {
            // As a screen reader presses it: a button that is off does nothing.
            auto* button = m_form->findChild<QPushButton*>(operation);
            QCOMPARE(button->isEnabled(), !changed.isEmpty());
            QVERIFY(button->toolTip().startsWith(button->accessibleName()));
            QAccessibleInterface* node = QAccessible::queryAccessibleInterface(button);
            QVERIFY(node && node->actionInterface());
            if (button->isEnabled()) {
                node->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
                QTRY_VERIFY(!m_f->main.presetEdited()); // a press clicks as it is drawn down
            }
        } else if (operation == "Swap") {
            m_form->findChild<QAction*>("actSwap")->trigger();
        } else if (operation == "drag before 3") {
            std::unique_ptr<QMimeData> dragged(m_form->presetsData({9, 10, 11}));
            dropOn(*dragged, 3, -2); // the upper half of row 3
        } else if (operation.startsWith("paste")) {
            QString json = presetsJson({40, 41});
            if (operation == "paste bad JSON") {
                json.replace("Stage 40", "Stag\u00e9 40");
            }
            QGuiApplication::clipboard()->setText(json);
            QTest::keyClick(table, Qt::Key_V, Qt::ControlModifier);
        } else if (operation == "copy, paste at 99") {
            QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
            QVERIFY(QGuiApplication::clipboard()->text().contains("\"number\": 3,"));
            select({99});
            QTest::keyClick(table, Qt::Key_V, Qt::ControlModifier);
        } else if (operation == "drop bank on 98") {
            PresetBank bank;
            QByteArray bytes;
            for (int n = 1; n <= 100; ++n) {
                SetPresetName(bank[PresetIndex::fromOneBase(n)],
                              "Stage " + std::to_string(200 + n));
                const PresetMessage m = EncodePresetMessage(bank[PresetIndex::fromOneBase(n)],
                                                            PresetIndex::fromOneBase(n));
                bytes.append(reinterpret_cast<const char*>(m.data()), qsizetype(m.size()));
            }
            QFile file(folder.filePath("Other.syx"));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
            file.close();
            QMimeData files;
            files.setUrls({QUrl::fromLocalFile(file.fileName())});
            dropOn(files, 98, 0);
        } else {
            QTest::keyClick(table,
                            operation == "Delete"   ? Qt::Key_Delete
                            : operation == "Alt+Up" ? Qt::Key_Up
                                                    : Qt::Key_Down,
                            operation == "Delete" ? Qt::NoModifier : Qt::AltModifier);
        }
        QCOMPARE(m_f->interaction.messages.isEmpty() ? QString()
                                                     : m_f->interaction.messages.last().text,
                 message);
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
        QCOMPARE(table->model()->index(edited, 1).data().toString().trimmed(),
                 QStringLiteral("Edited"));
        // One step takes the operation back, Ctrl+Z in this window as in the main window;
        // the edit, stored first, is a step of its own.
        QTest::keyClick(table, Qt::Key_Z, Qt::ControlModifier);
        QList<int> before(100);
        std::iota(before.begin(), before.end(), 1);
        before[10] = 0;
        QCOMPARE(order(), before);
        // The selection followed the presets back, or marks the rows the step gave back.
        QList<int> selected;
        for (const QModelIndex& row : table->selectionModel()->selectedRows()) {
            selected << row.row() + 1;
        }
        std::sort(selected.begin(), selected.end());
        QCOMPARE(selected, afterUndo);
    }

    // A bank opened is recorded; the Library finds its presets by a part of the name and by
    // channel and program, and one dragged onto a slot replaces it as one undo step.
    void theLibraryFeedsTheOrganizer() {
        QTemporaryDir folder;
        LibraryRecorder recorder(folder.filePath("library.sqlite").toStdString());
        PresetFileCommands files(m_f->main, *new TSaveForm(&m_f->main), *new TLoadForm(&m_f->main),
                                 m_f->interaction, m_f->clock);
        files.setRecorder(&recorder);
        QByteArray bytes;
        for (int n = 1; n <= 100; ++n) {
            const PresetMessage m = EncodePresetMessage(preset(n), PresetIndex::fromOneBase(n));
            bytes.append(reinterpret_cast<const char*>(m.data()), qsizetype(m.size()));
        }
        QFile file(folder.filePath("Stage.syx"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        file.close();
        m_f->main.runCommand([&] { files.openAllFrom(file.fileName()); });
        recorder.waitForDone();
        TLibraryForm library(m_f->main, recorder, m_f->interaction);
        library.show();
        QStringList played;
        library.setPlayer([&played](const PresetRecord& record) {
            played << QString::fromStdString(PresetName(record)).trimmed();
        });
        auto* field = library.findChild<QLineEdit*>("edLibrarySearch");
        QTest::keyClicks(field, "AGE 4");
        library.waitForReads();
        QCOMPARE(library.results()->topLevelItemCount(), 11); // 4 and 40 to 49
        QCOMPARE(library.status()->text(), QStringLiteral("11 presets found; 1 bank recorded."));
        // Down from the search field into the results; Enter plays the one there.
        library.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&library));
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Down);
        QCOMPARE(QApplication::focusWidget(), library.results());
        QTest::keyClick(library.results(), Qt::Key_Return);
        QCOMPARE(played, QStringList{library.results()->topLevelItem(0)->text(0).trimmed()});
        library.findChild<QSpinBox*>("spinLibraryChannel")->setValue(2);
        library.findChild<QSpinBox*>("spinLibraryProgram")->setValue(57);
        library.waitForReads();
        QCOMPARE(library.results()->topLevelItemCount(), 1);
        QCOMPARE(library.results()->topLevelItem(0)->text(2), QStringLiteral("Stage.syx"));
        QTableView* table = m_form->table();
        library.results()->setCurrentItem(library.results()->topLevelItem(0));
        std::unique_ptr<QMimeData> dragged(library.results()->model()->mimeData(
            library.results()->selectionModel()->selectedIndexes()));
        const QPoint row7 = table->visualRect(table->model()->index(6, 0)).center();
        QVERIFY(testing::DropData(*table->viewport(), *dragged, row7));
        QCOMPARE(order()[6], 4);
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form));
        QTest::keyClick(table, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(order()[6], 7);
    }

    // A recording that lands while the Library is open, this editor's or another program's
    // (seen within a second), lists the newest presets first; the preset and the bank
    // chosen stay chosen, found again by their IDs.
    void theLibraryKeepsWhatIsChosenAsRecordingsLand_data() {
        QTest::addColumn<bool>("byAnotherProgram");
        QTest::newRow("recorded by this editor") << false;
        QTest::newRow("recorded by another program") << true;
    }
    void theLibraryKeepsWhatIsChosenAsRecordingsLand() {
        QFETCH(bool, byAnotherProgram);
        QTemporaryDir folder;
        LibraryRecorder recorder(folder.filePath("library.sqlite").toStdString());
        std::vector<PresetRecord> first;
        for (int n = 1; n <= 100; ++n) {
            first.push_back(preset(n));
        }
        recorder.record(first, folder.filePath("Stage.syx"), "opened");
        recorder.waitForDone();
        QCoreApplication::sendPostedEvents(&recorder); // said before the window is there
        TLibraryForm library(m_f->main, recorder, m_f->interaction);
        library.show();
        library.waitForReads();
        QTreeWidget* results = library.results();
        QCOMPARE(results->topLevelItemCount(), 100);
        const auto chosen = [](QTreeWidget* tree) {
            QStringList names;
            for (QTreeWidgetItem* item : tree->selectedItems()) {
                names << item->text(0).trimmed();
            }
            return names.join(u',') + u'|' +
                   (tree->currentItem() ? tree->currentItem()->text(0).trimmed() : QString());
        };
        results->setCurrentItem(results->topLevelItem(41)); // Stage 42
        const QString before = chosen(results);
        QCOMPARE(before, QStringLiteral("Stage 42|Stage 42"));
        QTabWidget* pages = library.findChild<QTabWidget*>();
        pages->setCurrentWidget(library.banks());
        library.waitForReads();
        library.banks()->setCurrentItem(library.banks()->topLevelItem(0));
        std::vector<PresetRecord> second = first;
        for (int n = 0; n < 10; ++n) {
            SetPresetName(second[std::size_t(n)], "New " + std::to_string(n));
        }
        if (byAnotherProgram) { // as tarnwick-syx library add records: its own connection
            PresetLibrary other;
            QVERIFY(
                other.open(folder.filePath("library.sqlite").toStdString(), LibraryAccess::Write));
            QVERIFY(other.record(second, folder.filePath("Tour.syx").toStdString(), "tarnwick-syx",
                                 "added"));
            // Looked at twice a second; room left for a sanitizer build on a busy machine.
            QTRY_COMPARE_WITH_TIMEOUT(results->topLevelItemCount(), 110, 2500);
        } else {
            recorder.record(second, folder.filePath("Tour.syx"), "opened");
            recorder.waitForDone();
            QCoreApplication::sendPostedEvents(&recorder); // "recorded" reaches the window
        }
        library.waitForReads();
        QCOMPARE(results->topLevelItemCount(), 110);
        QCOMPARE(results->topLevelItem(0)->text(2), QStringLiteral("Tour.syx"));
        QCOMPARE(chosen(results), before);
        QCOMPARE(library.banks()->topLevelItemCount(), 2);
        QCOMPARE(library.banks()->currentItem()->text(0), QStringLiteral("Stage.syx"));
        QCOMPARE(library.banks()->currentItem()->text(2), QStringLiteral("Opened"));

        // Delete forgets the chosen bank once the user agrees, with the presets only it held.
        library.banks()->clearSelection();
        library.banks()->topLevelItem(0)->setSelected(true); // Tour.syx, the newest
        m_f->interaction.messageAnswers = {QMessageBox::No, QMessageBox::Yes};
        library.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&library));
        for (int answer = 0; answer < 2; ++answer) {
            QTest::keyClick(library.banks(), Qt::Key_Delete);
            recorder.waitForDone();
            QCoreApplication::sendPostedEvents(&recorder);
            library.waitForReads();
        }
        QCOMPARE(m_f->interaction.messages.size(), 2);
        // The bank left, Stage.syx, is opened from the library: its file is gone.
        emit library.banks()->itemActivated(library.banks()->topLevelItem(0), 0);
        QCOMPARE(library.status()->text(),
                 QDir::toNativeSeparators(folder.filePath("Stage.syx")) +
                     QStringLiteral(" is gone; opened the library's copy of it."));
        QCOMPARE(order()[0], 1);
        QCOMPARE(m_f->interaction.messages.last().text,
                 QStringLiteral("Forget 1 bank and the presets nothing else holds? The files "
                                "themselves are not touched."));
        QCOMPARE(library.banks()->topLevelItemCount(), 1);
        QCOMPARE(results->topLevelItemCount(), 100); // "New 0" to "New 9" went with Tour.syx
        QVERIFY(QFile::exists(folder.filePath("library.sqlite")));
    }

    // Tab leaves the table for "Play on select"; the Menu key (Shift+F10) opens the context
    // menu at the current row; Escape closes the window.
    void theOrganizerByKeyboard() {
        QTableView* table = m_form->table();
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form));
        table->setFocus();
        table->setCurrentIndex(table->model()->index(4, 1));
        QTest::keyClick(table, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), m_form->findChild<QCheckBox*>("chkPlayOnSelect"));
        table->setFocus();
        QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(), QPoint());
        QApplication::sendEvent(table, &menuKey);
        auto* menu = m_form->findChild<QMenu*>();
        QTRY_VERIFY(menu->isVisible());
        QVERIFY(menu->geometry().contains(
            table->viewport()->mapToGlobal(table->visualRect(table->currentIndex()).center())));
        menu->hide();
        QTest::keyClick(table, Qt::Key_Escape);
        QVERIFY(!m_form->isVisible());
    }

    // The Bank Organizer and the Library open wholly on the screen, even when the main
    // window stands at its right edge, and the organizer's title names the bank's file.
    void windowsOpenOnTheScreen_data() {
        QTest::addColumn<QString>("window");
        QTest::newRow("Bank Organizer") << "organizer";
        QTest::newRow("Library") << "library";
        QTest::newRow("Rig") << "rig";
    }
    void windowsOpenOnTheScreen() {
        QFETCH(QString, window);
        QSettings().remove(QStringLiteral("BankOrganizer/geometry"));
        QSettings().remove(QStringLiteral("Library/geometry"));
        QSettings().remove(QStringLiteral("Rig/geometry"));
        const QRect room = m_f->main.screen()->availableGeometry();
        m_f->main.move(room.right() - m_f->main.frameGeometry().width() + 1, room.top());
        LibraryRecorder recorder(std::nullopt);
        RigService rig({}, std::nullopt);
        std::unique_ptr<QWidget> shown;
        if (window == "organizer") {
            auto* organizer = new TBankOrganizerForm(m_f->main, m_f->interaction, &m_f->main);
            organizer->setBankFile([] { return QStringLiteral("/gigs/Gig2024.syx"); });
            shown.reset(organizer);
        } else if (window == "library") {
            shown =
                std::make_unique<TLibraryForm>(m_f->main, recorder, m_f->interaction, &m_f->main);
        } else {
            shown = std::make_unique<TRigForm>(rig, m_f->interaction, &m_f->main);
        }
        shown->show();
        QVERIFY(QTest::qWaitForWindowExposed(shown.get()));
        QVERIFY2(room.contains(shown->frameGeometry()),
                 qPrintable(QStringLiteral("%1,%2 %3x%4 in %5x%6")
                                .arg(shown->frameGeometry().x())
                                .arg(shown->frameGeometry().y())
                                .arg(shown->frameGeometry().width())
                                .arg(shown->frameGeometry().height())
                                .arg(room.width())
                                .arg(room.height())));
        // Beside the main window, not over it (its Sound column), where the screen has room.
        if (room.width() >= m_f->main.frameGeometry().width() + shown->frameGeometry().width()) {
            QVERIFY(!shown->frameGeometry().intersects(m_f->main.frameGeometry()));
        }
        if (window == "organizer") {
            QCOMPARE(shown->windowTitle(), QStringLiteral("Bank Organizer \u2014 Gig2024.syx"));
        }
        // Where the right has no room for a window, it opens on the left.
        QWidget narrow;
        narrow.resize(200, 100);
        narrow.move(room.right() - 220, room.top());
        narrow.show();
        QVERIFY(QTest::qWaitForWindowExposed(&narrow));
        QWidget beside(&narrow, Qt::Window);
        beside.resize(150, 100);
        QSettings().remove(QStringLiteral("Beside/geometry"));
        WindowPlace place(beside, QStringLiteral("Beside/geometry"));
        place.showing();
        beside.show();
        QVERIFY(QTest::qWaitForWindowExposed(&beside));
        QVERIFY2(beside.frameGeometry().right() < narrow.frameGeometry().left(),
                 qPrintable(QStringLiteral("%1 %2")
                                .arg(beside.frameGeometry().right())
                                .arg(narrow.frameGeometry().left())));
        // Room on neither side: at the screen's left edge, clear of the main window's right
        // half, where its Sound column stands.
        beside.hide();
        narrow.move(room.center().x() - 100, room.top());
        QWidget wide(&narrow, Qt::Window);
        wide.resize(room.width() / 2 - 50, 100);
        QSettings().remove(QStringLiteral("Wide/geometry"));
        WindowPlace widePlace(wide, QStringLiteral("Wide/geometry"));
        widePlace.showing();
        wide.show();
        QVERIFY(QTest::qWaitForWindowExposed(&wide));
        QCOMPARE(wide.frameGeometry().left(), room.left());
        QVERIFY(wide.frameGeometry().right() < narrow.frameGeometry().center().x());
    }

    // With "Play on select" on, choosing one row plays it; Space plays the selected row.
    void playingFromTheGrid() {
        QStringList played;
        m_form->setPlayer([&played](const PresetRecord& record) {
            played << QString::fromStdString(PresetName(record)).trimmed();
        });
        QTableView* table = m_form->table();
        table->setFocus();
        const auto click = [table](int row) {
            QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                              table->visualRect(table->model()->index(row, 1)).center());
        };
        preset(6).channel(3)[SlotKind::Program] = 10; // something to play
        m_f->main.loadPresetFromBank();
        m_form->refresh();
        auto* status = m_form->findChild<QLabel*>("lblOrganizerStatus");
        click(3); // plays nothing while the box is off
        m_form->findChild<QCheckBox*>("chkPlayOnSelect")->setChecked(true);
        click(5);
        QCOMPARE(status->text(), QString());
        QTest::keyClick(table, Qt::Key_Down, Qt::ShiftModifier); // two rows: nothing plays
        QTest::keyClick(table, Qt::Key_Space);
        QCOMPARE(played, (QStringList{"Stage 6", "Stage 6"}));
        // Browsing onto a slot with nothing to play says so in passing and plays nothing;
        // Space still asks the player, whose box says it.
        click(7);
        QCOMPARE(status->text(),
                 QStringLiteral("Preset 8: nothing to play (no value switched on, no MIDI data)."));
        QCOMPARE(played.size(), 2);
        QVERIFY(m_f->interaction.messages.isEmpty());
        QTest::keyClick(table, Qt::Key_Space);
        QCOMPARE(played.last(), QStringLiteral("Stage 8"));
    }
};

QTEST_MAIN(BankOrganizerTest)
#include "test_bank_organizer.moc"
