// Build step: turns the manual's text (Markdown) into the PDF that Help > Help opens.
//     make_manual <manual.md> <teskhelp.pdf>
#include <QFile>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: make_manual <manual.md> <output.pdf>\n");
        return 2;
    }
    QFile in(args[1]);
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "make_manual: cannot read %s\n", qPrintable(args[1]));
        return 1;
    }
    QTextDocument document;
    document.setMarkdown(QString::fromUtf8(in.readAll()));
    QPdfWriter writer(args[2]);
    writer.setTitle(QStringLiteral("TESK manual"));
    writer.setPageSize(QPageSize(QPageSize::A4));
    // At the screen's resolution the document's fonts (also the fixed-pitch one of code) keep their sizes.
    writer.setResolution(96);
    writer.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
    document.setPageSize(QSizeF(writer.width(), writer.height()));
    document.print(&writer);
    if (!QFile::exists(args[2])) {
        std::fprintf(stderr, "make_manual: %s was not written\n", qPrintable(args[2]));
        return 1;
    }
    return 0;
}
