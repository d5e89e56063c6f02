// The Bank Organizer window.
#include "organizer/bank_organizer_form.h"

#include "bank_sheet.h"
#include "main_window/preset_view.h"
#include "organizer/bank_table_model.h"
#include "organizer/bank_table_view.h"
#include "organizer/presets_mime.h"
#include "platform/atomic_file.h"
#include "preset/audition.h"
#include "preset/bank_operations.h"
#include "preset/preset_text.h"
#include "support/key_action.h"
#include "support/local_path.h"
#include "support/preset_file_io.h"
#include "support/user_interaction.h"
#include "support/window_place.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <numeric>

namespace tarnwick {

namespace {

const QString kTitle = QStringLiteral("Bank Organizer");

} // namespace

TBankOrganizerForm::TBankOrganizerForm(PresetView& view, UserInteraction& interaction,
                                       QWidget* parent)
    : QWidget(parent, Qt::Window), m_view(view), m_interaction(interaction) {
    setObjectName(QStringLiteral("BankOrganizerForm"));
    setWindowTitle(kTitle);
    resize(620, 640);
    m_model = new BankTableModel(view, this);
    m_model->ready = [this] {
        return !m_view.commandRunning();
    };
    m_model->moveRows = [this](const std::vector<int>& rows, int before) {
        moveSlots(rows, before);
    };
    m_model->pastePresets = [this](const QMimeData* mime, int slot, const std::string& holder) {
        paste(mime, slot, holder);
    };
    m_model->pasteFile = [this](const QString& path, int slot) {
        pasteFile(path, slot);
    };
    m_table = new BankTableView(this);
    m_table->setModel(m_model);
    m_table->setObjectName(QStringLiteral("tblBank"));
    m_table->setAccessibleName(QStringLiteral("Bank"));
    m_table->verticalHeader()->hide();
    // One line a preset, as in a file manager's detail view.
    m_table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_table->setColumnWidth(BankTableModel::kNumber, 40);
    m_table->setColumnWidth(BankTableModel::kMidiData, 120);
    // The name and the channels take what the window gives.
    m_table->horizontalHeader()->setSectionResizeMode(BankTableModel::kName, QHeaderView::Stretch);
    m_table->horizontalHeader()->setSectionResizeMode(BankTableModel::kChannels,
                                                      QHeaderView::Stretch);
    m_table->setTabKeyNavigation(false); // Tab leaves the table for the next control
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setDragDropMode(QAbstractItemView::DragDrop);
    m_table->setDragDropOverwriteMode(false); // the drop mark stands on a row or between rows
    m_table->setDefaultDropAction(Qt::CopyAction);
    m_table->installEventFilter(this);
    m_table->viewport()->installEventFilter(this);
    connect(m_table, &QTableView::doubleClicked, this, [this] { showSelected(); });
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (m_playOnSelect->isChecked() && selectedSlots().size() == 1) {
            playSelected(true);
        }
    });

    m_playOnSelect = new QCheckBox(QStringLiteral("Play on select"), this);
    m_playOnSelect->setObjectName(QStringLiteral("chkPlayOnSelect"));
    m_playOnSelect->setAccessibleName(QStringLiteral("Play on select"));

    m_menu = new QMenu(this);
    m_swap = m_menu->addAction(QStringLiteral("Swap"), this, [this] { swapSelected(); });
    m_swap->setObjectName(QStringLiteral("actSwap"));
    const auto key = [this](const char* name, const QString& text, const QKeySequence& keys,
                            const std::function<void()>& what) {
        QAction* action = AddKeyAction(*this, keys, what);
        action->setObjectName(QString::fromLatin1(name));
        if (!text.isEmpty()) {
            action->setText(text);
            m_menu->addAction(action);
        }
        return action;
    };
    key("actDelete", QStringLiteral("Delete"), QKeySequence::Delete, [this] { resetSelected(); });
    key("actCopy", QStringLiteral("Copy"), QKeySequence::Copy, [this] { copySelected(); });
    key("actCut", QStringLiteral("Cut"), QKeySequence::Cut, [this] {
        copySelected();
        resetSelected();
    });
    key("actPaste", QStringLiteral("Paste"), QKeySequence::Paste, [this] {
        const std::vector<int> rows = selectedSlots();
        paste(QGuiApplication::clipboard()->mimeData(), rows.empty() ? 0 : rows.front());
    });
    key("actPrintSheet", QStringLiteral("Print Sheet..."),
        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_B), [this] { printSheet(); });
    key("actUndo", {}, QKeySequence::Undo, [this] { undoStep(false); });
    key("actRedo", {}, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), [this] { undoStep(true); });
    // Ctrl+B hides the window from here too, as it shows it from the main window.
    key("actHide", {}, QKeySequence(Qt::CTRL | Qt::Key_B), [this] { hide(); });
    key("actClose", {}, QKeySequence(Qt::Key_Escape), [this] { hide(); });

    // What the keys and the context menu do, as buttons too, their keys in their tips.
    auto* buttons = new QHBoxLayout;
    const auto button = [this, buttons](const char* name, const QString& text,
                                        const QKeySequence& keys,
                                        const std::function<void()>& what) {
        auto* push = new QPushButton(text, this);
        push->setObjectName(QString::fromLatin1(name));
        push->setAccessibleName(QString(text).remove(QStringLiteral("...")));
        push->setToolTip(QStringLiteral("%1 (%2)").arg(push->accessibleName(),
                                                       keys.toString(QKeySequence::NativeText)));
        push->setFocusPolicy(Qt::TabFocus); // a click leaves the focus on the table
        connect(push, &QPushButton::clicked, this, what);
        buttons->addWidget(push);
        return push;
    };
    m_up = button("btnUp", QStringLiteral("Up"), QKeySequence(Qt::ALT | Qt::Key_Up),
                  [this] { moveByOne(-1); });
    m_down = button("btnDown", QStringLiteral("Down"), QKeySequence(Qt::ALT | Qt::Key_Down),
                    [this] { moveByOne(+1); });
    m_swapButton =
        button("btnSwap", QStringLiteral("Swap"), QKeySequence(), [this] { swapSelected(); });
    m_swapButton->setToolTip(QStringLiteral("Swap the two selected presets"));
    m_delete = button("btnDelete", QStringLiteral("Delete"), QKeySequence::Delete,
                      [this] { resetSelected(); });
    buttons->addStretch();
    button("btnPrintSheet", QStringLiteral("Print Sheet..."),
           QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_B), [this] { printSheet(); });
    m_sheetUnused = new QCheckBox(QStringLiteral("Unused slots on the sheet"), this);
    m_sheetUnused->setObjectName(QStringLiteral("chkSheetUnused"));
    m_sheetUnused->setAccessibleName(QStringLiteral("Unused slots on the sheet"));
    m_sheetUnused->setToolTip(
        QStringLiteral("Print the slots left at their default (name \"New Name N\", nothing "
                       "switched on) as a short line each, instead of leaving them out"));
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { enableButtons(); });
    enableButtons();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(buttons);
    layout->addWidget(m_table);
    auto* options = new QHBoxLayout;
    options->addWidget(m_playOnSelect);
    options->addStretch();
    options->addWidget(m_sheetUnused);
    layout->addLayout(options);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblOrganizerStatus"));
    m_status->setAccessibleName(QStringLiteral("Bank Organizer status"));
    layout->addWidget(m_status);
    m_place = std::make_unique<WindowPlace>(*this, QStringLiteral("BankOrganizer/geometry"));
}

