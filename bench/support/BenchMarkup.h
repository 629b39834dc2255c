#pragma once
// What several benchmarks draw on: a picture with detail everywhere, and
// annotations drawn through the editor's own canvas handlers on a grid.

#include <QImage>

#include "editor/Form1.h"

namespace orv::bench {

/// A picture with detail everywhere, so drawing it is real work.
inline QImage DesignPicture(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) line[x] = qRgb((x * 7) & 255, (y * 3) & 255, (x ^ y) & 255);
    }
    return img;
}

/// Where the annotations go, in twips: `columns` to a row, `rows` rows (then round again),
/// each drawn from its grid corner by a drag of (dragX, dragY).
struct MarkupGrid {
    int columns = 1, rows = 1;
    float left = 0, top = 0, stepX = 0, stepY = 0, dragX = 0, dragY = 0;
};

/// Draws n annotations straight through the canvas handlers, round the tools in turn (a
/// distance marker, a colour marker, a note); the history records them as it would for a user.
inline void DrawAnnotations(Form1& ed, int n, const MarkupGrid& g) {
    void (Form1::*tools[])() = {&Form1::Command3_Click, &Form1::Command4_Click,
                                &Form1::Command6_Click};
    for (int k = 0; k < n; ++k) {
        (ed.*tools[k % 3])();
        const float x = g.left + g.stepX * static_cast<float>(k % g.columns);
        const float y = g.top + g.stepY * static_cast<float>((k / g.columns) % g.rows);
        ed.Picture2_MouseDown({1, 0, x, y});
        for (int m = 0; m < 2; ++m) {
            ed.Picture2_MouseMove({1, 0, x + g.dragX, y + g.dragY});
            ed.Timer1_Timer();
        }
        ed.Picture2_MouseUp({1, 0, x + g.dragX, y + g.dragY});
    }
}

}  // namespace orv::bench
