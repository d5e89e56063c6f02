// "Bank Organizer": the 100 slots of the bank in a table, to arrange them for a set list.
// It always shows the bank as it is now and marks the preset the main window shows. Its
// operations (move a block by dragging it or by one slot, copy, cut, paste, back to
// default, swap, insert from a dropped file) each store the shown preset's pending edits
// first, are one undo step, and are refused while another command runs.
#pragma once

#include "preset/preset_text.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QCheckBox;
class QLabel;
class QMenu;
class QMimeData;
class QPushButton;
class QTableView;

namespace tarnwick {

class BankTableModel;
class PresetView;
class UserInteraction;
class WindowPlace;
struct PresetRecord;

class TBankOrganizerForm final : public QWidget {
    Q_OBJECT
public:
    TBankOrganizerForm(PresetView& view, UserInteraction& interaction, QWidget* parent = nullptr);
    ~TBankOrganizerForm() override;

    QTableView* table() const { return m_table; }
    // Brings the table up to date with the bank, when shown.
    void refresh();
    // How a preset is played on the audition output, as Ctrl+P plays the shown one.
    void setPlayer(std::function<void(const PresetRecord&)> play) { m_play = std::move(play); }
    // The file the bank came from or went to last, for the sheet's title; empty for none.
    void setBankFile(std::function<QString()> file) { m_bankFile = std::move(file); }
    // The sounds' names after the channels' values, in the table and on the sheet.
    void setNamer(ChannelNamer names);
    // "Print Sheet...": asks where, then writes the bank's sheet as a PDF.
    void printSheet();

    // The presets of `chosen` slots (zero-based) as the clipboard or a drag from this window
    // carries them.
    QMimeData* presetsData(const std::vector<int>& chosen) const;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::vector<int> selectedSlots() const; // zero-based, in slot order
    void selectSlots(const std::vector<int>& rows);
    // Runs `operation` on the bank as one command; afterwards selects `reselect`.
    void arrange(const std::function<void()>& operation, const std::vector<int>& reselect);
    void moveByOne(int step);
    // Up, Down, Swap and Delete as the selection allows them.
    void enableButtons();
    // Ctrl+Z or Ctrl+Shift+Z here: the bank's step, with the selection following it.
    void undoStep(bool redo);
    void moveSlots(const std::vector<int>& rows, int before);
    void resetSelected();
    void swapSelected();
    void showSelected();
    // Plays the first selected preset; `browsing`: chosen with "Play on select" on.
    void playSelected(bool browsing = false);
    void copySelected();
    // Writes the presets that `mime` carries over the slots from `firstSlot` on.
    // The presets `mime` holds from `firstSlot` on; else the reason, naming `holder`.
    void paste(const QMimeData* mime, int firstSlot, const std::string& holder = "The clipboard");
    void pasteRecords(const std::vector<PresetRecord>& records, int firstSlot);
    // A .syx file dropped on `slot`: its presets written from there on.
    void pasteFile(const QString& path, int slot);
    void message(const QString& text);

    PresetView& m_view;
    UserInteraction& m_interaction;
    std::function<void(const PresetRecord&)> m_play;
    std::function<QString()> m_bankFile;
    ChannelNamer m_names;
    BankTableModel* m_model = nullptr;
    QTableView* m_table = nullptr;
    QCheckBox* m_playOnSelect = nullptr;
    QCheckBox* m_sheetUnused = nullptr; // the sheet keeps the untouched default slots
    QPushButton* m_up = nullptr;
    QPushButton* m_down = nullptr;
    QPushButton* m_swapButton = nullptr;
    QPushButton* m_delete = nullptr;
    QLabel* m_status = nullptr; // what a browse with "Play on select" found nothing to play
    QMenu* m_menu = nullptr;    // the table's context menu: Swap, Delete
    QAction* m_swap = nullptr;
    std::unique_ptr<WindowPlace> m_place;
};

} // namespace tarnwick
