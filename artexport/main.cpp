// Writes the Windows build's picture resources from the drawing code: every bitmap resource as a
// PNG file at each picture scale, the icon as a multi-size ICO, and a resource-script fragment
// naming them all.
//   export_art <folder>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <cstdio>

#include "art/ArtKit.h"
#include "art/Artwork.h"
#include "artexport/WinImage.h"
#include "res/PictureScales.h"
#include "res/Resource.h"

namespace {

// Every bitmap number lies in this range; numbers without a picture are skipped.
constexpr int kFirstBitmap = 100;
constexpr int kLastBitmap = 199;
// The icon at the small and large sizes of every picture scale, as Windows asks for them.
constexpr int kIconSizes[] = {16, 20, 24, 32, 40, 48, 64, 80, 96};

bool Write(const QDir& folder, const QString& name, const QByteArray& bytes) {
    QFile file(folder.filePath(name));
    if (bytes.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "export_art: cannot write %s\n", qPrintable(file.fileName()));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: export_art <folder>\n");
        return 2;
    }
    QGuiApplication app(argc, argv);
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.exists() && !QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "export_art: cannot create %s\n", argv[1]);
        return 1;
    }
    QByteArray script = "// Written by export_art from the drawing code; do not edit.\n";
    for (int id = kFirstBitmap; id <= kLastBitmap; ++id) {
        for (size_t scale = 0; scale < res::kPictureScales.size(); ++scale) {
            const int percent = res::kPictureScales[scale];
            const QPixmap picture = res::LoadBitmap(id, percent / 100.0);
            if (picture.isNull()) {
                break;
            }
            const QString name = QStringLiteral("bitmap%1_%2.png").arg(id).arg(percent);
            if (!Write(folder, name, artexport::EncodePng(picture.toImage(), res::art::kFace))) {
                return 1;
            }
            script += QByteArray::number(res::ScaledPictureResource(id, scale)) + " RCDATA \"" +
                      name.toLatin1() + "\"\n";
        }
    }
    std::vector<QImage> icon;
    for (int size : kIconSizes) {
        icon.push_back(res::art::IconPicture(size));
    }
    if (!Write(folder, QStringLiteral("tolvik.ico"), artexport::EncodeIco(icon))) {
        return 1;
    }
    script += QByteArray::number(res::IDI_TOLVIK) + " ICON \"tolvik.ico\"\n";
    return Write(folder, QStringLiteral("artwork.rc"), script) ? 0 : 1;
}
