// The editor's style: the platform's own, drawn the same, with its pictures read without
// loading every image plug-in. Qt reads a picture whose format it is not told by asking
// each plug-in (GIF, JPEG, SVG with its library...) whether it is theirs, and two pictures
// are read before the first paint: the tool bar's extension arrow, which Qt puts into
// every tool bar it makes though it shows only when the window is too narrow for the bar,
// and the Fusion style's group box frame. The arrow is read when first drawn; the frame is
// read naming its format.
#pragma once

#include <QPixmap>
#include <QProxyStyle>

namespace tarnwick {

class ApplicationStyle final : public QProxyStyle {
public:
    // Takes `platformStyle` over: the style the application would use (its own choice, or
    // the user's through -style or QT_STYLE_OVERRIDE).
    explicit ApplicationStyle(QStyle* platformStyle) : QProxyStyle(platformStyle) {}
    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;

private:
    mutable QPixmap m_groupBoxFrame; // Fusion's, once read
};

} // namespace tarnwick
