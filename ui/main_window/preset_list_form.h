// The "Preset List" side window: one line per preset, "01.  New Name 1".
#pragma once

#include "preset/preset_record.h"

#include <QWidget>

class QListWidget;

namespace tarnwick {

class TPresetListForm final : public QWidget {
    Q_OBJECT
public:
    explicit TPresetListForm(QWidget* parent = nullptr);

    // Rebuilds all 100 lines from the bank.
    void updatePresetsList(const PresetBank& bank);
    QListWidget* listBox() const { return m_listBox; }

    static QString lineText(PresetIndex index, const PresetRecord& record);

signals:
    // The user chose a line (double click or Enter): its number, 0 with none selected.
    void lineChosen(int number);
    // Tab was released in the list: the main window's number field takes the focus.
    void tabReleased();

protected:
    // Stands against the main window's right edge each time it is shown.
    void showEvent(QShowEvent* event) override;
    // Only the main window's button shows and hides the list: its close box does
    // nothing. Closes that the program asks for (the program ending) go through.
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void chooseSelectedLine(); // a double click, or Enter, in the list

    QListWidget* m_listBox = nullptr;
};

} // namespace tarnwick
