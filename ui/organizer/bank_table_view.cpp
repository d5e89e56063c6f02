// The Bank Organizer's table and its drop mark.
#include "organizer/bank_table_view.h"

#include "organizer/bank_table_model.h"

#include <QDragMoveEvent>
#include <QPainter>

#include <algorithm>

namespace tarnwick {

BankTableView::BankTableView(QWidget* parent) : QTableView(parent) {}

BankTableModel* BankTableView::bankModel() const {
    return qobject_cast<BankTableModel*>(model());
}

void BankTableView::dragEnterEvent(QDragEnterEvent* event) {
    m_pasted = bankModel() ? bankModel()->pastedCount(event->mimeData()) : 0;
    QTableView::dragEnterEvent(event);
}

void BankTableView::dragMoveEvent(QDragMoveEvent* event) {
    // A paste writes from the row under the pointer; near a row's lower edge, where the
    // drop goes between rows, from the row below (the margin is the view's own).
    int slot = -1;
    if (const QModelIndex index = indexAt(event->position().toPoint());
        m_pasted > 0 && index.isValid()) {
        const QRect rect = visualRect(index);
        const int margin = std::clamp(qRound(rect.height() / 5.5), 2, 12);
        slot = rect.bottom() - event->position().toPoint().y() < margin ? index.row() + 1
                                                                        : index.row();
    }
    setDropIndicatorShown(m_pasted == 0); // the rows' mark replaces the line
    QTableView::dragMoveEvent(event);
    const int count = slot >= 0 && event->isAccepted()
                          ? std::max(std::min(m_pasted, model()->rowCount() - slot), 0)
                          : 0;
    if (slot != m_first || count != m_count) {
        m_first = slot;
        m_count = count;
        viewport()->update();
    }
}

void BankTableView::dragLeaveEvent(QDragLeaveEvent* event) {
    clearOverwrite();
    QTableView::dragLeaveEvent(event);
}

void BankTableView::dropEvent(QDropEvent* event) {
    clearOverwrite();
    QTableView::dropEvent(event);
}

void BankTableView::clearOverwrite() {
    m_pasted = 0;
    m_count = 0;
    setDropIndicatorShown(true);
    viewport()->update();
}

void BankTableView::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    if (m_count == 0) {
        return;
    }
    const QRect top = visualRect(model()->index(m_first, 0));
    const QRect bottom = visualRect(model()->index(m_first + m_count - 1, 0));
    const QRect rows(0, top.top(), viewport()->width(), bottom.bottom() - top.top() + 1);
    QPainter painter(viewport());
    QColor fill = palette().color(QPalette::Highlight);
    fill.setAlpha(70);
    painter.fillRect(rows, fill);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter.drawRect(rows.adjusted(1, 1, -1, -1));
}

} // namespace tarnwick
