#include "art/Artwork.h"

#include <QIconEngine>
#include <QImage>
#include <QList>
#include <QPainter>
#include <algorithm>
#include <map>
#include <utility>

#include "art/ArtKit.h"
#include "res/Resource.h"

namespace res {
namespace {

enum class Family { Remote, Step, Banner, Logo, KeyButton };

Family FamilyOf(int id) {
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
            return Family::Remote;
        case IDB_STEP1:
        case IDB_STEP2:
        case IDB_STEP3:
            return Family::Step;
        case IDB_BANNER:
            return Family::Banner;
        case IDB_LOGO:
            return Family::Logo;
        default:
            // The key buttons, or nothing.
            return Family::KeyButton;
    }
}

QImage DrawBitmap(int id, qreal scale) {
    switch (FamilyOf(id)) {
        case Family::Remote:
            return art::RemotePicture(id, scale);
        case Family::Step:
            return art::StepPicture(id, scale);
        case Family::Banner:
            return art::BannerPicture(scale);
        case Family::Logo:
            return art::WirelessLogoPicture(scale);
        case Family::KeyButton:
            break;
    }
    return art::KeyButtonPicture(id, scale);
}

// The icon, each size drawn on first use: start-up draws only the sizes the window system asks for.
class DrawnIconEngine final : public QIconEngine {
public:
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override {
        const int side = std::min(size.width(), size.height());
        if (side <= 0) {
            return {};
        }
        auto it = m_drawn.find(side);
        if (it == m_drawn.end()) {
            it = m_drawn.emplace(side, QPixmap::fromImage(art::IconPicture(side))).first;
        }
        return it->second;
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override { return {{16, 16}, {32, 32}, {48, 48}}; }
    QIconEngine* clone() const override { return new DrawnIconEngine(*this); }

private:
    std::map<int, QPixmap> m_drawn;
};

}  // namespace

QPixmap LoadBitmap(int id, qreal devicePixelRatio) {
    // Drawn once per ratio; images rather than pixmaps are kept, so the cache outlives no window
    // system.
    static std::map<std::pair<int, qreal>, QImage> cache;
    const std::pair<int, qreal> key(id, devicePixelRatio);
    auto it = cache.find(key);
    if (it == cache.end()) {
        QImage image = DrawBitmap(id, devicePixelRatio);
        if (image.isNull()) {
            return {};
        }
        it = cache.emplace(key, std::move(image)).first;
    }
    return QPixmap::fromImage(it->second);
}

QSize BitmapSize(int id) {
    switch (FamilyOf(id)) {
        case Family::Remote:
            return art::kRemoteSize;
        case Family::Step:
            return art::kStepSize;
        case Family::Banner:
            return art::kBannerSize;
        case Family::Logo:
            return art::kLogoSize;
        case Family::KeyButton:
            break;
    }
    return art::KeyButtonSize(id);
}

QIcon LoadIcon(int id) {
    return id == IDI_TOLVIK ? QIcon(new DrawnIconEngine) : QIcon();
}

}  // namespace res
