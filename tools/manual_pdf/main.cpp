// Renders the user manual from Markdown to PDF at build time:
//   tarnwick-manual-pdf manual.md Tarnwick.pdf
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextStream>
#include <QUrl>

#include <cstdio>

namespace {
constexpr double kPictureWidth = 300; // of the document's units, about half a page
}

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: tarnwick-manual-pdf MANUAL.md OUTPUT.pdf\n");
        return 2;
    }
    QFile source(args[1]);
    if (!source.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "tarnwick-manual-pdf: cannot read %s\n", qPrintable(args[1]));
        return 1;
    }
    QTextDocument document;
    // Pictures are named relative to the manual's own folder.
    document.setBaseUrl(QUrl::fromLocalFile(QFileInfo(args[1]).absolutePath() + u'/'));
    document.setMarkdown(QString::fromUtf8(source.readAll()));
    // The pictures (screenshots of the windows), loaded from the manual's folder and drawn
    // at a width a page has room for.
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            QTextImageFormat image = fragment.fragment().charFormat().toImageFormat();
            if (!image.isValid()) {
                continue;
            }
            const QUrl url = document.baseUrl().resolved(QUrl(image.name()));
            const QImage picture(url.toLocalFile());
            if (picture.isNull()) {
                std::fprintf(stderr, "tarnwick-manual-pdf: cannot read %s\n",
                             qPrintable(url.toLocalFile()));
                return 1;
            }
            document.addResource(QTextDocument::ImageResource, QUrl(image.name()), picture);
            QTextCursor cursor(&document);
            cursor.setPosition(fragment.fragment().position());
            cursor.setPosition(fragment.fragment().position() + fragment.fragment().length(),
                               QTextCursor::KeepAnchor);
            image.setWidth(kPictureWidth);
            image.setHeight(kPictureWidth * picture.height() / picture.width());
            cursor.setCharFormat(image);
        }
    }

    QPdfWriter writer(args[2]);
    writer.setTitle(QStringLiteral("Tarnwick Editor User Manual"));
    writer.setCreator(QStringLiteral("Tarnwick Editor"));
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(18, 18, 18, 18), QPageLayout::Millimeter);
    writer.setResolution(300);
    QFont font = document.defaultFont();
    font.setPointSize(10);
    document.setDefaultFont(font);
    document.print(&writer);
    if (!QFile::exists(args[2])) {
        std::fprintf(stderr, "tarnwick-manual-pdf: cannot write %s\n", qPrintable(args[2]));
        return 1;
    }
    return 0;
}
