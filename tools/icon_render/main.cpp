// Draws the project's SVG icons as PNG pictures at fixed sizes, and each as a Windows .ico,
// at build time: the editor shows the pictures, so that it loads no SVG library, and the
// Windows program file carries its .ico:
//   tarnwick-icon-render OUTPUT_FOLDER ICON.svg...
// writes OUTPUT_FOLDER/NAME-SIZE.png for each icon and size, and NAME.ico for each icon
// (every size in one file, each a PNG, as Windows reads them since Vista).
#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QtEndian>

#include <cstdio>
#include <vector>

namespace {

constexpr int kSizes[] = {16, 24, 32, 48, 64, 128, 256};

QByteArray Png(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// An .ico: a 6-byte header, a 16-byte entry for each picture, then the pictures.
QByteArray Ico(const std::vector<std::pair<int, QByteArray>>& pictures) {
    QByteArray ico;
    const auto put16 = [&ico](quint16 value) {
        const quint16 little = qToLittleEndian(value);
        ico.append(reinterpret_cast<const char*>(&little), 2);
    };
    const auto put32 = [&ico](quint32 value) {
        const quint32 little = qToLittleEndian(value);
        ico.append(reinterpret_cast<const char*>(&little), 4);
    };
    put16(0); // reserved
    put16(1); // an icon
    put16(quint16(pictures.size()));
    quint32 offset = quint32(6 + 16 * pictures.size());
    for (const auto& [size, png] : pictures) {
        ico.append(char(size >= 256 ? 0 : size)); // 0 stands for 256
        ico.append(char(size >= 256 ? 0 : size));
        ico.append(char(0)); // no palette
        ico.append(char(0)); // reserved
        put16(1);            // colour planes
        put16(32);           // bits per pixel
        put32(quint32(png.size()));
        put32(offset);
        offset += quint32(png.size());
    }
    for (const auto& picture : pictures) {
        ico.append(picture.second);
    }
    return ico;
}

bool Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: tarnwick-icon-render OUTPUT_FOLDER ICON.svg...\n");
        return 2;
    }
    const QDir out(args[1]);
    if (!QDir().mkpath(out.path())) {
        std::fprintf(stderr, "tarnwick-icon-render: cannot make %s\n", qPrintable(out.path()));
        return 1;
    }
    for (const QString& svg : args.mid(2)) {
        QSvgRenderer renderer(svg);
        if (!renderer.isValid()) {
            std::fprintf(stderr, "tarnwick-icon-render: %s is no SVG drawing\n", qPrintable(svg));
            return 1;
        }
        const QString name = QFileInfo(svg).completeBaseName();
        std::vector<std::pair<int, QByteArray>> pictures;
        for (const int size : kSizes) {
            QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            renderer.render(&painter);
            painter.end();
            pictures.emplace_back(size, Png(image));
            if (!Write(out.filePath(QStringLiteral("%1-%2.png").arg(name).arg(size)),
                       pictures.back().second)) {
                std::fprintf(stderr, "tarnwick-icon-render: cannot write into %s\n",
                             qPrintable(out.path()));
                return 1;
            }
        }
        if (!Write(out.filePath(name + QStringLiteral(".ico")), Ico(pictures))) {
            std::fprintf(stderr, "tarnwick-icon-render: cannot write into %s\n",
                         qPrintable(out.path()));
            return 1;
        }
    }
    return 0;
}