TBankOrganizerForm::~TBankOrganizerForm() = default;

void TBankOrganizerForm::showEvent(QShowEvent* event) {
    m_place->showing();
    QWidget::showEvent(event);
    refresh();
}

void TBankOrganizerForm::hideEvent(QHideEvent* event) {
    m_place->hidden();
    QWidget::hideEvent(event);
}

void TBankOrganizerForm::enableButtons() {
    const std::vector<int> rows = selectedSlots();
    m_up->setEnabled(!rows.empty() && rows.front() > 0);
    m_down->setEnabled(!rows.empty() && rows.back() < kPresetCount - 1);
    m_swapButton->setEnabled(rows.size() == 2);
    m_delete->setEnabled(!rows.empty());
}

void TBankOrganizerForm::setNamer(ChannelNamer names) {
    m_names = names;
    m_model->setNamer(std::move(names));
}

void TBankOrganizerForm::refresh() {
    if (!isVisible()) {
        return;
    }
    m_model->refresh();
    // Two editors' windows are told apart by their banks' files.
    const QString file = m_bankFile ? QFileInfo(m_bankFile()).fileName() : QString();
    setWindowTitle(file.isEmpty() ? kTitle : kTitle + QStringLiteral(" \u2014 ") + file);
}

QMimeData* TBankOrganizerForm::presetsData(const std::vector<int>& chosen) const {
    return m_model->presetsData(chosen);
}

