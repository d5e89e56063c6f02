// Choosing a MIDI port by name: "Choose Audition Output" (the outputs a preset can be
// played to, such as a synth) and "Choose Learn Input" (the inputs the editor learns
// from). Each showing lists the ports anew and selects the one chosen before when it is
// still there.
#pragma once

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QPushButton;

namespace tarnwick {

class AuditionPlayer;
class MidiListener;

class TMidiPortForm : public QDialog {
    Q_OBJECT
public:
    // What the window says: its object name, title, the list's label and accessible name,
    // and what stands in the list when there is nothing to choose.
    struct Texts {
        const char* objectName;
        const char* title;
        const char* label;
        const char* listName;
        const char* listAccessibleName;
        const char* nothing;
    };
    TMidiPortForm(const Texts& texts, std::function<std::vector<std::string>()> ports,
                  QWidget* parent);

    // The port selected when OK was clicked; empty when there was none.
    QString chosenPort() const { return m_chosen; }
    QComboBox* portList() const { return m_ports; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::function<std::vector<std::string>()> m_lister;
    QComboBox* m_ports = nullptr;
    QPushButton* m_btnOK = nullptr;
    QString m_nothing;
    QString m_chosen;
};

class TAuditionOutputForm final : public TMidiPortForm {
    Q_OBJECT
public:
    explicit TAuditionOutputForm(AuditionPlayer& player, QWidget* parent = nullptr);
    QString chosenOutput() const { return chosenPort(); }
};

class TLearnInputForm final : public TMidiPortForm {
    Q_OBJECT
public:
    explicit TLearnInputForm(MidiListener& listener, QWidget* parent = nullptr);
};

} // namespace tarnwick
