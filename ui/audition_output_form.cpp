// Listing the MIDI outputs to play presets to.
#include "audition_output_form.h"

#include "audition_player.h"
#include "dialog_buttons.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarnwick {

namespace {
const QString kNoOutputs = QStringLiteral("No MIDI outputs found");
}

TAuditionOutputForm::TAuditionOutputForm(AuditionPlayer& player, QWidget* parent)
    : QDialog(parent), m_player(player) {
    setObjectName(QStringLiteral("AuditionOutputForm"));
    setWindowTitle(QStringLiteral("Choose Audition Output"));
    setModal(true);

    auto* label = new QLabel(QStringLiteral("Play presets to this MIDI output:"), this);
    m_outputs = new QComboBox(this);
    m_outputs->setObjectName(QStringLiteral("cboxOutputs"));
    m_outputs->setAccessibleName(QStringLiteral("MIDI outputs"));
    m_outputs->setMinimumContentsLength(24);
    label->setBuddy(m_outputs);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_outputs);
    m_btnOK = AddOkCancelButtons(*this, *layout);
    connect(m_btnOK, &QPushButton::clicked, this, [this] {
        m_chosen = m_outputs->currentIndex() < 0 ? QString() : m_outputs->currentText();
        accept();
    });
}

void TAuditionOutputForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    const QString before = m_chosen;
    m_outputs->clear();
    for (const std::string& name : m_player.outputs()) {
        m_outputs->addItem(QString::fromStdString(name));
    }
    m_outputs->setPlaceholderText(m_outputs->count() == 0 ? kNoOutputs : QString());
    m_outputs->setCurrentIndex(m_outputs->count() == 0 ? -1
                                                       : std::max(0, m_outputs->findText(before)));
    m_btnOK->setEnabled(m_outputs->count() > 0);
}

} // namespace tarnwick
