// The Bank Organizer's table: a stock table view whose drop mark says what a drop does. A
// move of its own rows shows the line between rows where they land; presets or a file
// from elsewhere show the rows they will be written over.
#pragma once

#include <QTableView>

namespace tarnwick {

class BankTableModel;

class BankTableView final : public QTableView {
    Q_OBJECT
public:
    explicit BankTableView(QWidget* parent = nullptr);

    // The first row a drag now over the table would write over, and how many; count 0
    // when it writes over none.
    int overwriteFirst() const { return m_first; }
    int overwriteCount() const { return m_count; }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    BankTableModel* bankModel() const;
    void clearOverwrite();

    int m_pasted = 0; // the presets the drag carries, counted as it enters
    int m_first = 0;
    int m_count = 0;
};

} // namespace tarnwick
