#pragma once
// Paints controls as the user sees them. The windows use it on screen and the
// save command uses it off screen, so a capture is what the user sees.

#include <QPainter>
#include <QRect>
#include <QRegion>
#include <functional>

#include "platform/Controls.h"
#include "platform/Form.h"

namespace orv {

/// Paints a top-level control in its own way; returns false to leave it to PaintForm.
using PaintHook = std::function<bool(QPainter&, const Control&)>;

/// Paints the whole window: its persistent drawing, then its controls (each
/// visible top-level control offered to paintOwn first). covered is where the
/// controls are known to paint every pixel: the window's own backdrop is left
/// out there.
void PaintForm(QPainter& p, const Form& form, const PaintHook& paintOwn = nullptr,
               const QRegion& covered = QRegion());
/// Paints one control at its place in the painter's coordinates (pixels of its
/// container), with everything it contains.
void PaintControl(QPainter& p, const Control& c, bool pixelScale = false);
class ChildIndex;

/// Paints a picture box's own content (background, picture, drawing, children)
/// with its top-left corner at the painter's origin. With an index of where the box's
/// children lie, a repaint of part of the box looks only at the children that index
/// finds there (while it is in step with the children; else at all of them).
void PaintPictureBoxContent(QPainter& p, const PictureBox& box, const ChildIndex* index = nullptr);
/// The same, each child offered to paintOwn first (which returns true when it painted it).
void PaintPictureBoxContent(QPainter& p, const PictureBox& box, const ChildIndex* index,
                            const PaintHook& paintOwn);
/// The pixel rectangle a control occupies within its container: its place for
/// painting and pointer hits (a line: the rectangle between its end pixels).
QRect ControlPlace(const Control& c, bool pixelScale = false);
/// The pixel rectangle a control may paint within its container: its place
/// with a margin for line width and text overhang; what a repaint must cover.
QRect ControlPixelRect(const Control& c, bool pixelScale = false);

}  // namespace orv
