#pragma once
// Paints controls as the user sees them. The windows use it on screen and the
// save command uses it off screen, so a capture is what the user sees.

#include <QPainter>
#include <QRect>

#include "platform/Controls.h"
#include "platform/Form.h"

namespace orv {

/// Paints the whole window: its persistent drawing, then its controls.
void PaintForm(QPainter& p, const Form& form);
/// Paints one control at its place in the painter's coordinates (pixels of its
/// container), with everything it contains.
void PaintControl(QPainter& p, const Control& c, bool pixelScale = false);
/// Paints a picture box's own content (background, picture, drawing, children)
/// with its top-left corner at the painter's origin.
void PaintPictureBoxContent(QPainter& p, const PictureBox& box);
/// The pixel rectangle a control covers within its container (lines with their width).
QRect ControlPixelRect(const Control& c, bool pixelScale = false);

}  // namespace orv
