// The program's pictures, drawn by code and looked up by resource number. User-interface thread
// only (they are pixmaps).
#pragma once

#include <QIcon>
#include <QPixmap>

namespace res {

// Bitmap `id` (130, 139 to 162, 164) drawn for a screen of `devicePixelRatio` (1.5 at 150 %): its
// 100 % size in device-independent pixels, with that many device pixels to each. Drawn the first
// time it is asked for at that ratio, then kept. A null pixmap for any other number.
QPixmap LoadBitmap(int id, qreal devicePixelRatio = 1);
// Bitmap `id`'s size at 100 %, known without drawing it; an empty size for any other number.
QSize BitmapSize(int id);
// Icon `id` (128), 16, 32 and 48 pixels across, each size drawn when first asked for; a null icon
// for any other number.
QIcon LoadIcon(int id);

}  // namespace res
