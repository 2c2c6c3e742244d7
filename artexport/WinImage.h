// Windows picture files from the drawn artwork: 24-bit BMP files for the bitmap resources and a
// multi-size ICO file for the icon. The bytes depend only on the pixels, so exports compare
// byte for byte.
#pragma once

#include <QByteArray>
#include <QImage>
#include <vector>

namespace artexport {

// A bottom-up 24-bit BMP; any transparency is first laid over `background`.
QByteArray EncodeBmp(const QImage& image, QColor background);
// An ICO file with one 32-bit image (alpha kept) per entry, in the given order; sizes up to 256.
QByteArray EncodeIco(const std::vector<QImage>& images);

}  // namespace artexport