std::vector<int> TBankOrganizerForm::selectedSlots() const {
    std::vector<int> rows;
    for (const QModelIndex& index : m_table->selectionModel()->selectedRows()) {
        rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TBankOrganizerForm::selectSlots(const std::vector<int>& rows) {
    const QSignalBlocker quiet(m_table->selectionModel()); // a selection made here plays nothing
    m_table->clearSelection();
    for (const int slot : rows) {
        m_table->selectionModel()->select(m_table->model()->index(slot, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    if (!rows.empty()) {
        m_table->selectionModel()->setCurrentIndex(m_table->model()->index(rows.front(), 0),
                                                   QItemSelectionModel::NoUpdate);
    }
    enableButtons();
}

void TBankOrganizerForm::arrange(const std::function<void()>& operation,
                                 const std::vector<int>& reselect) {
    m_view.runCommand([this, &operation] {
        m_view.flushEdits(); // the shown preset's edits, as a step of their own
        operation();
        // The window shows the preset that now stands at its number, as after Open One.
        m_view.loadPresetFromBank();
        m_view.updatePresetsList();
    });
    refresh();
    selectSlots(reselect);
}

void TBankOrganizerForm::undoStep(bool redo) {
    std::vector<PresetRecord> chosen;
    for (const int slot : selectedSlots()) {
        chosen.push_back(m_view.bank()[PresetIndex::fromZeroBase(slot)]);
    }
    const PresetBank::Presets before = m_view.bank().presets();
    m_view.runCommand([this, redo] { m_view.undoBankChange(redo); });
    refresh();
    // The selection follows the chosen presets to the rows the step moved them back to;
    // when the step took them away (a paste, a Delete), it marks the rows it gave back.
    std::vector<int> changed;
    std::vector<int> followed;
    for (int slot = 0; slot < kPresetCount; ++slot) {
        const PresetRecord& now = m_view.bank()[PresetIndex::fromZeroBase(slot)];
        if (now == before[std::size_t(slot)]) {
            continue;
        }
        changed.push_back(slot);
        if (const auto found = std::find(chosen.begin(), chosen.end(), now);
            found != chosen.end()) {
            chosen.erase(found); // each chosen preset is followed once
            followed.push_back(slot);
        }
    }
    if (!changed.empty()) {
        selectSlots(followed.empty() ? changed : followed);
    }
}

void TBankOrganizerForm::moveSlots(const std::vector<int>& rows, int before) {
    std::vector<int> moved;
    arrange(
        [&] {
            if (const auto landed = MovePresets(m_view.bank(), rows, before)) {
                for (std::size_t i = 0; i < rows.size(); ++i) {
                    moved.push_back(*landed + int(i));
                }
            }
        },
        moved);
}

void TBankOrganizerForm::moveByOne(int step) {
    const std::vector<int> rows = selectedSlots();
    if (rows.empty() || (step < 0 && rows.front() == 0) ||
        (step > 0 && rows.back() == kPresetCount - 1)) {
        return;
    }
    // The selection as a block: in front of the slot before its first, or of the one two
    // after its last.
    moveSlots(rows, step < 0 ? rows.front() - 1 : rows.back() + 2);
}

void TBankOrganizerForm::resetSelected() {
    const std::vector<int> rows = selectedSlots();
    std::vector<PresetIndex> indexes;
    for (const int slot : rows) {
        indexes.push_back(PresetIndex::fromZeroBase(slot));
    }
    arrange([this, indexes] { ResetPresets(m_view.bank(), indexes); }, rows);
}

void TBankOrganizerForm::swapSelected() {
    const std::vector<int> rows = selectedSlots();
    if (rows.size() != 2) {
        return;
    }
    arrange(
        [this, rows] {
            SwapPresets(m_view.bank(), PresetIndex::fromZeroBase(rows[0]),
                        PresetIndex::fromZeroBase(rows[1]));
        },
        rows);
}

void TBankOrganizerForm::showSelected() {
    const std::vector<int> rows = selectedSlots();
    if (!rows.empty()) {
        m_view.runCommand([this, number = rows.front() + 1] { m_view.choosePreset(number); });
    }
}

void TBankOrganizerForm::playSelected(bool browsing) {
    const std::vector<int> rows = selectedSlots();
    if (rows.empty() || !m_play) {
        return;
    }
    const auto index = PresetIndex::fromZeroBase(rows.front());
    // The preset the main window shows plays as it shows it, edits not yet stored included.
    const PresetRecord preset =
        index == m_view.bank().currentPresetIndex() ? m_view.shownPreset() : m_view.bank()[index];
    // Browsing with "Play on select", a slot with nothing to play is said in passing; the
    // box that Ctrl+P and Space show would stop the browsing at every such row.
    const AuditionMessages plan = PresetAudition(preset);
    if (browsing && plan.refusal.empty() && plan.messages.empty()) {
        m_status->setText(
            QStringLiteral("Preset %1: nothing to play (no value switched on, no MIDI data).")
                .arg(index.oneBased()));
        return;
    }
    m_status->clear();
    m_view.runCommand([this, &preset] { m_play(preset); });
}

void TBankOrganizerForm::copySelected() {
    const std::vector<int> rows = selectedSlots();
    if (rows.empty()) {
        return;
    }
    m_view.runCommand([this] { m_view.flushEdits(); }); // what is copied is what is shown
    QGuiApplication::clipboard()->setMimeData(presetsData(rows));
}

void TBankOrganizerForm::paste(const QMimeData* mime, int firstSlot, const std::string& holder) {
    if (!mime || m_view.commandRunning()) {
        return;
    }
    std::string reason;
    if (const auto records = PresetsFromMimeData(mime, reason, holder)) {
        pasteRecords(*records, firstSlot);
    } else {
        message(QString::fromStdString(reason));
    }
}

void TBankOrganizerForm::pasteRecords(const std::vector<PresetRecord>& records, int firstSlot) {
    std::optional<std::size_t> written;
    std::vector<int> pasted;
    arrange(
        [&] {
            written = PastePresets(m_view.bank(), PresetIndex::fromZeroBase(firstSlot), records);
            pasted.resize(*written);
            std::iota(pasted.begin(), pasted.end(), firstSlot);
        },
        pasted);
    if (written && *written < records.size()) {
        const std::size_t left = records.size() - *written;
        message(QStringLiteral("%1 preset%2 left out: the bank ends at preset 100.")
                    .arg(left)
                    .arg(left == 1 ? QStringLiteral(" was") : QStringLiteral("s were")));
    }
}

void TBankOrganizerForm::pasteFile(const QString& path, int slot) {
    std::optional<std::vector<PresetRecord>> records;
    m_view.runCommand([&] { records = ReadDroppedPresets(m_interaction, path); });
    if (records) {
        // A bank fills the slots from here to the last, and asks nothing.
        records->resize(std::min(records->size(), std::size_t(kPresetCount - slot)));
        pasteRecords(*records, slot);
    }
}

void TBankOrganizerForm::printSheet() {
    m_view.runCommand([this] {
        m_view.flushEdits(); // the sheet shows what the main window shows
        const QString file = m_bankFile ? QFileInfo(m_bankFile()).fileName() : QString();
        const QString title = file.isEmpty() ? QStringLiteral("Untitled") : file;
        const auto path = m_interaction.saveFileName(
            {QStringLiteral("Print Sheet"), QStringLiteral("PDF Files (*.pdf);;All Files (*)"),
             QStringLiteral("pdf"), PresetStartFolder(),
             (file.isEmpty() ? title : QFileInfo(file).completeBaseName()) +
                 QStringLiteral(".pdf")});
        if (!path) {
            return;
        }
        const QByteArray pdf = BankSheetPdf(m_view.bank(), title, QDate::currentDate(),
                                            {m_sheetUnused->isChecked(), m_names});
        AtomicFile out(LocalPath(*path));
        if (!out.open() ||
            !out.write(reinterpret_cast<const std::uint8_t*>(pdf.constData()),
                       std::size_t(pdf.size())) ||
            !out.commit()) {
            message(QStringLiteral("The sheet was not written: %1.")
                        .arg(QString::fromStdString(out.error())));
        }
    });
}

void TBankOrganizerForm::message(const QString& text) {
    m_interaction.message(kTitle, text, QMessageBox::Warning, QMessageBox::Ok);
}

bool TBankOrganizerForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_table && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::AltModifier &&
            (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
            moveByOne(key->key() == Qt::Key_Up ? -1 : +1);
            return true;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            showSelected();
            return true;
        }
        if (key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier) {
            playSelected();
            return true;
        }
    }
    // The context menu, by the mouse or by the Menu key and Shift+F10 (which go to the
    // table itself, at the current row).
    if ((watched == m_table->viewport() || watched == m_table) &&
        event->type() == QEvent::ContextMenu) {
        m_swap->setEnabled(selectedSlots().size() == 2); // exactly two rows
        const auto* menu = static_cast<QContextMenuEvent*>(event);
        QPoint at = menu->globalPos();
        if (menu->reason() == QContextMenuEvent::Keyboard) {
            at = m_table->viewport()->mapToGlobal(
                m_table->visualRect(m_table->currentIndex()).center());
        }
        m_menu->popup(at);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tarnwick
