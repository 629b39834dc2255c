#include "imaging/ColourCodes.h"

#include <charconv>
#include <cmath>

namespace orv {

ColourParts SplitColour(int64_t colour) {
    // Only 0..0xFFFFFF is a colour; anything else is masked to its low 24 bits
    // so the parts always stay within 0..255.
    const int64_t c = colour & 0xFFFFFF;
    return ColourParts{static_cast<int>(c % 256), static_cast<int>((c / 256) % 256),
                       static_cast<int>(c / 65536)};
}

QString WebColour(int64_t colour) {
    const ColourParts p = SplitColour(colour);
    auto hex2 = [](int v) {
        return QStringLiteral("%1").arg(v, 2, 16, QLatin1Char('0')).toUpper();
    };
    return QLatin1Char('#') + hex2(p.R) + hex2(p.G) + hex2(p.B);
}

QString RgbText(int64_t colour) {
    const ColourParts p = SplitColour(colour);
    return QStringLiteral("R%1,G%2,B%3").arg(p.R).arg(p.G).arg(p.B);
}

namespace {

// Rounds v to `digits` significant digits, then writes the shortest fixed
// notation that reads back as that rounded value.
QString ShortestFixed(double v, int digits) {
    if (!std::isfinite(v)) return QStringLiteral("0");
    if (v == 0) v = 0;  // no "-0"
    char buf[400];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, digits);
    double rounded = v;
    std::from_chars(buf, r.ptr, rounded);
    r = std::to_chars(buf, buf + sizeof buf, rounded, std::chars_format::fixed);
    return QString::fromLatin1(buf, static_cast<int>(r.ptr - buf));
}

}  // namespace

QString NumberText(double v) {
    return ShortestFixed(v, 15);
}

QString SingleText(float v) {
    if (!std::isfinite(v)) return QStringLiteral("0");
    if (v == 0) v = 0;
    char buf[80];
    // Seven digits like the toolkit's own single-precision text.
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 7);
    float rounded = v;
    std::from_chars(buf, r.ptr, rounded);
    r = std::to_chars(buf, buf + sizeof buf, rounded, std::chars_format::fixed);
    return QString::fromLatin1(buf, static_cast<int>(r.ptr - buf));
}

QString LengthText(double pixels) {
    return NumberText(pixels) + QStringLiteral("px");
}

}  // namespace orv
