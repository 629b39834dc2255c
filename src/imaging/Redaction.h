#pragma once
// Hiding a rectangle of a picture for good: its pixels are replaced by blocks
// of kRedactionBlock × kRedactionBlock pixels, each the mean of the original
// pixels of its block, or by solid black.

#include <QImage>
#include <QRect>

namespace orv {

/// Side of a pixelation block, in picture pixels.
inline constexpr int kRedactionBlock = 12;

/// Writes into `out` the pixels of `area` that lie inside `clip`, computed from
/// `original` (the same size and a 32-bit format, as is `out`). Blocks are
/// counted from the area's top-left corner and cut at its edges and the
/// picture's, so the result inside the clip does not depend on the clip.
void RedactArea(const QImage& original, QImage& out, QRect area, QRect clip, bool black);

/// A copy of `picture` in the 32-bit format redaction works on (RGB32 for an
/// opaque picture, else ARGB32 premultiplied as the canvas surface is).
QImage RedactablePicture(const QImage& picture);

}  // namespace orv
