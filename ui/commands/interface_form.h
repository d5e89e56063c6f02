// The "Choose MIDI Interface" dialog: lists the interfaces each time it is shown, and on
// OK opens the chosen one, asks the keypad who it is and closes it again.
#pragma once

#include <QDialog>

class QComboBox;
class QPushButton;

namespace tarnwick {

class MidiPortLayer;

class TInterfaceForm final : public QDialog {
    Q_OBJECT
public:
    explicit TInterfaceForm(MidiPortLayer& ports, QWidget* parent = nullptr);

    MidiPortLayer& portLayer() const { return m_ports; }
    // The name of the interface chosen last (the list's selected line).
    QString selectedName() const;
    QComboBox* interfaceList() const { return m_comboBox1; }

protected:
    // Each showing lists the interfaces anew; no interface stays selected.
    void showEvent(QShowEvent* event) override;

private:
    void btnOKClick();

    MidiPortLayer& m_ports;
    QComboBox* m_comboBox1 = nullptr;
    QPushButton* m_btnOK = nullptr;
};

} // namespace tarnwick
