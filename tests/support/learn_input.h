// The scripted user's answer to "Choose Learn Input": the window shown (it lists the inputs
// as it shows), `input` chosen and OK clicked.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <QString>

#include <functional>

namespace tarnwick::testing {

inline std::function<int(QDialog&)> ChoosingLearnInput(QString input) {
    return [input](QDialog& dialog) {
        dialog.show();
        auto* list = dialog.findChild<QComboBox*>("cboxInputs");
        list->setCurrentIndex(list->findText(input));
        dialog.findChild<QPushButton*>("btnOK")->click();
        dialog.hide();
        return dialog.result();
    };
}

} // namespace tarnwick::testing
