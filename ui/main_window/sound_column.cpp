// The Sound column's labels.
#include "main_window/sound_column.h"

#include "main_window/channel_grid.h"
#include "main_window/channel_spin_edit.h"

#include <QAction>
#include <QLabel>

namespace tarnwick {

SoundColumn::SoundColumn(const ChannelGrid& grid, QWidget* parent) : QWidget(parent), m_grid(grid) {
    setObjectName(QStringLiteral("SoundColumn"));
    auto* heading = new QLabel(QStringLiteral("Sound"), this);
    heading->setObjectName(QStringLiteral("lblSoundHeading"));
    const QWidget* first = grid.spinEdit(1, SlotKind::Program);
    const int top = first->mapTo(parentWidget(), QPoint(0, 0)).y();
    heading->setGeometry(4, top - 20, kWidth - 8, 16);
    for (int channel = 1; channel <= kChannelCount; ++channel) {
        const QWidget* spin = grid.spinEdit(channel, SlotKind::Program);
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("lblSound%1").arg(channel));
        label->setAccessibleName(QStringLiteral("Sound %1").arg(channel));
        label->setGeometry(4, spin->mapTo(parentWidget(), QPoint(0, 0)).y(), kWidth - 8,
                           spin->height());
        label->setContextMenuPolicy(Qt::ActionsContextMenu);
        auto* choose = new QAction(QStringLiteral("Choose Sound..."), label);
        choose->setObjectName(QStringLiteral("actChooseSound%1").arg(channel));
        connect(choose, &QAction::triggered, this, [this, channel] { emit chooseSound(channel); });
        label->addAction(choose);
        m_labels[std::size_t(channel - 1)] = label;
    }
}

void SoundColumn::showNames(const SoundNamer& names, const PresetRecord& record) {
    for (int channel = 1; channel <= kChannelCount; ++channel) {
        const SoundName name = names ? names(channel, record.channel(channel)) : SoundName{};
        QLabel* label = m_labels[std::size_t(channel - 1)];
        const QString shown = QString::fromStdString(name.shown);
        label->setText(shown);
        QStringList all; // each candidate with its bank
        for (std::size_t i = 0; i < name.candidates.size(); ++i) {
            all << QStringLiteral("%1 (%2)").arg(QString::fromStdString(name.candidates[i]),
                                                 QString::fromStdString(name.banks[i]));
        }
        label->setToolTip(all.size() > 1 ? QStringLiteral("The synth's current bank decides: %1")
                                               .arg(all.join(QStringLiteral(", ")))
                                         : shown);
        // A screen reader says the label's name; the sound is its description.
        label->setAccessibleDescription(shown.isEmpty() ? QStringLiteral("no sound named")
                                                        : label->toolTip());
        // Tabbing through a channel, the program field says the sound it selects.
        m_grid.spinEdit(channel, SlotKind::Program)
            ->setAccessibleDescription(shown.isEmpty() ? QString()
                                                       : QStringLiteral("Sound: %1").arg(shown));
    }
}

} // namespace tarnwick
