// Writes the program's icon, drawn by the same code as the window's icon, as the PNG files of a
// desktop icon theme: <folder>/<N>x<N>/apps/<name>.png for each size N given.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>

#include "art/ArtKit.h"

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fputs("usage: tolvik_icon_export FOLDER NAME SIZE...\n", stderr);
        return 2;
    }
    // Text and antialiasing need a GUI application, never a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (int i = 3; i < argc; ++i) {
        const int size = QByteArray(argv[i]).toInt();
        if (size < 16 || size > 1024) {
            std::fprintf(stderr, "tolvik_icon_export: bad size %s\n", argv[i]);
            return 2;
        }
        const QString apps = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
        if (!QDir().mkpath(apps) ||
            !res::art::IconPicture(size).save(apps + QLatin1Char('/') + name + ".png")) {
            std::fprintf(stderr, "tolvik_icon_export: cannot write %s\n", qPrintable(apps));
            return 1;
        }
    }
    return 0;
}
