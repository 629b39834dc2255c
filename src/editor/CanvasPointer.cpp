// Press and release on the canvas: the press starts an annotation in the
// current tool, the release finishes it and advances the element counters.

#include "editor/Form1.h"
#include "platform/Colour.h"

namespace orv {

namespace {

// The first index from n on that no array of the group holds yet. Indices are
// normally fresh; a press whose release never arrived (the pointer grab was
// lost) leaves its elements at the counter, and they are kept, not overwritten.
template <class... Arrays>
int FreshIndex(int n, const Arrays&... arrays) {
    while ((arrays.Exists(n) || ...)) ++n;
    return n;
}

}  // namespace

void Form1::Picture2_MouseDown(const MouseEvent& e) {
    vars.pressX = e.X;
    vars.pressY = e.Y;
    Picture2.AutoRedraw = true;
    if (e.Button != 1) return;

    if (pd == QLatin1String("0")) {
        qqqq = FreshIndex(qqqq, Line1, aaaa, bbbb, aapx);
        const int n = qqqq;
        Line& line = Line1.Load(n);
        aaaa.Load(n);
        bbbb.Load(n);
        aapx.Load(n);
        line.Visible = true;
        line.X1 = line.X2 = e.X;
        line.Y1 = line.Y2 = e.Y;
        Timer1.SetEnabled(true);
    } else if (pd == QLatin1String("1")) {
        // Outside the picture there is no colour to show: no marker is made.
        const int64_t colour = Picture2.Point(e.X, e.Y);
        vars.sampledColor = colour;
        if (colour < 0) return;
        wwww = FreshIndex(wwww, zba, zbb, co, Shape1, bz, bzz);
        const int n = wwww;
        Line& leg = zba.Load(n);
        zbb.Load(n);
        Label& code = co.Load(n);
        Shape& swatch = Shape1.Load(n);
        leg.X1 = leg.X2 = e.X;
        leg.Y1 = leg.Y2 = e.Y;
        code.Visible = false;
        swatch.Visible = false;
        leg.Visible = true;
        Timer1.SetEnabled(true);
        getwebrgb(e.X, e.Y);
    } else if (pd == QLatin1String("3")) {
        wwww = FreshIndex(wwww, zba, zbb, co, Shape1, bz, bzz);
        const int n = wwww;
        Line& leg = zba.Load(n);
        zbb.Load(n);
        TextBox& box = bz.Load(n);
        bzz.Load(n);
        leg.X1 = leg.X2 = e.X;
        leg.Y1 = leg.Y2 = e.Y;
        box.Visible = true;
        leg.Visible = true;
        Timer1.SetEnabled(true);
    }
}

void Form1::Picture2_MouseUp(const MouseEvent& e) {
    Timer1.SetEnabled(false);
    if (pd == QLatin1String("0")) {
        if (e.Button == 1) {
            IgnoreErrors([&] {
                const Line& line = Line1(qqqq);
                Label& label = aapx(qqqq);
                if (Label1 == 1) {
                    label.Left = (line.X1 + line.X2) / 2;
                    label.Top = line.Y1 - 100;
                } else if (Label1 == 2) {
                    label.Left = line.X1 - label.Width / 2;
                    label.Top = (line.Y1 + line.Y2) / 2;
                }
            });
        }
        ++qqqq;
    } else if (pd == QLatin1String("1") || pd == QLatin1String("3")) {
        ++wwww;
    }
}

}  // namespace orv
