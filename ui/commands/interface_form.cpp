// Listing and trying MIDI interfaces.
#include "commands/interface_form.h"

#include "port_layer.h"
#include "support/dialog_buttons.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarnwick {

namespace {
const QString kNoInterfaces = QStringLiteral("No MIDI interfaces found");
}

TInterfaceForm::TInterfaceForm(MidiPortLayer& ports, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), m_ports(ports) {
    setObjectName(QStringLiteral("InterfaceForm"));
    setWindowTitle(QStringLiteral("Choose MIDI Interface"));
    setFixedSize(257, 140);
    setModal(true);

    auto* label =
        new QLabel(QStringLiteral("Select a MIDI interface or TWK-5 from the list:"), this);
    label->setObjectName(QStringLiteral("Label1"));
    label->setWordWrap(true);
    m_comboBox1 = new QComboBox(this);
    m_comboBox1->setObjectName(QStringLiteral("ComboBox1"));
    m_comboBox1->setAccessibleName(QStringLiteral("MIDI interfaces"));
    m_comboBox1->setEditable(false);
    label->setBuddy(m_comboBox1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_comboBox1);
    m_btnOK = AddOkCancelButtons(*this, *layout);
    m_btnOK->setEnabled(false);
    connect(m_btnOK, &QPushButton::clicked, this, &TInterfaceForm::btnOKClick);
}

void TInterfaceForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_comboBox1->clear();
    m_comboBox1->setPlaceholderText(QString());
    if (m_ports.refreshInterfaces() == 0) {
        m_comboBox1->addItem(kNoInterfaces);
        m_comboBox1->setPlaceholderText(kNoInterfaces);
        m_comboBox1->setCurrentIndex(-1);
        m_btnOK->setEnabled(false);
        return;
    }
    for (const MidiPortPair& pair : m_ports.interfaceList()) {
        m_comboBox1->addItem(QString::fromStdString(pair.name));
    }
    m_comboBox1->setCurrentIndex(0);
    m_btnOK->setEnabled(true);
}

QString TInterfaceForm::selectedName() const {
    return m_comboBox1->currentIndex() < 0 ? QString() : m_comboBox1->currentText();
}

void TInterfaceForm::btnOKClick() {
    const int index = m_comboBox1->currentIndex();
    if (index < 0) {
        return;
    }
    // The interface is taken when its ports open; the identity only decorates the status.
    if (m_ports.identify(index).result == TransferResult::Acknowledged) {
        m_ports.setSelectedInterface(index);
    }
    accept();
}

} // namespace tarnwick
