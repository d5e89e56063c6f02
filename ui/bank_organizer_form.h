// "Bank Organizer": the 100 slots of the bank in a table, to arrange them for a set list.
// It always shows the bank as it is now and marks the preset the main window shows; its
// operations (move by one slot, back to default, swap) each store the shown preset's
// pending edits first, are one undo step, and are refused while another command runs.
#pragma once

#include <QWidget>

#include <functional>
#include <vector>

class QAction;
class QMenu;
class QTableWidget;

namespace tarnwick {

class PresetView;
struct PresetRecord;

class TBankOrganizerForm final : public QWidget {
    Q_OBJECT
public:
    explicit TBankOrganizerForm(PresetView& view, QWidget* parent = nullptr);

    QTableWidget* table() const { return m_table; }
    // Brings the table up to date with the bank, when shown.
    void refresh();

    // The summaries of the table's columns: "1: 0/-/41  2: -/-/57" (bank select MSB, LSB and
    // program of each channel with a value switched on, "-" where off), and the MIDI data as
    // hex with its placement.
    static QString channelsSummary(const PresetRecord& record);
    static QString midiDataSummary(const PresetRecord& record);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::vector<int> selectedSlots() const; // zero-based, in slot order
    void selectSlots(const std::vector<int>& rows);
    // Runs `operation` on the bank as one command; afterwards selects `reselect`.
    void arrange(const std::function<void()>& operation, const std::vector<int>& reselect);
    void moveByOne(int step);
    void resetSelected();
    void swapSelected();
    void showSelected();

    PresetView& m_view;
    QTableWidget* m_table = nullptr;
    QMenu* m_menu = nullptr; // the table's context menu: Swap, Delete
    QAction* m_swap = nullptr;
};

} // namespace tarnwick
