// The About box: borderless, white, with a thin black frame and the version.
#pragma once

#include <QDialog>

class QLabel;

namespace tarnwick {

class TAboutForm final : public QDialog {
    Q_OBJECT
public:
    explicit TAboutForm(QWidget* parent = nullptr);

protected:
    // The thin black border one pixel inside the window's edge.
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // "OK" is the only way out: Escape and the window manager's close do nothing.
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void OKClick();

    QLabel* m_image = nullptr;
};

} // namespace tarnwick
