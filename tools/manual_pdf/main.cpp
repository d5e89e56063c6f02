// Renders the user manual from Markdown to PDF at build time:
//   tarnwick-manual-pdf manual.md Tarnwick.pdf
#include <QFile>
#include <QGuiApplication>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <QTextStream>

#include <cstdio>

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
    document.setMarkdown(QString::fromUtf8(source.readAll()));

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
