// Distance markers: the live measurement tick that keeps the offsets,
// direction codes and length text current while a button is held on the
// canvas, and moving a marker's length label.

#include <cmath>

#include "annotations/Geometry.h"
#include "editor/Form1.h"
#include "imaging/ColourCodes.h"
#include "platform/Screen.h"

namespace orv {

namespace {

constexpr Colour kHeldLineColour = RGB(0, 0, 255);

}  // namespace

void Form1::Timer1_Timer() {
    // The anchor: the start of the segment or of the leader being drawn.
    const Line* anchor = nullptr;
    if (pd == Tool::Distance)
        anchor = Line1.Find(qqqq);
    else if (pd == Tool::ColourPick || pd == Tool::Note)
        anchor = zba.Find(wwww);
    if (anchor) {
        Text1 = Text5.value_or(0.0f) - anchor->X1;
        Text2 = Text6.value_or(0.0f) - anchor->Y1;
    }
    if (Text1 != 0) Text3 = std::abs(Text2) / std::abs(Text1);
    // Exactly on an axis or a diagonal the codes keep what they were.
    if (const auto d = DirectionOf(Text1, Text2, Text3)) {
        Label2 = d->Octant;
        Label1 = d->Orientation;
    }

    if (pd == Tool::Distance) {
        const Line* line = Line1.Find(qqqq);
        if (!line) return;
        const double dx = static_cast<double>(line->X2) - line->X1;
        const double dy = static_cast<double>(line->Y2) - line->Y1;
        ti = std::sqrt(dx * dx + dy * dy);
        px.SetCaption(LengthText(*ti / Screen().TwipsPerPixelX + 1));
        if (Label* label = aapx.Find(qqqq)) label->SetCaption(px.Caption());
    }
}

void Form1::aapx_MouseDown(int Index, const MouseEvent& e) {
    if (e.Button == 1) {
        vars.grabX = e.X;
        vars.grabY = e.Y;
        aapxindex = Index;
        // The segment shows in the held colour until the release gives its colour back.
        if (const Label* label = aapx.Find(Index)) jzys.BackColor = label->ForeColor;
        if (Line* segment = Line1.Find(Index)) segment->BorderColor = kHeldLineColour;
    } else if (e.Button == 2) {
        aapxindex = Index;
        PopupAnnotationMenu(cd());
    }
}

void Form1::aapx_MouseMove(int Index, const MouseEvent& e) {
    if (e.Button != 1) return;
    if (Label* label = aapx.Find(Index)) {
        label->Left = label->Left + e.X - vars.grabX;
        label->Top = label->Top + e.Y - vars.grabY;
        label->ZOrder();
    }
}

void Form1::aapx_MouseUp(int, const MouseEvent& e) {
    // Only the release that ends a left hold gives back the colour remembered at
    // its press; after the right-click menu it would undo a colour chosen there.
    if (e.Button != 1) return;
    // The marker may have been deleted from its menu meanwhile: skip what is gone.
    const int i = aapxindex;
    if (Line* segment = Line1.Find(i)) segment->BorderColor = jzys.BackColor;
    if (Label* label = aapx.Find(i)) label->ForeColor = jzys.BackColor;
}

}  // namespace orv
