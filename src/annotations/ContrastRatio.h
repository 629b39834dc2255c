#pragma once
// Contrast of two colours as the WCAG 2.x guidelines define it, and the
// note text that reports it.

#include <QString>

#include "platform/Colour.h"

namespace orv {

/// Relative luminance (0 for black … 1 for white) of an sRGB colour.
double RelativeLuminance(Colour c);
/// (lighter + 0.05) / (darker + 0.05): 1 for equal colours, 21 for black on white.
double ContrastRatio(Colour a, Colour b);
/// The highest level `ratio` passes for normal text, decided on the exact
/// ratio: "AAA" (>= 7), "AA" (>= 4.5), "AA large" (>= 3), otherwise "fails".
QString ContrastLevel(double ratio);
/// "#6C5CE7 on #FFFFFF — 4.9:1 — AA": both colours, the ratio to one decimal
/// and its level.
QString ContrastText(Colour foreground, Colour background);

}  // namespace orv
