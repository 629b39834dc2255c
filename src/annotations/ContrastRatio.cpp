// WCAG 2.x contrast ratio and its level.

#include "annotations/ContrastRatio.h"

#include <algorithm>
#include <cmath>

namespace orv {

namespace {

double Linear(int channel) {
    const double c = channel / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

QString Hex(Colour c) {
    return QStringLiteral("#%1%2%3")
        .arg(RedOf(c), 2, 16, QLatin1Char('0'))
        .arg(GreenOf(c), 2, 16, QLatin1Char('0'))
        .arg(BlueOf(c), 2, 16, QLatin1Char('0'))
        .toUpper();
}

}  // namespace

double RelativeLuminance(Colour c) {
    return 0.2126 * Linear(RedOf(c)) + 0.7152 * Linear(GreenOf(c)) + 0.0722 * Linear(BlueOf(c));
}

double ContrastRatio(Colour a, Colour b) {
    const double la = RelativeLuminance(a), lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QString ContrastLevel(double ratio) {
    if (ratio >= 7.0) return QStringLiteral("AAA");
    if (ratio >= 4.5) return QStringLiteral("AA");
    if (ratio >= 3.0) return QStringLiteral("AA large");
    return QStringLiteral("fails");
}

QString ContrastText(Colour foreground, Colour background) {
    const double ratio = ContrastRatio(foreground, background);
    return QStringLiteral("%1 on %2 \u2014 %3:1 \u2014 %4")
        .arg(Hex(foreground), Hex(background), QString::number(ratio, 'f', 1),
             ContrastLevel(ratio));
}

}  // namespace orv
