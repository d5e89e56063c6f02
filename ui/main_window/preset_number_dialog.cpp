// Layout of the preset-number dialogs.
#include "main_window/preset_number_dialog.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>

namespace tarnwick {

PresetNumberDialog::PresetNumberDialog(const char* objectName, const QString& title,
                                       const QString& question, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QLatin1String(objectName));
    setWindowTitle(title);
    setModal(true);

    m_label1 = new QLabel(question, this);
    m_label1->setObjectName(QStringLiteral("Label1"));
    auto* numberLabel = new QLabel(QStringLiteral("Preset Number: "), this);
    m_spinPreset = new QSpinBox(this);
    m_spinPreset->setObjectName(QStringLiteral("spinPreset"));
    m_spinPreset->setAccessibleName(QStringLiteral("Preset number"));
    m_spinPreset->setRange(1, 100);
    m_spinPreset->setValue(1);
    numberLabel->setBuddy(m_spinPreset);
    auto* rangeLabel = new QLabel(QStringLiteral("(1 - 100)"), this);

    auto* btnContinue = new QPushButton(QStringLiteral("Continue"), this);
    btnContinue->setObjectName(QStringLiteral("btnContinue"));
    btnContinue->setDefault(true);
    auto* btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    connect(btnContinue, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QGridLayout(this);
    layout->addWidget(m_label1, 0, 0, 1, 3);
    layout->addWidget(numberLabel, 1, 0);
    layout->addWidget(m_spinPreset, 1, 1);
    layout->addWidget(rangeLabel, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnContinue);
    buttons->addWidget(btnCancel);
    buttons->addStretch();
    layout->addLayout(buttons, 2, 0, 1, 3);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void PresetNumberDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* screen = this->screen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

int PresetNumberDialog::presetNumber() const {
    return m_spinPreset->value();
}

void PresetNumberDialog::setPresetNumber(int number) {
    m_spinPreset->setValue(number);
}

TSaveForm::TSaveForm(QWidget* parent)
    : PresetNumberDialog("SaveForm", QStringLiteral("Save To Which Preset?"),
                         QStringLiteral("Save Current Preset to this Preset Number? "), parent) {}

TLoadForm::TLoadForm(QWidget* parent)
    : PresetNumberDialog("LoadForm", QStringLiteral("Load into which Preset?"),
                         QStringLiteral("Load new Preset into this Preset Number? "), parent) {}

} // namespace tarnwick
