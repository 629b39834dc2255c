// Pointer moves over the canvas: panning in the move tool, the pointer
// read-outs, the live shape of the annotation being drawn, and scrolling the
// picture when the pointer rests at an edge of the window.

#include "editor/Form1.h"
#include "imaging/ColourCodes.h"
#include "platform/Desktop.h"
#include "platform/Screen.h"
#include "platform/ShownPlace.h"
#include "shell/App.h"
#include "shell/form3.h"

namespace orv {

namespace {

constexpr float kTickHalf = 80;    // each end tick reaches this far to either side
constexpr float kLabelLift = 40;   // colour label above the swatch in octants 1 and 8
constexpr float kScrollStep = 60;  // picture moves this far per edge-scroll tick
constexpr float kNearEdge = 3;     // left and top edge zones, pixels
constexpr float kFarEdge = 10;     // right and bottom edge zones, pixels

// Each write runs on its own: one that addresses a missing element is skipped
// and the next still runs.
template <class Fn>
void Step(Fn&& fn) {
    IgnoreErrors(std::forward<Fn>(fn));
}

bool Shallow(int octant) {
    return octant == 1 || octant == 4 || octant == 5 || octant == 8;
}
bool Rightward(int octant) {
    return octant == 1 || octant == 2 || octant == 7 || octant == 8;
}

// Lays the two-leg leader n for octant o with the pointer at (X, Y) and gives
// its end (tx, ty); false when there is no leader to lay or its end is missing.
bool LayLeader(ControlArray<Line>& zba, ControlArray<Line>& zbb, int o, int n, float X, float Y,
               float& tx, float& ty) {
    if (o < 1 || o > 8) return false;
    // The first leg runs at 45 degrees from the anchor to the pointer's height.
    const bool leansRight = o == 1 || o == 2 || o == 5 || o == 6;
    Step([&] { zba(n).X2 = zba(n).X1 + (leansRight ? 1.0f : -1.0f) * (Y - zba(n).Y1); });
    Step([&] { zba(n).Y2 = Y; });
    if (Shallow(o)) {
        Step([&] { zbb(n).X1 = zba(n).X2; });
        Step([&] { zbb(n).Y1 = zba(n).Y2; });
        Step([&] { zbb(n).X2 = X; });
        Step([&] { zbb(n).Y2 = zba(n).Y2; });
        Step([&] { zbb(n).Visible = true; });
    } else {
        Step([&] { zbb(n).Visible = false; });
    }
    // The leader's end: the pointer end of the second leg, or the elbow.
    bool found = false;
    Step([&] {
        const Line& end = Shallow(o) ? zbb(n) : zba(n);
        tx = end.X2;
        ty = end.Y2;
        found = true;
    });
    return found;
}

}  // namespace

void Form1::Picture2_MouseMove(const MouseEvent& e) {
    const float X = e.X, Y = e.Y;
    const bool leftOnly = e.Button == 1;

    // Pan: the canvas follows the pointer, so the press point stays under it.
    Step([&] {
        if (app.Strip().Text1 != QLatin1String("0") && leftOnly && pd == QLatin1String("2")) {
            Picture2.Left = Picture2.Left + X - vars.pressX;
            Picture2.Top = Picture2.Top + Y - vars.pressY;
        }
    });
    Picture2.AutoRedraw = true;
    Text5 = X;
    Text6 = Y;
    Step(
        [&] { Label5.SetCaption(QStringLiteral("X:") + SingleText(X / Screen().TwipsPerPixelX)); });
    Step(
        [&] { Label6.SetCaption(QStringLiteral("Y:") + SingleText(Y / Screen().TwipsPerPixelY)); });

    if (leftOnly && pd == QLatin1String("0")) {
        const int n = qqqq;
        if (Label1 == 1) {
            Step([&] { aaaa(n).X1 = Line1(n).X1; });
            Step([&] { aaaa(n).Y1 = Line1(n).Y1 - kTickHalf; });
            Step([&] { aaaa(n).X2 = Line1(n).X1; });
            Step([&] { aaaa(n).Y2 = Line1(n).Y1 + kTickHalf; });
            Step([&] { Line1(n).X2 = X; });
            Step([&] { Line1(n).Y2 = Line1(n).Y1; });
            Step([&] { bbbb(n).X1 = Line1(n).X2; });
            Step([&] { bbbb(n).Y1 = Line1(n).Y2 - kTickHalf; });
            Step([&] { bbbb(n).X2 = Line1(n).X2; });
            Step([&] { bbbb(n).Y2 = Line1(n).Y2 + kTickHalf; });
            Step([&] { aapx(n).Visible = true; });
            Step([&] { aapx(n).Left = (Line1(n).X1 + Line1(n).X2) / 2; });
            Step([&] { aapx(n).Top = Line1(n).Y1; });
            Step([&] { aapx(n).ZOrder(); });
            Step([&] { aaaa(n).Visible = true; });
            Step([&] { bbbb(n).Visible = true; });
            Step([&] { aapx(n).Visible = true; });
        } else if (Label1 == 2) {
            Step([&] { aaaa(n).X1 = Line1(n).X1 - kTickHalf; });
            Step([&] { aaaa(n).Y1 = Line1(n).Y1; });
            Step([&] { aaaa(n).X2 = Line1(n).X1 + kTickHalf; });
            Step([&] { aaaa(n).Y2 = Line1(n).Y1; });
            Step([&] { Line1(n).X2 = Line1(n).X1; });
            Step([&] { Line1(n).Y2 = Y; });
            Step([&] { bbbb(n).X1 = Line1(n).X2 - kTickHalf; });
            Step([&] { bbbb(n).Y1 = Line1(n).Y2; });
            Step([&] { bbbb(n).X2 = Line1(n).X2 + kTickHalf; });
            Step([&] { bbbb(n).Y2 = Line1(n).Y2; });
            Step([&] { aapx(n).Visible = true; });
            Step([&] { aapx(n).Left = Line1(n).X1; });
            Step([&] { aapx(n).Top = (Line1(n).Y1 + Line1(n).Y2) / 2; });
            Step([&] { aapx(n).SetCaption(px.Caption()); });
            Step([&] { aapx(n).ZOrder(); });
            Step([&] { aaaa(n).Visible = true; });
            Step([&] { bbbb(n).Visible = true; });
        }
    }

    if (leftOnly && pd == QLatin1String("1")) {
        const int n = wwww;
        Step([&] { co(n).Visible = true; });
        Step([&] { Shape1(n).Visible = true; });
        float tx = 0, ty = 0;
        if (LayLeader(zba, zbb, Label2, n, X, Y, tx, ty)) {
            const int o = Label2;
            if (Rightward(o)) {
                Step([&] { Shape1(n).Left = tx; });
                Step([&] { Shape1(n).Top = ty - co(n).Height / 2; });
                Step([&] { co(n).Left = tx + Shape1(n).Width; });
                const float lift = (o == 1 || o == 8) ? kLabelLift : 0;
                Step([&] { co(n).Top = ty - co(n).Height / 2 - lift; });
            } else {
                // Steep and upper-left rows centre on the swatch, the left row on the label.
                const bool bySwatch = o != 4;
                Step([&] { Shape1(n).Left = tx - Shape1(n).Width; });
                Step(
                    [&] { Shape1(n).Top = ty - (bySwatch ? Shape1(n).Height : co(n).Height) / 2; });
                Step([&] { co(n).Left = tx - Shape1(n).Width - co(n).Width; });
                Step([&] { co(n).Top = ty - (bySwatch ? Shape1(n).Height : co(n).Height) / 2; });
            }
        }
    }

    if (leftOnly && pd == QLatin1String("3")) {
        const int n = wwww;
        float tx = 0, ty = 0;
        if (LayLeader(zba, zbb, Label2, n, X, Y, tx, ty)) {
            Step([&] { bz(n).Left = tx; });
            Step([&] { bz(n).Top = ty - bz(n).Height / 2; });
        }
    }
}

void Form1::Timer2_Timer() {
    if (pd != QLatin1String("0") && pd != QLatin1String("1") && pd != QLatin1String("3")) return;
    const QPoint c = app.desktop.CursorPos();
    const float cx = static_cast<float>(c.x()), cy = static_cast<float>(c.y());
    const float k = kFixedTwipsPerPixel;
    // Where the canvas is shown (a zoomed canvas is larger or smaller than its place).
    const ShownRect shown = ShownPlace(Picture2);
    if (cx - Left / k - kNearEdge < 0 && shown.Left - Picture1.Width < 0)
        Picture2.Left += kScrollStep;
    if (cx - Left / k - Width / k > -kFarEdge && shown.Left > Width - shown.Width)
        Picture2.Left -= kScrollStep;
    if (cy - Top / k - kNearEdge < 0 && shown.Top - Picture6.Height < 0)
        Picture2.Top += kScrollStep;
    if (cy - Top / k - Height / k > -kFarEdge && shown.Top > Height - shown.Height)
        Picture2.Top -= kScrollStep;
}

}  // namespace orv
