// Laying out the bank sheet.
#include "bank_sheet.h"

#include "preset_text.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QStringList>

#include <algorithm>

namespace tarnwick {

namespace {

constexpr int kResolution = 300; // dots an inch
constexpr double kPoint = kResolution / 72.0;
constexpr int kRowsPerPage = 50;

// The channel summary split at its channel boundaries into lines at most `width` wide.
QStringList wrapped(const QString& summary, const QFontMetricsF& metrics, double width) {
    QStringList lines;
    for (const QString& channel : summary.split(QStringLiteral("  "), Qt::SkipEmptyParts)) {
        if (!lines.isEmpty() &&
            metrics.horizontalAdvance(lines.last() + QStringLiteral("  ") + channel) <= width) {
            lines.last() += QStringLiteral("  ") + channel;
        } else {
            lines << channel;
        }
    }
    return lines.isEmpty() ? QStringList{QString()} : lines;
}

} // namespace

QByteArray BankSheetPdf(const PresetBank& bank, const QString& title, QDate date) {
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("Tarnwick Editor"));
        writer.setResolution(kResolution);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(15, 12, 15, 12), QPageLayout::Millimeter));
        QPainter painter(&writer);
        const QRectF page(0, 0, writer.width(), writer.height());

        QFont heading(QStringLiteral("Sans"));
        heading.setPixelSize(int(18 * kPoint));
        heading.setBold(true);
        double y = 0;
        painter.setFont(heading);
        const double headingHeight = QFontMetricsF(heading, &writer).height();
        painter.drawText(QRectF(0, y, page.width(), headingHeight), Qt::AlignLeft, title);
        QFont dateFont(QStringLiteral("Sans"));
        dateFont.setPixelSize(int(11 * kPoint));
        painter.setFont(dateFont);
        painter.drawText(QRectF(0, y, page.width(), headingHeight),
                         Qt::AlignRight | Qt::AlignVCenter, date.toString(Qt::ISODate));
        y += headingHeight * 1.4;

        // Fifty lines a page, in the largest type that leaves room for them.
        const double rowHeight = (page.height() - y) / kRowsPerPage;
        QFont name(QStringLiteral("Sans"));
        name.setPixelSize(int(rowHeight / 1.35));
        name.setBold(true);
        QFont values(QStringLiteral("Sans"));
        values.setPixelSize(int(rowHeight / 1.6));
        const QFontMetricsF nameMetrics(name, &writer);
        const QFontMetricsF valueMetrics(values, &writer);

        const double numberWidth = nameMetrics.horizontalAdvance(QStringLiteral("100")) * 1.4;
        const double nameWidth = nameMetrics.horizontalAdvance(QStringLiteral("MMMMMMMMMMMMM"));
        const double valuesLeft = numberWidth + nameWidth;
        const double valuesWidth = page.width() - valuesLeft;
        for (int slot = 0; slot < kPresetCount; ++slot) {
            const PresetRecord& record = bank[PresetIndex::fromZeroBase(slot)];
            const QStringList lines =
                wrapped(QString::fromStdString(ChannelsSummary(record)), valueMetrics, valuesWidth);
            const double height = std::max(rowHeight, double(lines.size()) * valueMetrics.height());
            if (y + height > page.height() + 1) { // a dot for rounding
                writer.newPage();
                y = 0;
            }
            if (slot % 2 == 1) { // every other line shaded, for the eye to follow
                painter.fillRect(QRectF(0, y, page.width(), height), QColor(235, 235, 235));
            }
            painter.setFont(name);
            painter.drawText(QRectF(0, y, numberWidth * 0.8, rowHeight),
                             Qt::AlignRight | Qt::AlignVCenter, QString::number(slot + 1));
            const std::string text = PresetName(record);
            painter.drawText(QRectF(numberWidth, y, nameWidth, rowHeight),
                             Qt::AlignLeft | Qt::AlignVCenter,
                             QString::fromLatin1(text.data(), qsizetype(text.size())).trimmed());
            painter.setFont(values);
            painter.drawText(QRectF(valuesLeft, y, valuesWidth, height),
                             Qt::AlignLeft | Qt::AlignVCenter, lines.join(u'\n'));
            y += height;
        }
    }
    return pdf;
}

} // namespace tarnwick
