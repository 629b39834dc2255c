// Records an undo step around every user change: a press on the canvas or on an
// annotation element opens it, the release (or the end of a right-click menu
// command) closes it; keystrokes in a note merge into one step per burst.

#include <Qt>

#include "editor/Form1.h"

namespace orv {

namespace {

/// Wraps a press handler so the state before it is known, and a menu command
/// run by a right press ends its step at once.
template <class Handler>
void AroundPress(Handler& handler, UndoHistory& history) {
    handler = [inner = std::move(handler), &history](const MouseEvent& e) {
        // A menu command may unload the element and this closure with it.
        UndoHistory& h = history;
        h.Mark();
        if (inner) inner(e);
        if (e.Button != 1) h.Commit();
    };
}

template <class Handler>
void AroundRelease(Handler& handler, UndoHistory& history) {
    handler = [inner = std::move(handler), &history](const MouseEvent& e) {
        UndoHistory& h = history;
        if (inner) inner(e);
        h.Commit();
    };
}

}  // namespace

void Form1::WireUndo() {
    AroundPress(Picture2.MouseDown, history);
    AroundRelease(Picture2.MouseUp, history);
    szz.Click = [this, inner = std::move(szz.Click)] {
        history.Mark();
        if (inner) inner();
        history.Commit();
    };
    const auto wrapElement = [this](auto& array) {
        array.OnLoad = [this, inner = std::move(array.OnLoad)](auto& c) {
            if (inner) inner(c);
            AroundPress(c.MouseDown, history);
            AroundRelease(c.MouseUp, history);
        };
    };
    wrapElement(aapx);
    wrapElement(co);
    wrapElement(bz);
    bz.OnLoad = [this, inner = std::move(bz.OnLoad)](TextBox& c) {
        if (inner) inner(c);
        const int i = c.Index;
        c.Change = [this, i, change = std::move(c.Change)] {
            UndoHistory& h = history;
            if (change) change();
            h.Commit(i);
        };
        // Leaving the box ends its typing burst.
        c.LostFocus = [this] { history.EndTyping(); };
    };
    bzz.OnLoad = [this, inner = std::move(bzz.OnLoad)](Label& c) {
        if (inner) inner(c);
        c.Click = [this, click = std::move(c.Click)] {
            UndoHistory& h = history;
            h.Mark();
            if (click) click();
            h.Commit();
        };
    };
    Key = [this, inner = std::move(Key)](int key, int shift, bool down) {
        if (down && (shift & kCtrlMask)) {
            if (key == Qt::Key_Z && !(shift & kShiftMask)) {
                history.Undo();
                return;
            }
            if (key == Qt::Key_Z || key == Qt::Key_Y) {
                history.Redo();
                return;
            }
        }
        if (inner) inner(key, shift, down);
    };
}

}  // namespace orv
