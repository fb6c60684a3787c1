// Renders the application icon's SVG into the PNG sizes of the hicolor theme, so that the drawing
// is the only source and no rendered pictures are kept in the repository.
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fputs("Usage: albumora-render-icon SVG OUTPUT-FOLDER SIZE...\n", stderr);
        std::fputs("  writes OUTPUT-FOLDER/<SIZE>x<SIZE>/albumora.png for each size\n", stderr);
        return 2;
    }
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "albumora-render-icon: cannot read %s\n", argv[1]);
        return 1;
    }
    const QString outputFolder = QString::fromLocal8Bit(argv[2]);
    for (int i = 3; i < argc; ++i) {
        bool isNumber = false;
        const int size = QString::fromLocal8Bit(argv[i]).toInt(&isNumber);
        if (!isNumber || size <= 0 || size > 1024) {
            std::fprintf(stderr, "albumora-render-icon: bad size '%s'\n", argv[i]);
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            renderer.render(&painter, QRectF(0, 0, size, size));
        }
        const QString path = QStringLiteral("%1/%2x%2/albumora.png").arg(outputFolder).arg(size);
        if (!QDir().mkpath(QFileInfo(path).path()) || !image.save(path, "PNG")) {
            std::fprintf(stderr, "albumora-render-icon: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
