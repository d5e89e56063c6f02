// "Choose Audition Output": the MIDI outputs a preset can be played to, such as a synth.
// Each showing lists them anew and selects the one chosen before when it is still there.
#pragma once

#include <QDialog>

class QComboBox;
class QPushButton;

namespace tarnwick {

class AuditionPlayer;

class TAuditionOutputForm final : public QDialog {
    Q_OBJECT
public:
    explicit TAuditionOutputForm(AuditionPlayer& player, QWidget* parent = nullptr);

    // The output selected when OK was clicked; empty when there was none.
    QString chosenOutput() const { return m_chosen; }
    QComboBox* outputList() const { return m_outputs; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    AuditionPlayer& m_player;
    QComboBox* m_outputs = nullptr;
    QPushButton* m_btnOK = nullptr;
    QString m_chosen;
};

} // namespace tarnwick
