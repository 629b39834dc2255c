// Edge-snapping span search over raw pixel rows.

#include "annotations/EdgeSpans.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace orv {

namespace {

constexpr std::array<int, 15> kToleranceLadder = {0,  1,  2,  3,  4,  6,  8,  12,
                                                  16, 24, 32, 48, 64, 96, 128};

// True while `p` stays within `tolerance` of the reference parts.
struct Within {
    int r, g, b, tolerance;
    explicit Within(QRgb ref, int tol)
        : r(qRed(ref)), g(qGreen(ref)), b(qBlue(ref)), tolerance(tol) {}
    bool operator()(QRgb p) const {
        return std::abs(qRed(p) - r) <= tolerance && std::abs(qGreen(p) - g) <= tolerance &&
               std::abs(qBlue(p) - b) <= tolerance;
    }
};

// Walks from index `from` by `step` (±1) over `count` cells spaced `stride`
// apart and returns the last index that is still within; `from` itself is.
int Walk(const QRgb* cell0, std::ptrdiff_t stride, int from, int step, int count,
         const Within& ok) {
    int i = from;
    // Down a column every pixel lies on another cache line (and often page):
    // asking for lines well ahead overlaps the misses instead of waiting on each.
    constexpr int kAhead = 16;
    const bool strided = stride != 1;
    while (true) {
        const int next = i + step;
        if (next < 0 || next >= count) return i;
        const int ahead = next + kAhead * step;
#if defined(__GNUC__) || defined(__clang__)
        if (strided && ahead >= 0 && ahead < count) __builtin_prefetch(cell0 + ahead * stride);
#endif
        if (!ok(cell0[next * stride])) return i;
        i = next;
    }
}

}  // namespace

PixelView PixelView::Of(const QImage& image) {
    switch (image.format()) {
        case QImage::Format_RGB32:
        case QImage::Format_ARGB32:
        case QImage::Format_ARGB32_Premultiplied:
            break;
        default:
            return {};
    }
    return {reinterpret_cast<const QRgb*>(image.constBits()), image.width(), image.height(),
            static_cast<std::ptrdiff_t>(image.bytesPerLine() / 4)};
}

int ColourDifference(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

int LowerTolerance(int tolerance) {
    int result = kToleranceLadder.front();
    for (int t : kToleranceLadder)
        if (t < tolerance) result = t;
    return result;
}

int RaiseTolerance(int tolerance) {
    for (int t : kToleranceLadder)
        if (t > tolerance) return t;
    return kToleranceLadder.back();
}

EdgeSpans FindEdgeSpans(const PixelView& pixels, int x, int y, int tolerance) {
    EdgeSpans spans;
    if (!pixels.bits || !pixels.Contains(x, y)) return spans;
    spans.valid = true;
    spans.reference = pixels.At(x, y);
    const Within ok(spans.reference, std::max(0, tolerance));
    const QRgb* row = pixels.bits + y * pixels.stride;
    spans.horizontal.first = Walk(row, 1, x, -1, pixels.width, ok);
    spans.horizontal.last = Walk(row, 1, x, +1, pixels.width, ok);
    const QRgb* column = pixels.bits + x;
    spans.vertical.first = Walk(column, pixels.stride, y, -1, pixels.height, ok);
    spans.vertical.last = Walk(column, pixels.stride, y, +1, pixels.height, ok);
    return spans;
}

EdgeSpans FindEdgeSpans(const QImage& picture, int x, int y, int tolerance) {
    const PixelView direct = PixelView::Of(picture);
    if (direct.bits || picture.isNull()) return FindEdgeSpans(direct, x, y, tolerance);
    const QImage converted = picture.convertToFormat(QImage::Format_RGB32);
    return FindEdgeSpans(PixelView::Of(converted), x, y, tolerance);
}

}  // namespace orv
