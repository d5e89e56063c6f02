// Builds the channel grid in a loop and keeps each check box in step with its spin edit.
#include "main_window/channel_grid.h"

#include "support/flag_guard.h"

#include "main_window/channel_spin_edit.h"

#include <QCheckBox>
#include <QEvent>
#include <QLabel>

namespace tarnwick {

namespace {

constexpr std::array<int, 3> kCheckBoxX{96, 232, 368};
constexpr std::array<int, 3> kSpinEditX{132, 268, 404};
constexpr int kSpinWidth = 49;
constexpr int kSpinHeight = 22;
constexpr int kRowPitch = 27;
constexpr int kFirstRowY = 43;
constexpr int kNinthRowY = 275; // a wider gap splits channels 1-8 from 9-16
constexpr int kCheckBoxSize = 17;

int rowY(int channel) {
    return channel <= 8 ? kFirstRowY + kRowPitch * (channel - 1)
                        : kNinthRowY + kRowPitch * (channel - 9);
}

// By SlotKind: the end of the controls' names, and what a screen reader calls the value.
constexpr const char* kKindSuffixes[] = {"MSB", "LSB", "Pgm"};
constexpr const char* kValueNames[] = {"bank select MSB", "bank select LSB", "program"};

const char* kindSuffix(SlotKind kind) {
    return kKindSuffixes[std::size_t(kind)];
}

QString accessibleValueName(int channel, SlotKind kind) {
    return QStringLiteral("Channel %1 %2")
        .arg(channel)
        .arg(QLatin1String(kValueNames[std::size_t(kind)]));
}

const QColor kFocusBlue(0, 0, 255);

// The system's button-face colour, the check boxes' background without focus.
QColor buttonFace() {
    return QPalette().color(QPalette::Button);
}

// A check box draws no background of its own: it is filled only when told to, and then
// with its background role's colour.
void setBackground(QCheckBox* box, const QColor& colour) {
    QPalette palette = box->palette();
    palette.setColor(box->backgroundRole(), colour);
    box->setPalette(palette);
    box->setAutoFillBackground(true);
}

} // namespace

ChannelGrid::ChannelGrid(QWidget* parent) : QGroupBox(QStringLiteral(" Preset Data "), parent) {
    setObjectName(QStringLiteral("GroupBox3"));

    const std::array<QString, 3> headings{QStringLiteral("Bank Select MSB (0-127)"),
                                          QStringLiteral("Bank Select LSB (0-127)"),
                                          QStringLiteral("Program Change (1 to 128)")};
    for (std::size_t k = 0; k < headings.size(); ++k) {
        auto* heading = new QLabel(headings[k], this);
        QFont font = heading->font();
        font.setUnderline(true);
        font.setPointSizeF(7);
        heading->setFont(font);
        heading->setGeometry(kCheckBoxX[k] - 6, 20, 136, 16);
    }

    for (int channel = 1; channel <= kChannelCount; ++channel) {
        const int y = rowY(channel);
        auto* label = new QLabel(QStringLiteral("MIDI Ch %1: ").arg(channel), this);
        label->setGeometry(12, y + 2, 80, 18);

        for (SlotKind kind : kSlotKinds) {
            const auto k = static_cast<std::size_t>(kind);
            const QString suffix = controlSuffix(channel, kind);
            const bool program = kind == SlotKind::Program;

            auto* box = new QCheckBox(this);
            box->setObjectName(QStringLiteral("cbox") + suffix);
            box->setAccessibleName(accessibleValueName(channel, kind) + QStringLiteral(" on"));
            box->setGeometry(kCheckBoxX[k], y + 2, kCheckBoxSize + 2, kCheckBoxSize + 1);
            box->setAutoFillBackground(true);
            setBackground(box, buttonFace());
            box->installEventFilter(this);

            auto* spin = new ChannelSpinEdit(program ? 1 : 0, program ? 128 : 127, this);
            spin->setObjectName(QStringLiteral("spin") + suffix);
            spin->setAccessibleName(accessibleValueName(channel, kind));
            spin->setGeometry(kSpinEditX[k], y, kSpinWidth, kSpinHeight);
            spin->setEnabled(false);

            m_rows[static_cast<std::size_t>(channel - 1)][k] = Pair{box, spin};

            // Every way a box is ticked counts: a click, Space, a screen reader's Toggle (which
            // emits no clicked); a preset being shown sets the boxes without these effects.
            connect(box, &QCheckBox::toggled, this, [this, channel, kind] {
                if (!m_showingSlot) {
                    cboxClick(channel, kind);
                }
            });
            connect(spin, &QSpinBox::valueChanged, this, &ChannelGrid::changed);
        }
    }
}

QString ChannelGrid::controlSuffix(int channel, SlotKind kind) {
    return QStringLiteral("Ch%1%2").arg(channel).arg(QLatin1String(kindSuffix(kind)));
}

const ChannelGrid::Pair& ChannelGrid::pair(int channel, SlotKind kind) const {
    return m_rows.at(static_cast<std::size_t>(channel - 1)).at(static_cast<std::size_t>(kind));
}

QCheckBox* ChannelGrid::checkBox(int channel, SlotKind kind) const {
    return pair(channel, kind).checkBox;
}

ChannelSpinEdit* ChannelGrid::spinEdit(int channel, SlotKind kind) const {
    return pair(channel, kind).spinEdit;
}

void ChannelGrid::showSlot(int channel, SlotKind kind, std::uint8_t slotByte) {
    const Pair& p = pair(channel, kind);
    const int value =
        kind == SlotKind::Program ? ProgramNumberFromStored(slotByte) : (slotByte & kSlotValueMask);
    p.spinEdit->setValue(value);
    const bool enabled = SlotEnabled(slotByte);
    FlagGuard showing(m_showingSlot);
    p.checkBox->setChecked(enabled);
    p.spinEdit->setEnabled(enabled);
}

std::uint8_t ChannelGrid::slotByte(int channel, SlotKind kind) const {
    const Pair& p = pair(channel, kind);
    int value = p.spinEdit->effectiveValue();
    if (kind == SlotKind::Program) {
        value = StoredFromProgramNumber(value);
    }
    auto byte = static_cast<std::uint8_t>(value & 0xFF);
    // The spin edit's enabled state is what counts; the check box always agrees with it.
    if (!p.spinEdit->isEnabled()) {
        byte = static_cast<std::uint8_t>(byte | kSlotDisabled);
    }
    return byte;
}

void ChannelGrid::cboxClick(int channel, SlotKind kind) {
    const Pair& p = pair(channel, kind);
    // Invert the spin edit's own state; the check box has already toggled itself.
    const bool enable = !p.spinEdit->isEnabled();
    p.spinEdit->setEnabled(enable);
    // The edit is known before focus moves: a field that focus leaves (the preset number,
    // when a screen reader ticks the box) may show the preset again, and must keep this.
    emit changed();
    if (enable) {
        p.spinEdit->setFocus(Qt::OtherFocusReason);
    }
}

void ChannelGrid::cboxEnter(QCheckBox* box) {
    setBackground(box, kFocusBlue);
}

void ChannelGrid::cboxExit(QCheckBox* box) {
    setBackground(box, buttonFace());
}

bool ChannelGrid::eventFilter(QObject* watched, QEvent* event) {
    if (auto* box = qobject_cast<QCheckBox*>(watched)) {
        if (event->type() == QEvent::FocusIn) {
            cboxEnter(box);
        } else if (event->type() == QEvent::FocusOut) {
            cboxExit(box);
        }
    }
    return QGroupBox::eventFilter(watched, event);
}

int ChannelGrid::channelOf(const QWidget* widget) const {
    for (int channel = 1; channel <= kChannelCount; ++channel) {
        for (const Pair& pair : m_rows[std::size_t(channel - 1)]) {
            if (widget && (widget == pair.checkBox || pair.spinEdit->isAncestorOf(widget) ||
                           widget == pair.spinEdit)) {
                return channel;
            }
        }
    }
    return 0;
}

} // namespace tarnwick
