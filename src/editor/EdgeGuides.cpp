// Edge-snapping guides of the distance tool: live spans while Alt is held,
// `[` / `]` for the tolerance, Alt + click keeps both spans as markers drawn
// through the canvas's own press, move, tick and release handlers.

#include "editor/EdgeGuides.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <utility>

#include "editor/Form1.h"
#include "imaging/ColourCodes.h"
#include "platform/Screen.h"

namespace orv {

namespace {

constexpr Colour kGuideColour = RGB(0, 160, 255);
constexpr float kTextGap = 60;  // twips between a guide and its length text

// The tools the guides serve: the distance tool keeps their spans as markers,
// the box tool as the box they bound.
bool DistanceTool(const Form1& ed) {
    return ed.pd == Tool::Distance || ed.pd == Tool::Box;
}

}  // namespace

EdgeGuides::EdgeGuides(Form1& editor) : ed_(editor) {}

void EdgeGuides::LayOut(PictureBox& canvas, PictureBox& topBar) {
    // The guides join the canvas only while they show, so they never take a
    // place among the annotations' stacking ranks.
    canvas_ = &canvas;
    for (Line* l : {&horizontal, &vertical}) {
        l->BorderColor = kGuideColour;
        l->Visible = false;
    }
    horizontal.Name = QStringLiteral("guideH");
    vertical.Name = QStringLiteral("guideV");
    for (Label* l : {&horizontalText, &verticalText}) {
        l->AutoSize = true;
        l->BackStyle = 1;
        l->BackColor = kGuideColour;
        l->ForeColor = RGB(255, 255, 255);
        l->SetFont(FontSpec{QStringLiteral("Arial"), 9.0, true});
        l->Visible = false;
    }
    horizontalText.Name = QStringLiteral("guideHText");
    verticalText.Name = QStringLiteral("guideVText");
    readout.Name = QStringLiteral("guideTolerance");
    readout.AutoSize = true;
    readout.BackStyle = 0;
    readout.ForeColor = RGB(217, 220, 225);
    readout.SetFont(FontSpec{QStringLiteral("Arial"), 9.0, false});
    readout.Left = 7935;
    readout.Top = 210;
    readout.Visible = false;
    topBar.Add(readout);
}

void EdgeGuides::SetTolerance(int t) {
    tolerance_ = std::clamp(t, 0, 255);
    readout.SetCaption(QStringLiteral("Tolerance ") + QString::number(tolerance_));
}

void EdgeGuides::Follow(const MouseEvent& e) {
    if (holding_) return;
    if (DistanceTool(ed_) && ((e.Shift & kAltMask) || latched_) && e.Button == 0)
        Show(e.X, e.Y);
    else if (showing_)
        Hide();
}

bool EdgeGuides::Press(const MouseEvent& e) {
    if (e.Button != 1 || !((e.Shift & kAltMask) || latched_) || !DistanceTool(ed_)) return false;
    const EdgeSpans s = SpansAt(e.X, e.Y);
    if (s.valid && ed_.pd == Tool::Box)
        ed_.KeepSnappedBox(s);
    else if (s.valid)
        Keep(s);
    ed_.Text5 = e.X;
    ed_.Text6 = e.Y;
    holding_ = true;
    Show(e.X, e.Y);
    return true;
}

bool EdgeGuides::Release() {
    const bool was = holding_;
    holding_ = false;
    return was;
}

void EdgeGuides::Key(int key, int shift, bool down) {
    if (key == Qt::Key_Alt) {
        if (down && DistanceTool(ed_) && ed_.Text5 && ed_.Text6)
            Show(*ed_.Text5, *ed_.Text6);
        else if (!down && !latched_)
            Hide();
        return;
    }
    if (key == Qt::Key_G && (shift & (kCtrlMask | kAltMask)) == 0) {
        if (!down || !DistanceTool(ed_)) return;
        latched_ = !latched_;
        if (latched_ && ed_.Text5 && ed_.Text6)
            Show(*ed_.Text5, *ed_.Text6);
        else if (!latched_)
            Hide();
        return;
    }
    if (!down || !((shift & kAltMask) || latched_) || !DistanceTool(ed_)) return;
    if (key == Qt::Key_BracketLeft)
        SetTolerance(LowerTolerance(tolerance_));
    else if (key == Qt::Key_BracketRight)
        SetTolerance(RaiseTolerance(tolerance_));
    else
        return;
    if (ed_.Text5 && ed_.Text6) Show(*ed_.Text5, *ed_.Text6);
}

void EdgeGuides::Show(float x, float y) {
    spans_ = SpansAt(x, y);
    if (!spans_.valid) {
        Hide();
        return;
    }
    const float kx = Screen().TwipsPerPixelX, ky = Screen().TwipsPerPixelY;
    const float px = std::floor(x / kx) * kx, py = std::floor(y / ky) * ky;
    horizontal.X1 = spans_.horizontal.first * kx;
    horizontal.X2 = spans_.horizontal.last * kx;
    horizontal.Y1 = horizontal.Y2 = py;
    vertical.X1 = vertical.X2 = px;
    vertical.Y1 = spans_.vertical.first * ky;
    vertical.Y2 = spans_.vertical.last * ky;
    horizontalText.SetCaption(LengthText(spans_.horizontal.Length()));
    verticalText.SetCaption(LengthText(spans_.vertical.Length()));
    horizontalText.Left = (horizontal.X1 + horizontal.X2) / 2 - horizontalText.Width / 2;
    horizontalText.Top = py - horizontalText.Height - kTextGap;
    verticalText.Left = px + kTextGap;
    verticalText.Top = (vertical.Y1 + vertical.Y2) / 2 - verticalText.Height / 2;
    SetTolerance(tolerance_);
    for (Control* c :
         std::initializer_list<Control*>{&horizontal, &vertical, &horizontalText, &verticalText}) {
        if (c->Parent() != canvas_) canvas_->Add(*c);
        c->Visible = true;
        c->ZOrder();
    }
    readout.Visible = true;
    showing_ = true;
}

void EdgeGuides::Hide() {
    for (Control* c :
         std::initializer_list<Control*>{&horizontal, &vertical, &horizontalText, &verticalText}) {
        c->Visible = false;
        if (c->Parent()) c->Parent()->Remove(*c);
    }
    readout.Visible = false;
    showing_ = false;
}

void EdgeGuides::Keep(const EdgeSpans& s) {
    const float kx = Screen().TwipsPerPixelX, ky = Screen().TwipsPerPixelY;
    // Both markers pass through the pointer's pixel, where the spans cross.
    const float x = crossX_ * kx, y = crossY_ * ky;
    DrawByHand(s.horizontal.first * kx, y, s.horizontal.last * kx, y, false);
    DrawByHand(x, s.vertical.first * ky, x, s.vertical.last * ky, true);
}

void EdgeGuides::DrawByHand(float x1, float y1, float x2, float y2, bool upright) {
    // A hand never leaves the press point exactly along the axis: the first
    // move leans towards it, which settles the marker's orientation, and the
    // second lands on the far end.
    // These presses draw by hand, whatever G turned on: they must not snap again.
    const bool latched = std::exchange(latched_, false);
    MouseEvent e;
    e.Button = 1;
    e.X = x1;
    e.Y = y1;
    ed_.Picture2_MouseDown(e);
    e.X = x1 + (upright ? 1.0f : 2.0f);
    e.Y = y1 + (upright ? 2.0f : 1.0f);
    ed_.Picture2_MouseMove(e);
    ed_.Timer1_Timer();
    e.X = x2;
    e.Y = y2;
    ed_.Picture2_MouseMove(e);
    ed_.Timer1_Timer();
    ed_.Picture2_MouseUp(e);
    latched_ = latched;
}

EdgeSpans EdgeGuides::SpansAt(float x, float y) {
    if (x < 0 || y < 0) return {};
    const int px = static_cast<int>(x / Screen().TwipsPerPixelX);
    const int py = static_cast<int>(y / Screen().TwipsPerPixelY);
    crossX_ = px;
    crossY_ = py;
    return FindEdgeSpans(CanvasPixels(), px, py, tolerance_);
}

const PixelView& EdgeGuides::CanvasPixels() {
    const PictureBox& canvas = ed_.Picture2;
    const QImage& picture = canvas.Picture();
    const int w = static_cast<int>(std::lround(canvas.Width / Screen().TwipsPerPixelX));
    const int h = static_cast<int>(std::lround(canvas.Height / Screen().TwipsPerPixelY));
    // The common case reads the picture itself: nothing drawn over it and the
    // canvas exactly its size.
    if (!canvas.HasSurface() && picture.format() == QImage::Format_RGB32 && picture.width() == w &&
        picture.height() == h) {
        view_ = PixelView::Of(picture);
        composed_ = QImage();
        pictureKey_ = -1;
        return view_;
    }
    const qint64 pk = picture.cacheKey();
    const qint64 sk = canvas.HasSurface() ? ed_.Picture2.Surface().cacheKey() : 0;
    if (composed_.isNull() || pk != pictureKey_ || sk != surfaceKey_ || w != composed_.width() ||
        h != composed_.height() || canvas.BackColor != composedBack_) {
        // What Point reads: opaque surface pixels, else the picture over the background.
        composed_ = QImage(std::max(w, 0), std::max(h, 0), QImage::Format_RGB32);
        composed_.fill(ToQColor(canvas.BackColor));
        if (!picture.isNull() && !composed_.isNull()) {
            QPainter p(&composed_);
            p.drawImage(0, 0, picture);
        }
        if (canvas.HasSurface() && !composed_.isNull()) {
            const QImage s = ed_.Picture2.Surface().convertToFormat(QImage::Format_ARGB32);
            for (int yy = 0; yy < std::min(h, s.height()); ++yy) {
                const auto* src = reinterpret_cast<const QRgb*>(s.constScanLine(yy));
                auto* dst = reinterpret_cast<QRgb*>(composed_.scanLine(yy));
                for (int xx = 0; xx < std::min(w, s.width()); ++xx)
                    if (qAlpha(src[xx]) == 255) dst[xx] = src[xx];
            }
        }
        pictureKey_ = pk;
        surfaceKey_ = sk;
        composedBack_ = canvas.BackColor;
    }
    view_ = PixelView::Of(composed_);
    return view_;
}

}  // namespace orv
