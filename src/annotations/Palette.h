#pragma once
// The colour palette: six swatches and a selection frame on a black strip,
// laid out identically in the editor's top bar and on the tool strip.

#include <array>

#include "platform/Controls.h"

namespace orv {

/// Swatch colours in order.
constexpr std::array<Colour, 6> kPaletteColours = {RGB(255, 0, 0),     RGB(0, 192, 0),
                                                   RGB(128, 128, 255), RGB(255, 128, 255),
                                                   RGB(255, 128, 0),   RGB(0, 0, 255)};

/// Puts the swatches and the frame into the strip at their design places.
void LayOutPalette(PictureBox& strip, std::array<Label, 6>& swatches, Shape& frame);
/// Moves the frame around swatch k.
void MovePaletteFrame(Shape& frame, const Label& swatch);

}  // namespace orv
