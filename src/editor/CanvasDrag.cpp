// Pointer moves over the canvas: panning in the move tool, the pointer
// read-outs, the live shape of the annotation being drawn, and scrolling the
// picture when the pointer rests at an edge of the window.

#include <algorithm>

#include "annotations/Geometry.h"
#include "editor/Form1.h"
#include "imaging/ColourCodes.h"
#include "platform/Desktop.h"
#include "platform/Screen.h"
#include "platform/ShownPlace.h"

namespace orv {

namespace {

constexpr float kNearEdge = 3;  // left and top edge zones, pixels
constexpr float kFarEdge = 10;  // right and bottom edge zones, pixels
// At the very edge the picture scrolls one window extent in this many milliseconds; further
// into the edge zone it slows down in proportion, so the user can steer it.
constexpr float kFullScrollMs = 2000;

// The step of one tick for a pointer `depth` pixels inside an edge zone `zone` pixels wide
// (0 on the outermost pixel) of a window `extent` twips long.
float ScrollStep(float extent, float depth, float zone, int intervalMs) {
    const float closeness = std::clamp((zone - depth) / zone, 0.0f, 1.0f);
    return extent * static_cast<float>(intervalMs) / kFullScrollMs * closeness;
}

void Put(Line* l, const Segment& s) {
    if (!l) return;
    l->X1 = s.X1;
    l->Y1 = s.Y1;
    l->X2 = s.X2;
    l->Y2 = s.Y2;
}

template <class C>
void PutAt(C* c, QPointF p) {
    if (!c) return;
    c->Left = static_cast<float>(p.x());
    c->Top = static_cast<float>(p.y());
}

}  // namespace

void Form1::Picture2_MouseMove(const MouseEvent& e) {
    const float X = e.X, Y = e.Y;
    const bool leftOnly = e.Button == 1;

    // Pan: the canvas follows the pointer, so the press point stays under it.
    if (host.EditorStartMode() != StartMode::ScreenMeasurement && leftOnly && pd == Tool::Move) {
        Picture2.Left = Picture2.Left + X - vars.pressX;
        Picture2.Top = Picture2.Top + Y - vars.pressY;
    }
    Picture2.AutoRedraw = true;
    Text5 = X;
    Text6 = Y;
    Label5.SetCaption(QStringLiteral("X:") + SingleText(X / Screen().TwipsPerPixelX));
    Label6.SetCaption(QStringLiteral("Y:") + SingleText(Y / Screen().TwipsPerPixelY));
    guides.Follow(e);
    if (!leftOnly || guides.Holding()) return;

    // Each element of the annotation being drawn is laid out if it is there:
    // one that is missing is skipped and the others still follow the pointer.
    if (pd == Tool::Distance) {
        const int n = qqqq;
        Line* line = Line1.Find(n);
        if (!line) return;
        const auto layout = LayOutDistance({line->X1, line->Y1}, {X, Y}, Label1);
        if (!layout) return;
        Line* start = aaaa.Find(n);
        Line* end = bbbb.Find(n);
        Label* length = aapx.Find(n);
        Put(start, layout->StartTick);
        Put(line, layout->Line);
        Put(end, layout->EndTick);
        if (length) {
            PutAt(length, layout->Label);
            // Only a vertical segment takes the measured text while it is drawn.
            if (Label1 == 2) length->SetCaption(px.Caption());
            length->Visible = true;
            length->ZOrder();
        }
        if (start) start->Visible = true;
        if (end) end->Visible = true;
        return;
    }

    if (pd != Tool::ColourPick && pd != Tool::Note) return;
    const int n = wwww;
    Label* code = pd == Tool::ColourPick ? co.Find(n) : nullptr;
    Shape* swatch = pd == Tool::ColourPick ? Shape1.Find(n) : nullptr;
    if (code) code->Visible = true;
    if (swatch) swatch->Visible = true;
    Line* leg = zba.Find(n);
    if (!leg) return;
    const auto leader = LayOutLeader({leg->X1, leg->Y1}, {X, Y}, Label2);
    if (!leader) return;
    leg->X2 = leader->Leg.X2;
    leg->Y2 = leader->Leg.Y2;
    Line* foot = zbb.Find(n);
    if (foot) {
        if (leader->FootVisible) Put(foot, leader->Foot);
        foot->Visible = leader->FootVisible;
    } else if (leader->FootVisible) {
        return;  // the leader has no end to hang the label or box on
    }
    const QPointF end = leader->End;

    if (pd == Tool::ColourPick) {
        if (!code || !swatch) return;
        const ColourLabelLayout place = PlaceColourLabel(
            Label2, end, {swatch->Width, swatch->Height}, {code->Width, code->Height});
        PutAt(swatch, place.Swatch);
        PutAt(code, place.Code);
    } else if (TextBox* box = bz.Find(n)) {
        PutAt(box, PlaceNoteBox(end, box->Height));
    }
}

void Form1::Timer2_Timer() {
    if (pd != Tool::Distance && pd != Tool::ColourPick && pd != Tool::Note) return;
    const QPoint c = desktop.CursorPos();
    const float cx = static_cast<float>(c.x()), cy = static_cast<float>(c.y());
    // The window's extent in pixels, to compare with the pointer's.
    const float k = Screen().TwipsPerPixelX, kh = Screen().TwipsPerPixelY;
    // Where the canvas is shown (a zoomed canvas is larger or smaller than its place).
    const ShownRect shown = ShownPlace(Picture2);
    const int ms = Timer2.Interval();
    const float fromLeft = cx - Left / k, fromTop = cy - Top / kh;
    const float fromRight = Width / k - 1 - fromLeft, fromBottom = Height / kh - 1 - fromTop;
    // The steps are in the canvas's own units: a zoomed canvas moves on screen by the step
    // times its zoom, so the step is divided by it to scroll at the same speed at every zoom.
    const float zoom = shown.Scale > 0 ? shown.Scale : 1.0f;
    if (fromLeft - kNearEdge < 0 && shown.Left - Picture1.Width < 0)
        Picture2.Left += ScrollStep(Width, fromLeft, kNearEdge, ms) / zoom;
    if (fromLeft - Width / k > -kFarEdge && shown.Left > Width - shown.Width)
        Picture2.Left -= ScrollStep(Width, fromRight, kFarEdge, ms) / zoom;
    if (fromTop - kNearEdge < 0 && shown.Top - Picture6.Height < 0)
        Picture2.Top += ScrollStep(Height, fromTop, kNearEdge, ms) / zoom;
    if (fromTop - Height / kh > -kFarEdge && shown.Top > Height - shown.Height)
        Picture2.Top -= ScrollStep(Height, fromBottom, kFarEdge, ms) / zoom;
}

}  // namespace orv
