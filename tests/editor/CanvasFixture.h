#pragma once
// Drives the editor's canvas as the window does: press, moves with the left
// button held and measuring ticks between them, release; and the right-click
// menus of the annotations.

#include <QImage>
#include <QLineF>

#include "AppFixture.h"

namespace orv::test {

/// Both ends of a line control.
inline QLineF Seg(const Line& l) {
    return {l.X1, l.Y1, l.X2, l.Y2};
}

class CanvasTest : public AppTest {
  protected:
    using Handler = void (Form1::*)(int, const MouseEvent&);

    void Press(float x, float y, int button = 1) { ed().Picture2_MouseDown({button, 0, x, y}); }
    void Move(float x, float y, int buttons = 1) { ed().Picture2_MouseMove({buttons, 0, x, y}); }
    void Release(float x, float y, int button = 1) { ed().Picture2_MouseUp({button, 0, x, y}); }
    /// Twice a move and the tick that reads it: the second move uses the new codes.
    void DragTo(float x, float y) {
        for (int k = 0; k < 2; ++k) {
            Move(x, y);
            ed().Timer1_Timer();
        }
    }
    /// Draws with a tool command and returns the index of what it made.
    int Draw(void (Form1::*tool)(), float x0, float y0, float x1, float y1) {
        (ed().*tool)();
        const int n = tool == &Form1::Command3_Click ? ed().qqqq : ed().wwww;
        Press(x0, y0);
        DragTo(x1, y1);
        Release(x1, y1);
        return n;
    }
    /// Right-presses element i through its MouseDown handler and picks item from the menu.
    void Choose(Handler down, int i, const char* item) {
        desktop.menuChoices.push_back(QString::fromLatin1(item));
        (ed().*down)(i, Right(5, 5));
    }
    /// Draws through the canvas's wired handlers, as the window delivers the events.
    void DrawWired(void (Form1::*tool)(), float x0, float y0, float x1, float y1) {
        (ed().*tool)();
        ed().Picture2.MouseDown(Left(x0, y0));
        for (int k = 0; k < 2; ++k) {
            ed().Picture2.MouseMove({1, 0, x1, y1});
            ed().Timer1_Timer();
        }
        ed().Picture2.MouseUp(Left(x1, y1));
    }
    /// Drags an element by (dx, dy) through its own wired handlers.
    template <class T>
    void DragWired(T& element, float dx, float dy) {
        element.MouseDown(Left(10, 10));
        element.MouseMove({1, 0, 10 + dx, 10 + dy});
        element.MouseUp(Left(10 + dx, 10 + dy));
    }
    /// Right-presses an element through its wired handler and picks item from its menu
    /// (a delete unloads the element there).
    template <class T>
    void MenuWired(T& element, const char* item) {
        desktop.menuChoices.push_back(QString::fromLatin1(item));
        element.MouseDown(Right(5, 5));
    }
    /// Puts a picture of w x h pixels filled with colour on the canvas.
    void Picture(int w, int h, QColor colour = Qt::white) {
        QImage img(w, h, QImage::Format_RGB32);
        img.fill(colour);
        ed().Picture2.SetPicture(img);
    }
};

}  // namespace orv::test
