#pragma once
// The geometry of boxes and redactions as pure functions: the box a drag
// spans, where a box's size label goes, and how an area follows an edge or a
// move. Pixel rectangles count both edge pixels; twips as everywhere else.

#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QSizeF>

namespace orv {

/// The pixels from a to b, both included, kept within a picture of `size`
/// pixels; empty when the picture is.
QRect PixelBoxBetween(QPoint a, QPoint b, QSize size);

/// The pixel under (x, y) twips at tpp twips per pixel.
QPoint PixelAt(float x, float y, float tppX, float tppY);

/// Where a box's label sits (its top-left, twips): just above the box, at its
/// left edge; below it where the canvas has no room above; inside its top-left
/// corner where it fits neither. Pushed left so it ends inside the canvas.
QPointF PlaceBoxLabel(const QRectF& box, const QSizeF& label, const QSizeF& canvas);

/// The edges of an area a press at p takes hold of: those within `reach`
/// twips of p (both of an axis when the area is thinner than two reaches: the
/// nearer one). None inside, away from the edges: the press moves the area.
struct AreaGrip {
    bool left = false, top = false, right = false, bottom = false;
    bool Any() const { return left || top || right || bottom; }
    bool operator==(const AreaGrip&) const = default;
};
AreaGrip GripAt(const QRectF& area, QPointF p, float reach);

/// The area after its gripped edges (all four for a move) follow (dx, dy),
/// snapped to whole pixels of `tpp` twips; an edge dragged past the opposite
/// one turns the area over, and it never gets thinner than one pixel.
QRectF DragArea(const QRectF& area, const AreaGrip& grip, float dx, float dy, float tpp);

}  // namespace orv
