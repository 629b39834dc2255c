#pragma once
// Paints parts of a picture box apart, for files that keep them on separate layers: the box
// without its controls, and a chosen set of its controls on a transparent picture.

#include <QImage>
#include <QPainter>
#include <QPoint>

#include <vector>

#include "platform/Controls.h"

namespace orv {

/// A layer's pixels and where their top-left pixel lies in the box.
struct PaintedLayer {
    QImage pixels;  // ARGB32, straight alpha; null when nothing is painted
    QPoint at;
};

/// The box's own content at its pixel size: background, artwork, picture and persistent
/// drawing, without any child control. Null for a box without pixels.
QImage PaintPictureBoxBase(const PictureBox& box);

/// The given children of `box`, visible ones only, in the box's painting order, on a
/// transparent picture cut to the pixels they may paint within the box. Controls that are not
/// children of the box are ignored.
PaintedLayer PaintControlsLayer(const PictureBox& box, const std::vector<const Control*>& controls);

/// Paints the given children of `box`, visible ones only, in the box's painting order, in the
/// painter's coordinates (pixels of the box): a layer as a vector document draws it.
void PaintChosenControls(QPainter& p, const PictureBox& box,
                         const std::vector<const Control*>& controls);

}  // namespace orv
