#include "annotations/Palette.h"

namespace orv {

void LayOutPalette(PictureBox& strip, std::array<Label, 6>& swatches, Shape& frame) {
    strip.BackColor = RGB(0, 0, 0);
    for (int k = 0; k < 6; ++k) {
        Label& s = swatches[static_cast<size_t>(k)];
        s.Name = QStringLiteral("colormenu");
        s.Index = k;
        s.Left = 240.0f + 360.0f * static_cast<float>(k);
        s.Top = 120;
        s.Width = 255;
        s.Height = 255;
        s.BackStyle = 1;
        s.BackColor = kPaletteColours[static_cast<size_t>(k)];
        strip.Add(s);
    }
    frame.Name = QStringLiteral("colorshape");
    frame.Left = 180;
    frame.Top = 60;
    frame.Width = 375;
    frame.Height = 375;
    frame.BorderColor = RGB(255, 255, 0);
    frame.BorderWidth = 2;
    frame.BackStyle = 0;
    strip.Add(frame);
}

void MovePaletteFrame(Shape& frame, const Label& swatch) {
    frame.Left = swatch.Left - 60;
}

}  // namespace orv
