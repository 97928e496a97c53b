// Build helper: renders an SVG to square PNGs, one per size, so the installed theme icons and
// the program's own icon come from the same artwork.
// Usage: vaulnix-render-icon SVG OUTDIR NAME SIZE...   (writes OUTDIR/SIZExSIZE/NAME.png)

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 5) {
        std::fprintf(stderr, "usage: vaulnix-render-icon SVG OUTDIR NAME SIZE...\n");
        return 2;
    }
    QSvgRenderer renderer(args[1]);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "vaulnix-render-icon: cannot read %s\n", qPrintable(args[1]));
        return 1;
    }
    for (qsizetype i = 4; i < args.size(); ++i) {
        const int size = args[i].toInt();
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();
        const QString folder = QStringLiteral("%1/%2x%2").arg(args[2]).arg(size);
        const QString file = folder + QLatin1Char('/') + args[3] + QStringLiteral(".png");
        if (size <= 0 || !QDir().mkpath(folder) || !image.save(file)) {
            std::fprintf(stderr, "vaulnix-render-icon: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
