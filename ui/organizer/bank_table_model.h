// The bank as a table for the Bank Organizer: one row a slot (number, name, channels, MIDI
// data), the preset the main window shows in bold. It owns what a drag of its rows carries
// and the rules of what a drop does: rows of this very table are moved, presets from
// anywhere else (another editor, JSON text) and a dropped .syx file are pasted from the slot
// they are dropped on. The window carries the operations out, each as one command.
#pragma once

#include "preset/preset_record.h"
#include "preset/preset_text.h"

#include <QAbstractTableModel>
#include <QString>

#include <array>
#include <functional>
#include <vector>

class QMimeData;

namespace tarnwick {

class PresetView;

class BankTableModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { kNumber, kName, kChannels, kMidiData, kColumns };

    explicit BankTableModel(PresetView& view, QObject* parent = nullptr);

    // What a drop asks of the window: move the bank's `rows` in front of slot `before`
    // (100: the end); paste the presets `mime` carries, or the .syx file `path`, from `slot`.
    std::function<void(const std::vector<int>& rows, int before)> moveRows;
    std::function<void(const QMimeData* mime, int slot, const std::string& holder)> pastePresets;
    std::function<void(const QString& path, int slot)> pasteFile;
    // Whether the window takes anything now (no other command runs).
    std::function<bool()> ready;

    // Brings the rows up to date with the bank: dataChanged for the rows that changed.
    void refresh();
    // The sounds' names after the channels' values (the rig's); none when empty.
    void setNamer(ChannelNamer names);
    // The presets of `chosen` (zero-based) as the clipboard or a drag from this table carries
    // them.
    QMimeData* presetsData(const std::vector<int>& chosen) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }
    Qt::DropActions supportedDropActions() const override { return Qt::CopyAction; }
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;
    // How many presets a drop of `data` pastes (a bank: 100, as many as fit from the slot
    // it is dropped on); none for a move of this table's own rows or for what it refuses.
    int pastedCount(const QMimeData* data) const;

private:
    struct Row {
        std::array<QString, kColumns> texts;
        bool shown = false;
        bool operator==(const Row&) const = default;
    };
    Row rowOf(int slot) const;
    // The rows `mime` carries when it was dragged from this very table; empty otherwise.
    std::vector<int> ownRows(const QMimeData* mime) const;

    PresetView& m_view;
    ChannelNamer m_names;
    std::array<Row, kPresetCount> m_rows;
};

} // namespace tarnwick
