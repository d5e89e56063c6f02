// The project's pictures, read as they are drawn.
#include "support/project_icon.h"

#include <QApplication>
#include <QIconEngine>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>

#include <array>
#include <map>
#include <utility>

namespace tarnwick {

namespace {

// The sizes the build draws each icon at (tools/icon_render).
constexpr std::array kPictureSizes{16, 24, 32, 48, 64, 128, 256};

class PictureIconEngine final : public QIconEngine {
public:
    explicit PictureIconEngine(QString name) : m_name(std::move(name)) {}

    QIconEngine* clone() const override { return new PictureIconEngine(*this); }
    QString key() const override { return QStringLiteral("TarnwickPictures"); }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (const int side : kPictureSizes) {
            sizes.append(QSize(side, side));
        }
        return sizes;
    }

    // The picture chosen for `size`, scaled down to fit it, as Qt's own engine does.
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        const int side = pictureFor(size);
        return QSize(side, side).scaled(size.boundedTo(QSize(side, side)), Qt::KeepAspectRatio);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        const int side = pictureFor(size);
        QPixmap picture = pictureOf(side);
        const QSize fitted = actualSize(size, mode, state);
        if (!picture.isNull() && picture.size() != fitted) {
            picture = picture.scaled(fitted, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        }
        if (mode == QIcon::Normal || mode == QIcon::Active || picture.isNull()) {
            return picture;
        }
        // Disabled and selected pictures as the style makes them of any icon's.
        auto& made = m_made[{mode, fitted.width()}];
        if (made.isNull()) {
            QStyleOption option;
            option.palette = QApplication::palette();
            made = QApplication::style()->generatedIconPixmap(mode, picture, &option);
        }
        return made;
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const QPaintDevice* device = painter->device();
        const qreal ratio = device ? device->devicePixelRatio() : qApp->devicePixelRatio();
        QPixmap picture = pixmap(rect.size() * ratio, mode, state);
        picture.setDevicePixelRatio(ratio);
        painter->drawPixmap(rect, picture);
    }

private:
    // The smallest picture at least as large as `size`, else the largest.
    static int pictureFor(const QSize& size) {
        const int wanted = std::max(size.width(), size.height());
        for (const int side : kPictureSizes) {
            if (side >= wanted) {
                return side;
            }
        }
        return kPictureSizes.back();
    }

    QPixmap pictureOf(int side) {
        QPixmap& picture = m_pictures[side];
        if (picture.isNull()) {
            picture = PngPicture(QStringLiteral(":/icons/%1-%2.png").arg(m_name).arg(side));
        }
        return picture;
    }

    QString m_name;
    std::map<int, QPixmap> m_pictures;
    std::map<std::pair<QIcon::Mode, int>, QPixmap> m_made;
};

} // namespace

QPixmap PngPicture(const QString& path) {
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

QIcon ProjectIcon(const char* name) {
    return QIcon(new PictureIconEngine(QLatin1String(name)));
}

} // namespace tarnwick
