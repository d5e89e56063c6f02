// The 16 x 3 grid of channel values: for each MIDI channel a check box and a spin edit
// for bank select MSB, bank select LSB and program change. A check box is ticked exactly
// when its spin edit is enabled; a switched-off value keeps its number.
#pragma once

#include "preset/preset_record.h"

#include <QGroupBox>

#include <array>

class QCheckBox;

namespace tarnwick {

class ChannelSpinEdit;

class ChannelGrid final : public QGroupBox {
    Q_OBJECT
public:
    explicit ChannelGrid(QWidget* parent = nullptr);

    QCheckBox* checkBox(int channel, SlotKind kind) const;
    ChannelSpinEdit* spinEdit(int channel, SlotKind kind) const;

    // A load's own change: value first, then the tick and the enabled state together.
    // Runs none of the effects of a user's click.
    void showSlot(int channel, SlotKind kind, std::uint8_t slotByte);
    // The slot byte the controls stand for (bit 7 set when the value is switched off).
    std::uint8_t slotByte(int channel, SlotKind kind) const;

    // The channel (1-16) whose check box or spin edit `widget` is or is inside; 0 for none.
    int channelOf(const QWidget* widget) const;
    // Object names: cboxCh4LSB, spinCh4LSB.
    static QString controlSuffix(int channel, SlotKind kind);

signals:
    // A user change of any value or switch (feeds SomethingChanged).
    void changed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Pair {
        QCheckBox* checkBox = nullptr;
        ChannelSpinEdit* spinEdit = nullptr;
    };
    using Row = std::array<Pair, 3>;

    // The user clicked the check box of this pair.
    void cboxClick(int channel, SlotKind kind);
    // Focus colouring of the check boxes.
    void cboxEnter(QCheckBox* box);
    void cboxExit(QCheckBox* box);

    const Pair& pair(int channel, SlotKind kind) const;

    std::array<Row, kChannelCount> m_rows{};
    bool m_showingSlot = false; // showSlot() sets a box: none of a tick's effects
};

} // namespace tarnwick
