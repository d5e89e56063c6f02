// The Bank Organizer window.
#include "bank_organizer_form.h"

#include "bank_operations.h"
#include "preset_view.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QTableWidget>
#include <QVBoxLayout>

#include <functional>

namespace tarnwick {

namespace {

enum Column { kNumber, kName, kChannels, kMidiData, kColumns };

QString slotText(std::uint8_t slotByte, bool program) {
    if (!SlotEnabled(slotByte)) {
        return QStringLiteral("-");
    }
    return QString::number(program ? ProgramNumberFromStored(slotByte) : slotByte);
}

} // namespace

TBankOrganizerForm::TBankOrganizerForm(PresetView& view, QWidget* parent)
    : QWidget(parent, Qt::Window), m_view(view) {
    setObjectName(QStringLiteral("BankOrganizerForm"));
    setWindowTitle(QStringLiteral("Bank Organizer"));
    resize(620, 640);
    m_table = new QTableWidget(kPresetCount, kColumns, this);
    m_table->setObjectName(QStringLiteral("tblBank"));
    m_table->setAccessibleName(QStringLiteral("Bank"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("No."), QStringLiteral("Name"),
                                        QStringLiteral("Channels"), QStringLiteral("MIDI data")});
    m_table->verticalHeader()->hide();
    // One line a preset, as in a file manager's detail view.
    m_table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_table->setColumnWidth(kNumber, 40);
    m_table->setColumnWidth(kName, 120);
    m_table->setColumnWidth(kChannels, 280);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setContextMenuPolicy(Qt::DefaultContextMenu);
    m_table->installEventFilter(this);
    m_table->viewport()->installEventFilter(this);
    connect(m_table, &QTableWidget::cellDoubleClicked, this, [this] { showSelected(); });
    m_menu = new QMenu(this);
    m_swap = m_menu->addAction(QStringLiteral("Swap"), this, [this] { swapSelected(); });
    m_swap->setObjectName(QStringLiteral("actSwap"));
    m_menu->addAction(QStringLiteral("Delete"), this, [this] { resetSelected(); })
        ->setObjectName(QStringLiteral("actDelete"));
    // Ctrl+B hides the window from here too, as it shows it from the main window.
    auto* hideAction = new QAction(this);
    hideAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    connect(hideAction, &QAction::triggered, this, &QWidget::hide);
    addAction(hideAction);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_table);
}

QString TBankOrganizerForm::channelsSummary(const PresetRecord& record) {
    QStringList channels;
    for (int channel = 1; channel <= kChannelCount; ++channel) {
        const ChannelSlot& slot = record.channel(channel);
        if (!SlotEnabled(slot[SlotKind::Msb]) && !SlotEnabled(slot[SlotKind::Lsb]) &&
            !SlotEnabled(slot[SlotKind::Program])) {
            continue;
        }
        channels << QStringLiteral("%1: %2/%3/%4")
                        .arg(channel)
                        .arg(slotText(slot[SlotKind::Msb], false),
                             slotText(slot[SlotKind::Lsb], false),
                             slotText(slot[SlotKind::Program], true));
    }
    return channels.join(QStringLiteral("  "));
}

QString TBankOrganizerForm::midiDataSummary(const PresetRecord& record) {
    const QString data = QString::fromLatin1(MidiDataText(record)).trimmed();
    if (data.isEmpty()) {
        return {};
    }
    return data + ((record.placement & kPlacementPost) ? QStringLiteral("  Post")
                                                       : QStringLiteral("  Pre"));
}

void TBankOrganizerForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refresh();
}

void TBankOrganizerForm::refresh() {
    if (!isVisible()) {
        return;
    }
    const PresetBank& bank = m_view.bank();
    const int shown = bank.currentPresetIndex().zeroBased();
    for (int row = 0; row < kPresetCount; ++row) {
        const PresetRecord& record = bank[PresetIndex::fromZeroBase(row)];
        const std::string name = PresetName(record);
        const QString texts[kColumns] = {QString::number(row + 1),
                                         QString::fromLatin1(name.data(), qsizetype(name.size())),
                                         channelsSummary(record), midiDataSummary(record)};
        for (int column = 0; column < kColumns; ++column) {
            QTableWidgetItem* item = m_table->item(row, column);
            if (!item) {
                item = new QTableWidgetItem;
                m_table->setItem(row, column, item);
            }
            item->setText(texts[column]);
            // The preset the main window shows stands out.
            QFont font = item->font();
            font.setBold(row == shown);
            item->setFont(font);
        }
    }
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
    m_table->clearSelection();
    for (const int slot : rows) {
        m_table->selectionModel()->select(m_table->model()->index(slot, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    if (!rows.empty()) {
        m_table->setCurrentIndex(m_table->model()->index(rows.front(), 0));
        m_table->selectionModel()->select(m_table->model()->index(rows.front(), 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
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

void TBankOrganizerForm::moveByOne(int step) {
    const std::vector<int> rows = selectedSlots();
    if (rows.empty() || (step < 0 && rows.front() == 0) ||
        (step > 0 && rows.back() == kPresetCount - 1)) {
        return;
    }
    // The selection as a block: in front of the slot before its first, or of the one two
    // after its last.
    const int before = step < 0 ? rows.front() - 1 : rows.back() + 2;
    const int movedFirst = step < 0 ? before : before - int(rows.size());
    std::vector<int> moved;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        moved.push_back(movedFirst + int(i));
    }
    arrange([this, rows, before] { MovePresets(m_view.bank(), rows, before); }, moved);
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

bool TBankOrganizerForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_table && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::AltModifier &&
            (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
            moveByOne(key->key() == Qt::Key_Up ? -1 : +1);
            return true;
        }
        if (key->key() == Qt::Key_Delete) {
            resetSelected();
            return true;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            showSelected();
            return true;
        }
    }
    if (watched == m_table->viewport() && event->type() == QEvent::ContextMenu) {
        m_swap->setEnabled(selectedSlots().size() == 2); // exactly two rows
        m_menu->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tarnwick
