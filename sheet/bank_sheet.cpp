// Laying out the bank sheet: first every preset's block is measured and the blocks are
// shared out among pages, then the pages are drawn, each knowing how many there are.
#include "bank_sheet.h"

#include "instruments/sound_names.h"
#include "preset/preset_message.h"
#include "preset/preset_text.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QStringList>

#include <algorithm>
#include <optional>
#include <vector>

namespace tarnwick {

namespace {

constexpr int kResolution = 300; // dots an inch
constexpr double kPoint = kResolution / 72.0;
constexpr double kNamePoints = 16;
constexpr double kValuePoints = 12;
// Values that need more than two lines at 12 pt are set smaller, down to this, before
// the rest is cut: sixteen channels of three-digit values and MIDI data are that long.
constexpr double kSmallestValuePoints = 9;
const QString kGap = QStringLiteral("   ");

QFont sheetFont(double points, bool bold = false) {
    QFont font(QStringLiteral("Sans"));
    font.setPixelSize(int(points * kPoint + 0.5));
    font.setBold(bold);
    return font;
}

// A preset's values and MIDI data as the pieces a line may break between; neighbouring
// channels with the same values share a piece ("4-9: -/-/3"), as layers often do.
QStringList valuePieces(const PresetRecord& record, const ChannelNamer& names) {
    QStringList pieces;
    int first = 0;
    QString values;
    const auto close = [&](int last) {
        if (!values.isEmpty()) {
            pieces << (first == last ? QString::number(first)
                                     : QStringLiteral("%1-%2").arg(first).arg(last)) +
                          QStringLiteral(": ") + values;
        }
    };
    for (int channel = 1; channel <= kChannelCount; ++channel) {
        PresetRecord one = DefaultPresetRecord(); // every slot off
        one.channel(channel) = record.channel(channel);
        std::string text = ChannelsSummary(one, names); // "4: -/-/3", empty when all off
        const QString these =
            text.empty() ? QString() : QString::fromStdString(text.substr(text.find(' ') + 1));
        if (these != values || these.isEmpty()) {
            close(channel - 1);
            first = channel;
            values = these;
        }
    }
    close(kChannelCount);
    const std::string data = MidiDataSummary(record); // "F0 7F  Pre"
    if (!data.empty()) {
        const QString text = QString::fromStdString(data);
        const qsizetype split = text.lastIndexOf(QStringLiteral("  "));
        pieces << text.mid(split + 2) + QStringLiteral(": ") + text.left(split);
    }
    return pieces;
}

// `pieces` filled into lines of the given widths in turn; nothing when they need more.
std::optional<QStringList> flowed(const QStringList& pieces, const QFontMetricsF& metrics,
                                  const std::vector<double>& widths) {
    QStringList lines{QString()};
    for (const QString& piece : pieces) {
        const QString joined = lines.last().isEmpty() ? piece : lines.last() + kGap + piece;
        if (metrics.horizontalAdvance(joined) <= widths[std::size_t(lines.size() - 1)]) {
            lines.last() = joined;
            continue;
        }
        if (lines.size() == qsizetype(widths.size()) || lines.last().isEmpty()) {
            return std::nullopt;
        }
        lines << QString();
        if (metrics.horizontalAdvance(piece) > widths[std::size_t(lines.size() - 1)]) {
            return std::nullopt;
        }
        lines.last() = piece;
    }
    return lines;
}

struct Block {
    int slot = 0;
    bool unused = false;
    QString name;
    QStringList lines; // the values, one or two lines
    QFont values;
    double height = 0;
};

struct Layout {
    QFont heading = sheetFont(18, true);
    QFont small = sheetFont(kValuePoints);
    QFont name = sheetFont(kNamePoints, true);
    double width = 0;
    double height = 0;
    double top = 0;        // where the blocks start below the heading
    double nameLeft = 0;   // after the number
    double valuesLeft = 0; // after the longest name
    double padding = 0;    // above and below a block's text
    ChannelNamer names;
};

Block measure(const Layout& layout, const PresetRecord& record, int slot, bool unused,
              QPaintDevice* device) {
    Block block;
    block.slot = slot;
    block.unused = unused;
    const std::string name = PresetName(record);
    block.name = QString::fromLatin1(name.data(), qsizetype(name.size())).trimmed();
    if (unused) { // a short line in the values' type
        block.values = layout.small;
        block.height = QFontMetricsF(layout.small, device).height() + layout.padding;
        return block;
    }
    const QStringList pieces = valuePieces(record, layout.names);
    const std::vector<double> widths{layout.width - layout.valuesLeft,
                                     layout.width - layout.nameLeft};
    for (double points = kValuePoints; points >= kSmallestValuePoints; points -= 0.5) {
        block.values = sheetFont(points);
        if (const auto lines = flowed(pieces, QFontMetricsF(block.values, device), widths)) {
            block.lines = *lines;
            break;
        }
    }
    const QFontMetricsF valueMetrics(block.values, device);
    if (block.lines.isEmpty()) { // still too long: the whole pieces that fit, then "..."
        block.lines = QStringList{QString()};
        for (const QString& piece : pieces) {
            const QString joined =
                block.lines.last().isEmpty() ? piece : block.lines.last() + kGap + piece;
            const double room = widths[std::size_t(block.lines.size() - 1)];
            if (valueMetrics.horizontalAdvance(joined + kGap + QStringLiteral("\u2026")) <= room) {
                block.lines.last() = joined;
            } else if (block.lines.size() == 1) {
                block.lines << piece;
            } else {
                block.lines.last() += kGap + QStringLiteral("\u2026");
                break;
            }
        }
    }
    block.height = QFontMetricsF(layout.name, device).height() + 2 * layout.padding;
    if (block.lines.size() > 1) {
        block.height += valueMetrics.height();
    }
    return block;
}

} // namespace

QByteArray BankSheetPdf(const PresetBank& bank, const QString& title, QDate date,
                        BankSheetOptions options) {
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("Tarnwick Editor"));
    writer.setResolution(kResolution);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                     QMarginsF(12, 10, 12, 10), QPageLayout::Millimeter));

    Layout layout;
    layout.names = options.names;
    layout.width = writer.width();
    layout.height = writer.height();
    const QFontMetricsF headingMetrics(layout.heading, &writer);
    const QFontMetricsF nameMetrics(layout.name, &writer);
    const QFontMetricsF smallMetrics(layout.small, &writer);
    layout.top = headingMetrics.height() * 1.5;
    layout.padding = nameMetrics.height() * 0.12;
    layout.nameLeft = nameMetrics.horizontalAdvance(QStringLiteral("100")) + nameMetrics.height();

    // The blocks, and the widest name among them for the values' column.
    std::vector<std::pair<const PresetRecord*, bool>> shown;
    int leftOut = 0;
    double nameWidth = nameMetrics.horizontalAdvance(QStringLiteral("Name"));
    for (int slot = 0; slot < kPresetCount; ++slot) {
        const PresetRecord& record = bank[PresetIndex::fromZeroBase(slot)];
        const bool unused = IsUntouchedDefault(record, PresetIndex::fromZeroBase(slot));
        if (unused && !options.unusedSlots) {
            ++leftOut;
            continue;
        }
        shown.emplace_back(&record, unused);
        if (!unused) {
            const std::string name = PresetName(record);
            nameWidth = std::max(
                nameWidth, nameMetrics.horizontalAdvance(
                               QString::fromLatin1(name.data(), qsizetype(name.size())).trimmed()));
        }
    }
    layout.valuesLeft = layout.nameLeft + nameWidth + nameMetrics.height();
    std::vector<std::vector<Block>> pages{{}};
    double y = layout.top;
    for (const auto& [record, unused] : shown) {
        Block block = measure(layout, *record, int(record - &bank[PresetIndex::fromZeroBase(0)]),
                              unused, &writer);
        if (y + block.height > layout.height + 1 && !pages.back().empty()) { // a dot to round
            pages.emplace_back();
            y = layout.top;
        }
        y += block.height;
        pages.back().push_back(std::move(block));
    }
    // The last line: the slots left out, and what a sound's name with "?" means.
    bool uncertain = false;
    for (const auto& blocks : pages) {
        for (const Block& each : blocks) {
            for (const QString& line : each.lines) {
                uncertain = uncertain || line.contains(u'?');
            }
        }
    }
    QString leftOutLine =
        leftOut == 0 ? QString()
                     : QStringLiteral("%1 unused slot%2 left out (the default name, nothing "
                                      "switched on, no MIDI data).")
                           .arg(leftOut)
                           .arg(leftOut == 1 ? QStringLiteral("") : QStringLiteral("s"));
    if (uncertain) {
        leftOutLine += (leftOutLine.isEmpty() ? QString() : QStringLiteral("  ")) +
                       QString::fromLatin1(kUncertainLegend);
    }
    if (!leftOutLine.isEmpty() && y + smallMetrics.height() * 1.5 > layout.height + 1) {
        pages.emplace_back();
    }

    QPainter painter(&writer);
    const int pageCount = int(pages.size());
    for (int page = 0; page < pageCount; ++page) {
        if (page > 0) {
            writer.newPage();
        }
        painter.setPen(Qt::black);
        painter.setFont(layout.heading);
        const QRectF headingLine(0, 0, layout.width, headingMetrics.height());
        painter.drawText(headingLine, Qt::AlignLeft | Qt::AlignVCenter, title);
        painter.setFont(layout.small);
        painter.drawText(headingLine, Qt::AlignRight | Qt::AlignVCenter,
                         QStringLiteral("%1   page %2 of %3")
                             .arg(date.toString(Qt::ISODate))
                             .arg(page + 1)
                             .arg(pageCount));
        painter.drawLine(QPointF(0, headingMetrics.height() * 1.2),
                         QPointF(layout.width, headingMetrics.height() * 1.2));
        y = layout.top;
        int row = 0;
        for (const Block& block : pages[std::size_t(page)]) {
            if (row++ % 2 == 1) { // every other block shaded, for the eye to follow
                painter.fillRect(QRectF(0, y, layout.width, block.height), QColor(232, 232, 232));
            }
            // The preset's number, right-aligned before its name, and the name, in `font`.
            const auto numberAndName = [&](const QFont& font, double baseline) {
                const QFontMetricsF metrics(font, &writer);
                const QString number = QString::number(block.slot + 1);
                painter.setFont(font);
                painter.drawText(QPointF(layout.nameLeft - nameMetrics.height() / 2 -
                                             metrics.horizontalAdvance(number),
                                         baseline),
                                 number);
                painter.drawText(QPointF(layout.nameLeft, baseline), block.name);
            };
            const QFontMetricsF valueMetrics(block.values, &writer);
            if (block.unused) {
                painter.setPen(QColor(90, 90, 90));
                numberAndName(block.values, y + layout.padding / 2 + valueMetrics.ascent());
                painter.setPen(Qt::black);
                y += block.height;
                continue;
            }
            const double baseline = y + layout.padding + nameMetrics.ascent();
            numberAndName(layout.name, baseline);
            painter.setFont(block.values);
            painter.drawText(QPointF(layout.valuesLeft, baseline), block.lines.value(0));
            if (block.lines.size() > 1) {
                painter.drawText(QPointF(layout.nameLeft, baseline + nameMetrics.descent() +
                                                              valueMetrics.ascent() +
                                                              layout.padding / 2),
                                 block.lines[1]);
            }
            y += block.height;
        }
        if (page == pageCount - 1 && !leftOutLine.isEmpty()) {
            painter.setFont(layout.small);
            painter.drawText(QPointF(0, y + smallMetrics.height() * 0.5 + smallMetrics.ascent()),
                             leftOutLine);
        }
    }
    painter.end();
    return pdf;
}

} // namespace tarnwick
