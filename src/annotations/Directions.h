#pragma once
// The direction codes of a drag: which octant around the anchor the pointer
// lies in, and whether the drag is closer to the horizontal or the vertical.

namespace orv {

/// Sets octant (1..8, clockwise on the screen from just below east) and
/// orientation (1 horizontal, 2 vertical) for the offset (dx, dy) from the
/// anchor, with r = |dy| / |dx| (y grows downwards). An offset along an axis
/// takes that axis, and a diagonal (r = 1) the shallow octant of its quadrant,
/// so every drag has a direction. Returns false, leaving both codes as they
/// were, only when the pointer is on the anchor.
bool DirectionCodes(float dx, float dy, float r, int& octant, int& orientation);

}  // namespace orv
