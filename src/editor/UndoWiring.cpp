// Records an undo step around every user change: a press on the canvas or on an
// annotation element opens it, the release (or the end of a right-click menu
// command) closes it; keystrokes in a note merge into one step per burst.

#include <Qt>
#include <type_traits>

#include "annotations/Kinds.h"
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

/// Tells the history of the annotation key names whenever one of its
/// elements is loaded, unloaded or gets an event: whatever changes an element
/// goes through one of these.
template <class T>
void Watch(ControlArray<T>& array, UndoHistory& history, AnnotationKey (*keyOf)(int)) {
    const auto touching = [&history, keyOf](auto& handler, int i) {
        if (!handler) return;
        handler = [inner = std::move(handler), &history, keyOf, i](const auto&... args) {
            // The handler may unload the element and this closure with it.
            UndoHistory& h = history;
            h.Touch(keyOf(i));
            inner(args...);
        };
    };
    array.OnLoad = [inner = std::move(array.OnLoad), &history, keyOf, touching](T& c) {
        if (inner) inner(c);
        history.Touch(keyOf(c.Index));
        touching(c.MouseDown, c.Index);
        touching(c.MouseMove, c.Index);
        touching(c.MouseUp, c.Index);
        touching(c.Click, c.Index);
        if constexpr (std::is_same_v<T, TextBox>) {
            touching(c.Change, c.Index);
            touching(c.KeyPress, c.Index);
            touching(c.LostFocus, c.Index);
        }
    };
    array.OnUnload = [inner = std::move(array.OnUnload), &history, keyOf](T& c) {
        history.Touch(keyOf(c.Index));
        if (inner) inner(c);
    };
}

AnnotationKey DistanceKey(int i) {
    return {false, i};
}
AnnotationKey LeaderKey(int i) {
    return {true, i};
}
template <class K>
AnnotationKey KindKey(int i) {
    return {false, i, K::Family};
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
    for (ControlArray<Line>* a : {&Line1, &aaaa, &bbbb}) Watch(*a, history, DistanceKey);
    Watch(aapx, history, DistanceKey);
    for (ControlArray<Line>* a : {&zba, &zbb}) Watch(*a, history, LeaderKey);
    Watch(co, history, LeaderKey);
    Watch(Shape1, history, LeaderKey);
    Watch(bz, history, LeaderKey);
    Watch(bzz, history, LeaderKey);
    ForEachKind([&](auto k) {
        using K = decltype(k);
        ForEachPart<K>([&](const auto& p) {
            if (auto* a = annotations.Kinds().*p.array) Watch(*a, history, KindKey<K>);
        });
    });
    // The canvas's handlers and the menu commands work on the annotation being
    // drawn or the one pressed last, named by the editor's current indices.
    history.TouchCurrent = [this](UndoHistory& h) {
        for (int i : {qqqq, qqqq - 1, aapxindex}) h.Touch(DistanceKey(i));
        for (int i : {wwww, wwww - 1, coindex, bzindex}) h.Touch(LeaderKey(i));
        const KindCounters& next = annotations.Next();
        for (int i : {next.boxes, next.boxes - 1, boxindex, boxDraw_.index})
            h.Touch(KindKey<BoxKind>(i));
        for (int i : {next.redactions, next.redactions - 1, redactindex, grip_.index})
            h.Touch(KindKey<RedactionKind>(i));
    };
    Picture2.MouseMove = [this, inner = std::move(Picture2.MouseMove)](const MouseEvent& e) {
        if (inner) inner(e);
        // A drag draws into the annotation being made (its step comes at the
        // release); a pointer passing by shows or hides the note it passes.
        history.TouchCurrent(history);
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
