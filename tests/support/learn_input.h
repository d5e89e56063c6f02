// The scripted user's answer to "Choose Learn Input" or "Choose Audition Output": the window
// shown (it lists the ports as it shows), `port` chosen and OK clicked.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <QString>

#include <functional>

namespace tarnwick::testing {

inline int ChoosePort(QDialog& dialog, const QString& port) {
    dialog.show();
    auto* list = dialog.findChild<QComboBox*>();
    list->setCurrentIndex(list->findText(port));
    dialog.findChild<QPushButton*>("btnOK")->click();
    dialog.hide();
    return dialog.result();
}

inline std::function<int(QDialog&)> ChoosingLearnInput(QString input) {
    return [input](QDialog& dialog) {
        return ChoosePort(dialog, input);
    };
}

} // namespace tarnwick::testing
