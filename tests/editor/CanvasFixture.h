#pragma once
// Drives the editor's canvas as the window does: press, moves with the left
// button held and measuring ticks between them, release.

#include <QImage>

#include "AppFixture.h"

namespace orv::test {

class CanvasTest : public AppTest {
  protected:
    void Press(float x, float y, int button = 1) { ed().Picture2_MouseDown({button, 0, x, y}); }
    void Move(float x, float y, int buttons = 1) { ed().Picture2_MouseMove({buttons, 0, x, y}); }
    void Release(float x, float y, int button = 1) { ed().Picture2_MouseUp({button, 0, x, y}); }
    /// A move, the tick that reads it, the move that uses the new codes and
    /// the tick that measures the result.
    void DragTo(float x, float y) {
        Move(x, y);
        ed().Timer1_Timer();
        Move(x, y);
        ed().Timer1_Timer();
    }
    /// A full drag from (x0, y0) to (x1, y1) with the left button.
    void Drag(float x0, float y0, float x1, float y1) {
        Press(x0, y0);
        DragTo(x1, y1);
        Release(x1, y1);
    }
    /// Puts a picture of w x h pixels filled with colour on the canvas.
    void Picture(int w, int h, QColor colour = Qt::white) {
        QImage img(w, h, QImage::Format_RGB32);
        img.fill(colour);
        ed().Picture2.SetPicture(img);
    }
};

}  // namespace orv::test
