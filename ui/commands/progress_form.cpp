// Layout of the progress window: one smooth bar from 0 to 120 filling the window.
#include "commands/progress_form.h"

#include <QProgressBar>
#include <QVBoxLayout>

namespace tarnwick {

TfrmProgress::TfrmProgress(QWidget* parent) : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmProgress"));
    setFixedSize(408, 27);
    m_progressBar = new QProgressBar(this);
    m_progressBar->setObjectName(QStringLiteral("ProgressBar1"));
    m_progressBar->setAccessibleName(QStringLiteral("Firmware upgrade progress"));
    m_progressBar->setRange(0, 120);
    m_progressBar->setValue(0);
    m_progressBar->setTextVisible(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_progressBar);
}

void TfrmProgress::stepIt() {
    const int range = m_progressBar->maximum() - m_progressBar->minimum();
    int next = m_progressBar->value() + 1;
    if (next > m_progressBar->maximum()) {
        next = m_progressBar->minimum() + (next - m_progressBar->minimum()) % range;
    }
    m_progressBar->setValue(next);
}

void TfrmProgress::showCentred() {
    if (const QWidget* owner = parentWidget()) {
        move(owner->window()->frameGeometry().center() - rect().center());
    }
    show();
}

} // namespace tarnwick
