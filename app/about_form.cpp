// Layout and frame of the About box.
#include "about_form.h"

#include "platform/version.h"
#include "support/project_icon.h"

#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

namespace tarnwick {

TAboutForm::TAboutForm(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(407, 179);
    setModal(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    setPalette(white);
    setAutoFillBackground(true);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::NoFrame);
    panel->setGeometry(8, 8, 377, 129);

    m_image = new QLabel(panel);
    m_image->setObjectName(QStringLiteral("Image1"));
    m_image->setGeometry(8, 8, 209, 159);
    m_image->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    auto* label1 = new QLabel(QStringLiteral("Tarnwick"), panel);
    label1->setObjectName(QStringLiteral("Label1"));
    // Bold 13-pixel Arial, or a face with Arial's metrics where Arial is not installed.
    QFont bold = label1->font();
    bold.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    bold.setBold(true);
    bold.setPixelSize(13);
    label1->setFont(bold);
    label1->setGeometry(228, 12, 140, 18);
    auto* label2 = new QLabel(QStringLiteral("Editor/Librarian"), panel);
    label2->setObjectName(QStringLiteral("Label2"));
    label2->setGeometry(228, 32, 140, 18);
    auto* label3 = new QLabel(QStringLiteral("Version ") + QLatin1String(kVersion), panel);
    label3->setObjectName(QStringLiteral("Label3"));
    label3->setGeometry(228, 96, 140, 18);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OK"));
    ok->setDefault(true);
    ok->setGeometry((width() - 75) / 2, 144, 75, 25);
    connect(ok, &QPushButton::clicked, this, &TAboutForm::OKClick);
}

void TAboutForm::OKClick() {
    accept();
}

void TAboutForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The picture is drawn from its SVG when the box is first shown, not at start-up.
    if (m_image->pixmap().isNull()) {
        m_image->setPixmap(ProjectIcon("tarnwick-editor").pixmap(QSize(112, 112)));
    }
    if (const QScreen* screen = this->screen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

void TAboutForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TAboutForm::closeEvent(QCloseEvent* event) {
    if (event->spontaneous()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TAboutForm::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    // Outlines cover the pixels from their first to their last coordinate.
    painter.setPen(Qt::white);
    painter.drawRect(0, 0, width() - 1, height() - 1);
    painter.setPen(Qt::black);
    painter.drawRect(1, 1, width() - 3, height() - 3);
}

} // namespace tarnwick
