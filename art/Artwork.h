// The program's pictures, drawn by code and looked up by resource number. User-interface thread
// only (they are pixmaps).
#pragma once

#include <QIcon>
#include <QPixmap>

namespace res {

// Bitmap `id` (130, 139 to 162, 164); a null pixmap for any other number.
QPixmap LoadBitmap(int id);
// Icon `id` (128) at 16, 32 and 48 pixels; a null icon for any other number.
QIcon LoadIcon(int id);

}  // namespace res
