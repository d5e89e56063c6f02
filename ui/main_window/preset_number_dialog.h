// The small modal dialogs that ask for a preset number (1 to 100): "Save To Which
// Preset?" and "Load into which Preset?". They hold no logic: the caller sets the
// number, runs the dialog and reads the number back after Continue.
#pragma once

#include <QDialog>

class QLabel;
class QSpinBox;

namespace tarnwick {

class PresetNumberDialog : public QDialog {
    Q_OBJECT
public:
    int presetNumber() const;
    // Values out of 1 to 100 are brought into range by the field.
    void setPresetNumber(int number);
    QLabel* question() const { return m_label1; }
    QSpinBox* spinPreset() const { return m_spinPreset; }

protected:
    void showEvent(QShowEvent* event) override; // centred on the screen
    PresetNumberDialog(const char* objectName, const QString& title, const QString& question,
                       QWidget* parent);

private:
    QLabel* m_label1 = nullptr;
    QSpinBox* m_spinPreset = nullptr;
};

class TSaveForm final : public PresetNumberDialog {
    Q_OBJECT
public:
    explicit TSaveForm(QWidget* parent = nullptr);
};

class TLoadForm final : public PresetNumberDialog {
    Q_OBJECT
public:
    explicit TLoadForm(QWidget* parent = nullptr);
};

} // namespace tarnwick
