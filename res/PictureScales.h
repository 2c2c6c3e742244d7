// The scales every picture is exported at for the Windows build, and the resource number each
// exported copy goes under.
#pragma once

#include <array>
#include <cstdlib>

namespace res {

// Percent of the 96-dots-per-inch size: 100, 125, 150, 200 and 250 %.
constexpr std::array<int, 5> kPictureScales = {100, 125, 150, 200, 250};

// The resource number of bitmap `bitmapId` at kPictureScales[scaleIndex]: bitmapId itself at
// 100 %, then a thousand further per scale.
constexpr int ScaledPictureResource(int bitmapId, size_t scaleIndex) {
    return bitmapId + 1000 * static_cast<int>(scaleIndex);
}

// The index of the scale nearest `dpi` (96 is 100 %); halfway between two, the larger, so a
// picture is never shown smaller than its layout.
constexpr size_t NearestPictureScale(unsigned dpi) {
    size_t best = 0;
    for (size_t i = 1; i < kPictureScales.size(); ++i) {
        const int distance = std::abs(static_cast<int>(dpi) * 100 - kPictureScales[i] * 96);
        const int bestDistance = std::abs(static_cast<int>(dpi) * 100 - kPictureScales[best] * 96);
        if (distance <= bestDistance) {
            best = i;
        }
    }
    return best;
}

}  // namespace res
