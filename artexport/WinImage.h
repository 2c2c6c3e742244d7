// Windows picture files from the drawn artwork: 24-bit PNG files for the bitmap resources and a
// multi-size ICO file for the icon. The bytes depend only on the pixels (and the
// PNG library's compressor), so exports compare byte for byte.
#pragma once

#include <QByteArray>
#include <QImage>
#include <vector>

namespace artexport {

// A 24-bit PNG of the image's pixels (whatever its device pixel ratio); any transparency is
// first laid over `background`. Empty when it cannot be encoded.
QByteArray EncodePng(const QImage& image, QColor background);
// An ICO file with one 32-bit image (alpha kept) per entry, in the given order; sizes up to 256.
QByteArray EncodeIco(const std::vector<QImage>& images);

}  // namespace artexport
