// The extension arrows as icons that ask the platform's style for their pictures when
// first drawn; Fusion's group box frame from its picture read as PNG.
#include "support/application_style.h"

#include "support/project_icon.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPointer>
#include <QStyleOption>
#include <QWidget>

#include <qdrawutil.h>

#include <algorithm>
#include <optional>

namespace tarnwick {

namespace {

// Fusion's group box frame: its picture, the edge of it that stretches, and the space
// above it beside the title.
const QString kFusionFrame =
    QStringLiteral(":/qt-project.org/styles/commonstyle/images/fusion_groupbox.png");
constexpr QMargins kFusionFrameEdges{6, 6, 6, 6};
constexpr int kFusionFrameTop = 3;

// One of the style's standard icons, made when it is first drawn or measured.
class DeferredStandardIcon final : public QIconEngine {
public:
    DeferredStandardIcon(QStyle* style, QStyle::StandardPixmap which, Qt::LayoutDirection direction)
        : m_style(style), m_which(which), m_direction(direction) {}

    QIconEngine* clone() const override { return new DeferredStandardIcon(*this); }
    QString key() const override { return QStringLiteral("TarnwickDeferredStandardIcon"); }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().actualSize(size, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().pixmap(size, mode, state);
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return icon().availableSizes(mode, state);
    }

private:
    const QIcon& icon() {
        if (!m_icon) {
            QStyleOption option;
            option.direction = m_direction;
            m_icon = m_style ? m_style->standardIcon(m_which, &option) : QIcon();
        }
        return *m_icon;
    }

    QPointer<QStyle> m_style;
    QStyle::StandardPixmap m_which;
    Qt::LayoutDirection m_direction;
    std::optional<QIcon> m_icon;
};

} // namespace

QIcon ApplicationStyle::standardIcon(StandardPixmap icon, const QStyleOption* option,
                                     const QWidget* widget) const {
    if (icon != SP_ToolBarHorizontalExtensionButton && icon != SP_ToolBarVerticalExtensionButton) {
        return QProxyStyle::standardIcon(icon, option, widget);
    }
    const Qt::LayoutDirection direction = option   ? option->direction
                                          : widget ? widget->layoutDirection()
                                                   : QGuiApplication::layoutDirection();
    return QIcon(new DeferredStandardIcon(baseStyle(), icon, direction));
}

void ApplicationStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                     QPainter* painter, const QWidget* widget) const {
    if (element == PE_FrameGroupBox &&
        baseStyle()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) == 0) {
        if (m_groupBoxFrame.isNull()) {
            m_groupBoxFrame = PngPicture(kFusionFrame);
        }
        if (!m_groupBoxFrame.isNull()) {
            // Below the title, or only a little below the top when there is none.
            const auto* box = qobject_cast<const QGroupBox*>(widget);
            const bool untitled = box && !box->isCheckable() && box->title().isEmpty();
            const int top = untitled ? kFusionFrameTop
                                     : std::max(pixelMetric(PM_ExclusiveIndicatorHeight),
                                                option->fontMetrics.height()) +
                                           kFusionFrameTop;
            qDrawBorderPixmap(painter, option->rect.adjusted(0, top, 0, 0), kFusionFrameEdges,
                              m_groupBoxFrame);
            return;
        }
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

} // namespace tarnwick
