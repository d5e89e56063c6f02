// The preset list window's layout and lines.
#include "main_window/preset_list_form.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QVBoxLayout>

namespace tarnwick {

namespace {
constexpr int kLineHeight = 16;
}

TPresetListForm::TPresetListForm(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("PresetListForm"));
    setWindowTitle(QStringLiteral("Preset List"));
    setFixedSize(186, 696);

    m_listBox = new QListWidget(this);
    m_listBox->setObjectName(QStringLiteral("ListBox1"));
    m_listBox->setAccessibleName(QStringLiteral("Presets"));
    QFont font = m_listBox->font();
    font.setPointSize(10);
    m_listBox->setFont(font);
    QPalette palette = m_listBox->palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    m_listBox->setPalette(palette);
    m_listBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_listBox->setUniformItemSizes(true);

    m_listBox->installEventFilter(this);
    m_listBox->viewport()->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_listBox);
}

void TPresetListForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (const QWidget* main = parentWidget()) {
        const QRect frame = main->window()->frameGeometry();
        move(frame.x() + frame.width(), frame.y());
    }
}

void TPresetListForm::closeEvent(QCloseEvent* event) {
    if (event->spontaneous()) {
        event->ignore();
    }
}

bool TPresetListForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_listBox->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        // The double click chooses the line under the pointer, selecting it first.
        const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        if (QListWidgetItem* line = m_listBox->itemAt(at)) {
            m_listBox->setCurrentItem(line);
        }
        chooseSelectedLine();
    } else if (watched == m_listBox && event->type() == QEvent::ShortcutOverride) {
        // The main window steps presets with these keys; in the list they move the
        // selection a page, and choosing stays the list's own.
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
            event->accept();
            return true;
        }
    } else if (watched == m_listBox && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            chooseSelectedLine(); // the key goes on to the list as well
        }
    } else if (watched == m_listBox && event->type() == QEvent::KeyRelease) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
            emit tabReleased();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TPresetListForm::chooseSelectedLine() {
    const QList<QListWidgetItem*> selected = m_listBox->selectedItems();
    emit lineChosen(selected.isEmpty() ? 0 : m_listBox->row(selected.first()) + 1);
}

QString TPresetListForm::lineText(PresetIndex index, const PresetRecord& record) {
    const std::string name = PresetName(record);
    return QStringLiteral("%1.  %2")
        .arg(index.oneBased(), 2, 10, QLatin1Char('0'))
        .arg(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
}

void TPresetListForm::updatePresetsList(const PresetBank& bank) {
    m_listBox->clear();
    for (int i = 0; i < kPresetCount; ++i) {
        const auto index = PresetIndex::fromZeroBase(i);
        auto* line = new QListWidgetItem(lineText(index, bank[index]), m_listBox);
        line->setSizeHint(QSize(0, kLineHeight));
    }
}

} // namespace tarnwick
