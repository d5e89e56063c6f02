// "Choose Sound for Channel N": an instrument's sounds for one channel (bank, number,
// name), narrowed as the search field is typed in. Enter or a double-click chooses one;
// with "Play on select" each sound selected is played on that channel first.
#pragma once

#include "instruments/instrument.h"
#include "preset/preset_record.h"

#include <QDialog>

#include <functional>
#include <optional>

class QCheckBox;
class QLineEdit;
class QSortFilterProxyModel;
class QStandardItemModel;
class QTreeView;

namespace tarnwick {

class TChooseSoundForm final : public QDialog {
    Q_OBJECT
public:
    explicit TChooseSoundForm(QWidget* parent = nullptr);

    // Lists `set`'s sounds for `channel` of `instrument`, the search field empty, the sound
    // the channel's values select (`now`) current.
    void setSounds(int channel, const NameSet& set, const QString& instrument,
                   const ChannelSlot& now);
    // Before the instrument files are read, or when the channel has none: `text` in place
    // of the sounds.
    void showText(int channel, const QString& text);
    // How a sound is played while "Play on select" is ticked.
    void setPlayer(std::function<void(const Sound&)> play) { m_play = std::move(play); }
    // The sound chosen when the dialog was accepted.
    std::optional<Sound> chosen() const { return m_chosen; }

    QLineEdit* searchField() const { return m_search; }
    QTreeView* soundList() const { return m_list; }
    int shownCount() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const Sound* current() const;
    void choose();

    const NameSet* m_set = nullptr;
    bool m_filling = false; // a sound made current by the list's filling is not played
    std::function<void(const Sound&)> m_play;
    std::optional<Sound> m_chosen;
    QLineEdit* m_search = nullptr;
    QTreeView* m_list = nullptr;
    QCheckBox* m_playOnSelect = nullptr;
    QStandardItemModel* m_model = nullptr;
    QSortFilterProxyModel* m_filter = nullptr;
};

} // namespace tarnwick
