// The Bank Organizer's table model.
#include "organizer/bank_table_model.h"

#include "main_window/preset_view.h"
#include "organizer/presets_mime.h"
#include "preset/preset_text.h"
#include "preset/syx_file.h"
#include "support/preset_file_io.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFont>
#include <QMimeData>

#include <algorithm>

namespace tarnwick {

namespace {

// Marks a drag of rows of this very table ("PID MODEL ROW ROW ..."), which moves them.
const QString kRowsMimeType = QStringLiteral("application/x-tarnwick-bank-rows");

QString rowsMark(const void* model) {
    return QStringLiteral("%1 %2").arg(QCoreApplication::applicationPid()).arg(quintptr(model));
}

} // namespace

BankTableModel::BankTableModel(PresetView& view, QObject* parent)
    : QAbstractTableModel(parent), m_view(view) {
    for (int slot = 0; slot < kPresetCount; ++slot) {
        m_rows[std::size_t(slot)] = rowOf(slot);
    }
}

BankTableModel::Row BankTableModel::rowOf(int slot) const {
    const PresetRecord& record = m_view.bank()[PresetIndex::fromZeroBase(slot)];
    const std::string name = PresetName(record);
    return {{QString::number(slot + 1), QString::fromLatin1(name.data(), qsizetype(name.size())),
             QString::fromStdString(ChannelsSummary(record, m_names)),
             QString::fromStdString(MidiDataSummary(record))},
            m_view.bank().currentPresetIndex().zeroBased() == slot};
}

void BankTableModel::setNamer(ChannelNamer names) {
    m_names = std::move(names);
    refresh();
}

void BankTableModel::refresh() {
    for (int slot = 0; slot < kPresetCount; ++slot) {
        const int first = slot;
        while (slot < kPresetCount && rowOf(slot) != m_rows[std::size_t(slot)]) {
            m_rows[std::size_t(slot)] = rowOf(slot);
            ++slot;
        }
        if (slot > first) {
            emit dataChanged(index(first, 0), index(slot - 1, kColumns - 1));
        }
    }
}

int BankTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kPresetCount;
}

int BankTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant BankTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    const Row& row = m_rows[std::size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return row.texts[std::size_t(index.column())];
    case Qt::FontRole:
        if (row.shown) { // the preset the main window shows stands out
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    default:
        return {};
    }
}

QVariant BankTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::ToolTipRole && section == kChannels) {
        return QStringLiteral("channel: bank MSB / LSB / program; - is off");
    }
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    static const char* const kHeaders[kColumns] = {"No.", "Name", "Channels", "MIDI data"};
    return QString::fromLatin1(kHeaders[section]);
}

Qt::ItemFlags BankTableModel::flags(const QModelIndex& index) const {
    // A drop on a row pastes from that row; between rows (near a row's edge) it moves there.
    return QAbstractTableModel::flags(index) | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
}

QStringList BankTableModel::mimeTypes() const {
    return {kPresetsMimeType, QStringLiteral("text/uri-list"), QStringLiteral("text/plain")};
}

QMimeData* BankTableModel::presetsData(const std::vector<int>& chosen) const {
    std::vector<PresetRecord> presets;
    QString mark = rowsMark(this);
    for (const int slot : chosen) {
        presets.push_back(m_view.bank()[PresetIndex::fromZeroBase(slot)]);
        mark += QStringLiteral(" %1").arg(slot);
    }
    QMimeData* mime = PresetsMimeData(presets, chosen.empty() ? 1 : chosen.front() + 1);
    mime->setData(kRowsMimeType, mark.toLatin1());
    return mime;
}

QMimeData* BankTableModel::mimeData(const QModelIndexList& indexes) const {
    std::vector<int> chosen;
    for (const QModelIndex& index : indexes) {
        chosen.push_back(index.row());
    }
    std::sort(chosen.begin(), chosen.end());
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    return presetsData(chosen);
}

std::vector<int> BankTableModel::ownRows(const QMimeData* mime) const {
    const QStringList mark = QString::fromLatin1(mime->data(kRowsMimeType)).split(u' ');
    std::vector<int> rows;
    if (mark.size() > 2 && mark.mid(0, 2).join(u' ') == rowsMark(this)) {
        for (const QString& slot : mark.mid(2)) {
            rows.push_back(slot.toInt());
        }
    }
    return rows;
}

bool BankTableModel::canDropMimeData(const QMimeData* data, Qt::DropAction, int, int,
                                     const QModelIndex&) const {
    if (!data || (ready && !ready())) {
        return false;
    }
    if (data->hasFormat(kPresetsMimeType) || DroppedPresetFile(data)) {
        return true;
    }
    // Text is taken only when it holds presets: other text is refused as it is dragged
    // in, never blamed after the drop.
    std::string reason;
    return data->hasText() && !data->hasUrls() && PresetsFromMimeData(data, reason);
}

bool BankTableModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                                  const QModelIndex& parent) {
    if (!canDropMimeData(data, action, row, column, parent)) {
        return false;
    }
    // On a row: that row; between rows: the row below the line; below the last: the end.
    const int slot = parent.isValid() ? parent.row() : row < 0 ? kPresetCount : row;
    if (const std::vector<int> rows = ownRows(data); !rows.empty()) {
        if (moveRows) {
            moveRows(rows, slot);
        }
        return true;
    }
    if (slot >= kPresetCount) {
        return false; // nothing to paste over
    }
    if (const auto path = DroppedPresetFile(data)) {
        if (pasteFile) {
            pasteFile(*path, slot);
        }
    } else if (pastePresets) {
        pastePresets(data, slot, "The drop");
    }
    return true;
}

int BankTableModel::pastedCount(const QMimeData* data) const {
    if (!canDropMimeData(data, Qt::CopyAction, -1, -1, {}) || !ownRows(data).empty()) {
        return 0;
    }
    if (const auto path = DroppedPresetFile(data)) {
        // One message's size or less is one preset; a bank fills the slots to the last.
        return IsBankSize(std::uintmax_t(QFileInfo(*path).size())) ? kPresetCount : 1;
    }
    std::string reason;
    const auto records = PresetsFromMimeData(data, reason);
    return records ? int(records->size()) : 0;
}

} // namespace tarnwick
