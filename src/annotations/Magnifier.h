#pragma once
// The magnifier's drawing: a square of source pixels enlarged into the view,
// every source pixel a block of kMagnifierZoom x kMagnifierZoom view pixels.

#include <QImage>
#include <algorithm>
#include <cstdint>

namespace orv {

constexpr int kMagnifierZoom = 4;

/// Pointer coordinates kept well inside the int range, so offsets from them never overflow.
inline int ClampCoordinate(int v) {
    constexpr int kLimit = 1 << 24;
    return std::clamp(v, -kLimit, kLimit);
}

/// Fills the top-left destW x destH of view (clipped to the view) with enlarged
/// source pixels; sample(sx, sy) gives source pixel (sx, sy) as 0xFFRRGGBB.
/// Allocates nothing.
template <class Sample>
void Magnify(QImage& view, int destW, int destH, Sample&& sample) {
    const int w = std::min(view.width(), destW);
    const int h = std::min(view.height(), destH);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(view.scanLine(y));
        const int sy = y / kMagnifierZoom;
        if (y % kMagnifierZoom != 0) {
            // Rows of one block are alike: copy the block's first row.
            const auto* first =
                reinterpret_cast<const uint32_t*>(view.constScanLine(y - y % kMagnifierZoom));
            std::copy(first, first + w, row);
            continue;
        }
        for (int x = 0; x < w; x += kMagnifierZoom) {
            const uint32_t c = sample(x / kMagnifierZoom, sy);
            std::fill(row + x, row + std::min(w, x + kMagnifierZoom), c);
        }
    }
}

}  // namespace orv
