#include "artexport/WinImage.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>
#include <cstdint>

namespace artexport {
namespace {

void Put16(QByteArray& out, uint16_t value) {
    out.append(static_cast<char>(value & 0xFF));
    out.append(static_cast<char>(value >> 8));
}

void Put32(QByteArray& out, uint32_t value) {
    Put16(out, static_cast<uint16_t>(value & 0xFFFF));
    Put16(out, static_cast<uint16_t>(value >> 16));
}

// BITMAPINFOHEADER without compression.
void PutInfoHeader(QByteArray& out, int width, int height, int bitCount, uint32_t imageBytes) {
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(height));
    Put16(out, 1);
    Put16(out, static_cast<uint16_t>(bitCount));
    Put32(out, 0);  // BI_RGB
    Put32(out, imageBytes);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);
}

int Stride(int width, int bitCount) {
    return ((width * bitCount + 31) / 32) * 4;
}

}  // namespace

QByteArray EncodePng(const QImage& image, QColor background) {
    QImage pixels = image;
    pixels.setDevicePixelRatio(1);  // pixel for pixel, whatever scale it was drawn at
    QImage flat(pixels.size(), QImage::Format_RGB888);
    flat.fill(background);
    {
        QPainter painter(&flat);
        painter.drawImage(0, 0, pixels);
    }
    QByteArray out;
    QBuffer buffer(&out);
    QImageWriter writer(&buffer, "png");
    writer.setQuality(0);  // the smallest file: Qt's PNG writer maps quality 0 to zlib level 9
    return writer.write(flat) ? out : QByteArray();
}

QByteArray EncodeIco(const std::vector<QImage>& images) {
    std::vector<QByteArray> bodies;
    for (const QImage& image : images) {
        const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
        const int width = argb.width();
        const int height = argb.height();
        const int maskStride = Stride(width, 1);
        QByteArray body;
        // The height counts the colour rows and the mask rows together.
        PutInfoHeader(body, width, 2 * height, 32, static_cast<uint32_t>((4 * width + maskStride) * height));
        for (int y = height - 1; y >= 0; --y) {
            const auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
            for (int x = 0; x < width; ++x) {
                Put32(body, row[x]);  // BGRA in memory, as the file wants it
            }
        }
        // The alpha channel decides; the mask lets every pixel through.
        body.append(QByteArray(maskStride * height, '\0'));
        bodies.push_back(body);
    }
    QByteArray out;
    Put16(out, 0);
    Put16(out, 1);  // icon
    Put16(out, static_cast<uint16_t>(images.size()));
    uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        out.append(static_cast<char>(images[i].width() & 0xFF));  // 0 means 256
        out.append(static_cast<char>(images[i].height() & 0xFF));
        out.append('\0');  // no palette
        out.append('\0');
        Put16(out, 1);
        Put16(out, 32);
        Put32(out, static_cast<uint32_t>(bodies[i].size()));
        Put32(out, offset);
        offset += static_cast<uint32_t>(bodies[i].size());
    }
    for (const QByteArray& body : bodies) {
        out.append(body);
    }
    return out;
}

}  // namespace artexport
