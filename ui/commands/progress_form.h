// The borderless progress window shown while firmware is sent to the keypad.
#pragma once

#include <QWidget>

class QProgressBar;

namespace tarnwick {

class TfrmProgress final : public QWidget {
    Q_OBJECT
public:
    explicit TfrmProgress(QWidget* parent = nullptr);
    QProgressBar* progressBar() const { return m_progressBar; }

    // One step on; a step past the end starts the bar again from the beginning.
    void stepIt();
    // Shows the window centred on the window it belongs to.
    void showCentred();

private:
    QProgressBar* m_progressBar = nullptr;
};

} // namespace tarnwick
