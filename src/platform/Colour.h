#pragma once
// Colours as the drawing code keeps them: 0x00BBGGRR, red in the lowest byte.

#include <QColor>
#include <cstdint>

namespace orv {

/// A colour in the GDI layout 0x00BBGGRR.
using Colour = uint32_t;

/// Builds a colour from its red, green and blue parts.
constexpr Colour RGB(int r, int g, int b) {
    return static_cast<uint32_t>(r & 0xFF) | (static_cast<uint32_t>(g & 0xFF) << 8) |
           (static_cast<uint32_t>(b & 0xFF) << 16);
}

constexpr int RedOf(Colour c) {
    return static_cast<int>(c & 0xFF);
}
constexpr int GreenOf(Colour c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int BlueOf(Colour c) {
    return static_cast<int>((c >> 16) & 0xFF);
}

inline QColor ToQColor(Colour c) {
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}
inline Colour FromQColor(const QColor& q) {
    return RGB(q.red(), q.green(), q.blue());
}
/// Converts a 0xAARRGGBB pixel (QRgb) to a colour.
inline Colour FromQRgb(uint32_t px) {
    return RGB((px >> 16) & 0xFF, (px >> 8) & 0xFF, px & 0xFF);
}

}  // namespace orv
