#include "art/Artwork.h"

#include <QImage>
#include <map>

#include "art/ArtKit.h"
#include "res/Resource.h"

namespace res {
namespace {

QImage DrawBitmap(int id) {
    switch (id) {
        case IDB_REMOTE_IDLE:
        case IDB_REMOTE_ALIGN_VIEW:
        case IDB_REMOTE_FOCUS_MINUS:
        case IDB_REMOTE_FOCUS_PLUS:
        case IDB_REMOTE_MEASURE:
        case IDB_REMOTE_RING:
        case IDB_REMOTE_SPOT:
        case IDB_REMOTE_ZOOM_MINUS:
        case IDB_REMOTE_ZOOM_PLUS:
            return art::RemotePicture(id);
        case IDB_STEP1:
        case IDB_STEP2:
        case IDB_STEP3:
            return art::StepPicture(id);
        case IDB_BANNER:
            return art::BannerPicture();
        case IDB_LOGO:
            return art::WirelessLogoPicture();
        default:
            // The key buttons, or nothing.
            return art::KeyButtonPicture(id);
    }
}

}  // namespace

QPixmap LoadBitmap(int id) {
    // Drawn once; images rather than pixmaps are kept, so the cache outlives no window system.
    static std::map<int, QImage> cache;
    auto it = cache.find(id);
    if (it == cache.end()) {
        QImage image = DrawBitmap(id);
        if (image.isNull()) {
            return {};
        }
        it = cache.emplace(id, std::move(image)).first;
    }
    return QPixmap::fromImage(it->second);
}

QIcon LoadIcon(int id) {
    QIcon icon;
    if (id == IDI_TOLVIK) {
        for (int size : {16, 32, 48}) {
            icon.addPixmap(QPixmap::fromImage(art::IconPicture(size)));
        }
    }
    return icon;
}

}  // namespace res
