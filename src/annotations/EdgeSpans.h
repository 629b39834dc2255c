#pragma once
// Edge-snapping measurement: from a pixel, the horizontal and vertical runs of
// pixels whose colour stays within a tolerance of the pixel under the pointer.
// Reads pixels straight from memory, so a guide update costs a few
// microseconds even across a 4K picture.

#include <QImage>
#include <QRgb>
#include <cstddef>

namespace orv {

/// A read-only view of 32-bit pixels (QImage::Format_RGB32 layout, 0xffRRGGBB);
/// the alpha byte is ignored. `stride` counts pixels from one row to the next.
struct PixelView {
    const QRgb* bits = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0;

    /// A view of `image`, which must be RGB32, ARGB32 or ARGB32 premultiplied;
    /// any other format gives an empty view.
    static PixelView Of(const QImage& image);
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    QRgb At(int x, int y) const { return bits[y * stride + x]; }
};

/// Largest difference of the red, green and blue parts of two pixels (0..255).
int ColourDifference(QRgb a, QRgb b);

/// Tolerance used when the distance tool starts. Flat screenshots of Qt and
/// GTK interfaces vary by at most a few levels inside a flat area (dithered
/// gradients, subpixel text fringes a few pixels away), while a one-pixel
/// anti-aliased border lies about half-way between the colours it separates,
/// tens of levels from either; 8 sits well between the two.
constexpr int kDefaultSpanTolerance = 8;

/// The next tolerance below / above `tolerance` on the ladder the `[` and `]`
/// keys walk (0 … 128); stays put at either end.
int LowerTolerance(int tolerance);
int RaiseTolerance(int tolerance);

/// A run of pixels along one axis. `first` and `last` are the outermost pixels
/// of the run (both inside it), so a 240-pixel wide box gives first = its
/// left column, last = its right column and Length() = 240.
struct Span {
    int first = 0;
    int last = -1;
    int Length() const { return last - first + 1; }
    bool operator==(const Span&) const = default;
};

struct EdgeSpans {
    bool valid = false;  ///< false when the pixel lies outside the picture
    QRgb reference = 0;  ///< the pixel under the pointer
    Span horizontal;     ///< columns, on the pointer's row
    Span vertical;       ///< rows, in the pointer's column
    bool operator==(const EdgeSpans&) const = default;
};

/// The spans through (x, y): each runs from the pointer outwards to the last
/// pixel before the first one whose ColourDifference from the pixel under
/// the pointer exceeds `tolerance`, or to the picture's border.
EdgeSpans FindEdgeSpans(const PixelView& pixels, int x, int y, int tolerance);
/// The same on any QImage; pictures in other formats are converted first.
EdgeSpans FindEdgeSpans(const QImage& picture, int x, int y, int tolerance);

}  // namespace orv
