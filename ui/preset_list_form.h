// The "Preset List" side window: one line per preset, "01.  New Name 1".
#pragma once

#include "preset_record.h"

#include <QDialog>

class QListWidget;

namespace tarnwick {

class TPresetListForm final : public QDialog {
    Q_OBJECT
public:
    explicit TPresetListForm(QWidget* parent = nullptr);

    // Rebuilds all 100 lines from the bank.
    void UpdatePresetsList(const PresetBank& bank);
    QListWidget* listBox() const { return m_listBox; }

    static QString lineText(PresetIndex index, const PresetRecord& record);

private:
    QListWidget* m_listBox = nullptr;
};

} // namespace tarnwick
