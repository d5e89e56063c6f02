// The sounds' names beside the channel grid: one label a channel, the name the rig gives
// the channel's values ("Symphonique", "Warm Pad?" when the synth's bank decides), every
// candidate in its tip. Right-click on a label: "Choose Sound...".
#pragma once

#include "instruments/sound_names.h"
#include "preset/preset_record.h"

#include <QWidget>

#include <array>
#include <functional>

class QLabel;

namespace tarnwick {

class ChannelGrid;

class SoundColumn final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 150;

    // Lines its labels up with `grid`'s rows.
    SoundColumn(const ChannelGrid& grid, QWidget* parent);

    void showNames(const SoundNamer& names, const PresetRecord& record);
    QLabel* label(int channel) const { return m_labels[std::size_t(channel - 1)]; }

signals:
    void chooseSound(int channel);

private:
    std::array<QLabel*, kChannelCount> m_labels{};
    const ChannelGrid& m_grid;
};

} // namespace tarnwick
