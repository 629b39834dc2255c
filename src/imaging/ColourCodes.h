#pragma once
// Text forms of colours and numbers as the editor shows them: the web colour
// code and RGB text of a sampled colour, and the length text of a distance.

#include <QString>
#include <cstdint>

#include "platform/Colour.h"

namespace orv {

/// The red, green and blue parts of a 0x00BBGGRR value, split with integer
/// division and remainder.
struct ColourParts {
    int R = 0, G = 0, B = 0;
};
ColourParts SplitColour(int64_t colour);

/// "#RRGGBB": the web colour code, two upper-case hex digits per part.
QString WebColour(int64_t colour);
/// "R12,G11,B10": the parts in plain decimal, no spaces or padding.
QString RgbText(int64_t colour);

/// The shortest decimal text of v with at most 15 significant digits: no
/// exponent, no thousands separators, no trailing zeros, "." as the point.
QString NumberText(double v);
/// The number text of a single-precision value (at most 7 significant digits),
/// as the pointer fields and read-outs show it.
QString SingleText(float v);
/// The length text of a distance: NumberText(pixels) followed by "px".
QString LengthText(double pixels);

}  // namespace orv
