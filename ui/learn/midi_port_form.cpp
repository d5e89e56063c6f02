// Listing the MIDI ports to choose from.
#include "learn/midi_port_form.h"

#include "audition_player.h"
#include "midi_listener.h"
#include "support/dialog_buttons.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarnwick {

TMidiPortForm::TMidiPortForm(const Texts& texts, std::function<std::vector<std::string>()> ports,
                             QWidget* parent)
    : QDialog(parent), m_lister(std::move(ports)), m_nothing(QLatin1String(texts.nothing)) {
    setObjectName(QLatin1String(texts.objectName));
    setWindowTitle(QLatin1String(texts.title));
    setModal(true);

    auto* label = new QLabel(QLatin1String(texts.label), this);
    m_ports = new QComboBox(this);
    m_ports->setObjectName(QLatin1String(texts.listName));
    m_ports->setAccessibleName(QLatin1String(texts.listAccessibleName));
    m_ports->setMinimumContentsLength(24);
    label->setBuddy(m_ports);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_ports);
    m_btnOK = AddOkCancelButtons(*this, *layout);
    connect(m_btnOK, &QPushButton::clicked, this, [this] {
        m_chosen = m_ports->currentIndex() < 0 ? QString() : m_ports->currentText();
        accept();
    });
}

void TMidiPortForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    const QString before = m_chosen;
    m_ports->clear();
    for (const std::string& name : m_lister()) {
        m_ports->addItem(QString::fromStdString(name));
    }
    m_ports->setPlaceholderText(m_ports->count() == 0 ? m_nothing : QString());
    m_ports->setCurrentIndex(m_ports->count() == 0 ? -1 : std::max(0, m_ports->findText(before)));
    m_btnOK->setEnabled(m_ports->count() > 0);
}

TAuditionOutputForm::TAuditionOutputForm(AuditionPlayer& player, QWidget* parent)
    : TMidiPortForm(
          {"AuditionOutputForm", "Choose Audition Output", "Play presets to this MIDI output:",
           "cboxOutputs", "MIDI outputs", "No MIDI outputs found"},
          [&player] { return player.outputs(); }, parent) {}

TLearnInputForm::TLearnInputForm(MidiListener& listener, QWidget* parent)
    : TMidiPortForm(
          {"LearnInputForm", "Choose Learn Input",
           "Learn bank selects and program changes from this MIDI input:", "cboxInputs",
           "MIDI inputs", "No MIDI inputs found"},
          [&listener] { return listener.inputs(); }, parent) {}

} // namespace tarnwick
