#include "platform/Painter.h"

#include <QPen>
#include <cmath>

#include "platform/Artwork.h"
#include "platform/Fonts.h"
#include "platform/Screen.h"

namespace orv {

namespace {

double Px(float twips, bool pixelScale, bool vertical = false) {
    if (pixelScale) return twips;
    return twips / (vertical ? Screen().TwipsPerPixelY : Screen().TwipsPerPixelX);
}

QRectF PixelRectF(const Control& c, bool ps) {
    return {Px(c.Left, ps), Px(c.Top, ps, true), Px(c.Width, ps), Px(c.Height, ps, true)};
}

QString DisplayText(const QString& t) {
    QString s = t;
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

void PaintLine(QPainter& p, const Line& l, bool ps) {
    QPen pen(ToQColor(l.BorderColor));
    pen.setWidth(std::max(1, l.BorderWidth));
    pen.setCapStyle(Qt::SquareCap);
    p.setPen(pen);
    p.setRenderHint(QPainter::Antialiasing, false);
    // Whole-pixel ends: a 1-pixel line lands exactly on one row or column.
    const QPoint a(static_cast<int>(std::floor(Px(l.X1, ps))),
                   static_cast<int>(std::floor(Px(l.Y1, ps, true))));
    const QPoint b(static_cast<int>(std::floor(Px(l.X2, ps))),
                   static_cast<int>(std::floor(Px(l.Y2, ps, true))));
    p.drawLine(a, b);
}

void PaintLabel(QPainter& p, const Label& l, bool ps) {
    const QRect r = PixelRectF(l, ps).toAlignedRect();
    if (l.BackStyle == 1) p.fillRect(r, ToQColor(l.BackColor));
    if (l.Caption().isEmpty()) return;
    p.setPen(ToQColor(l.ForeColor));
    p.setFont(MakeQFont(l.Font()));
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.drawText(r, Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, DisplayText(l.Caption()));
}

void PaintShape(QPainter& p, const Shape& s, bool ps) {
    const QRect r = PixelRectF(s, ps).toAlignedRect();
    if (r.isEmpty()) return;
    if (s.BackStyle == 1) p.fillRect(r, ToQColor(s.BackColor));
    const int bw = std::max(1, s.BorderWidth);
    const QColor bc = ToQColor(s.BorderColor);
    // The border lies inside the shape's rectangle.
    p.fillRect(QRect(r.left(), r.top(), r.width(), bw), bc);
    p.fillRect(QRect(r.left(), r.bottom() - bw + 1, r.width(), bw), bc);
    p.fillRect(QRect(r.left(), r.top(), bw, r.height()), bc);
    p.fillRect(QRect(r.right() - bw + 1, r.top(), bw, r.height()), bc);
}

void PaintTextBox(QPainter& p, const TextBox& t, bool ps) {
    const QRect r = PixelRectF(t, ps).toAlignedRect();
    p.fillRect(r, ToQColor(t.BackColor));
    p.setPen(ToQColor(t.ForeColor));
    p.setFont(MakeQFont(t.Font));
    // The text sits 50 twips in from the top-left corner.
    const QRect inner = r.adjusted(static_cast<int>(std::lround(Px(50, false))),
                                   static_cast<int>(std::lround(Px(50, false, true))), 0, 0);
    p.save();
    p.setClipRect(r);
    p.drawText(inner, Qt::AlignLeft | Qt::AlignTop, DisplayText(t.Text()));
    p.restore();
}

void PaintImage(QPainter& p, const Image& img, bool ps) {
    const QRect r = PixelRectF(img, ps).toAlignedRect();
    if (r.isEmpty()) return;
    const QImage art = RenderArtwork(img.Picture, r.size());
    if (!art.isNull()) p.drawImage(r.topLeft(), art);
}

}  // namespace

QRect ControlPixelRect(const Control& c, bool ps) {
    if (c.Kind() == ControlKind::Line) {
        const auto& l = static_cast<const Line&>(c);
        const int w = std::max(1, l.BorderWidth);
        const int x1 = static_cast<int>(std::floor(Px(std::min(l.X1, l.X2), ps)));
        const int y1 = static_cast<int>(std::floor(Px(std::min(l.Y1, l.Y2), ps, true)));
        const int x2 = static_cast<int>(std::floor(Px(std::max(l.X1, l.X2), ps)));
        const int y2 = static_cast<int>(std::floor(Px(std::max(l.Y1, l.Y2), ps, true)));
        return QRect(QPoint(x1, y1), QPoint(x2, y2)).adjusted(-w, -w, w, w);
    }
    return PixelRectF(c, ps).toAlignedRect().adjusted(-1, -1, 1, 1);
}

void PaintPictureBoxContent(QPainter& p, const PictureBox& box) {
    const QRect r(0, 0, static_cast<int>(std::ceil(Px(box.Width, false))),
                  static_cast<int>(std::ceil(Px(box.Height, false, true))));
    p.save();
    p.setClipRect(r, Qt::IntersectClip);
    p.fillRect(r, ToQColor(box.BackColor));
    if (!box.Artwork.isEmpty()) {
        const QImage art = RenderArtwork(box.Artwork, r.size());
        if (!art.isNull()) p.drawImage(0, 0, art);
    }
    if (!box.Picture().isNull()) p.drawImage(0, 0, box.Picture());
    if (box.HasSurface()) p.drawImage(0, 0, const_cast<PictureBox&>(box).Surface());
    for (const Control* c : box.PaintOrder())
        if (c->Visible) PaintControl(p, *c, box.ScalePixels);
    p.restore();
}

void PaintControl(QPainter& p, const Control& c, bool ps) {
    switch (c.Kind()) {
        case ControlKind::Line:
            PaintLine(p, static_cast<const Line&>(c), ps);
            break;
        case ControlKind::Label:
            PaintLabel(p, static_cast<const Label&>(c), ps);
            break;
        case ControlKind::Shape:
            PaintShape(p, static_cast<const Shape&>(c), ps);
            break;
        case ControlKind::TextBox:
            PaintTextBox(p, static_cast<const TextBox&>(c), ps);
            break;
        case ControlKind::Image:
            PaintImage(p, static_cast<const Image&>(c), ps);
            break;
        case ControlKind::PictureBox: {
            const QRectF r = PixelRectF(c, ps);
            p.save();
            p.translate(std::floor(r.left()), std::floor(r.top()));
            PaintPictureBoxContent(p, static_cast<const PictureBox&>(c));
            p.restore();
            break;
        }
    }
}

void PaintForm(QPainter& p, const Form& form) {
    if (!form.Surface.isNull())
        p.drawImage(0, 0, form.Surface);
    else
        p.fillRect(p.viewport(), ToQColor(form.BackColor));
    for (const Control* c : form.PaintOrder())
        if (c->Visible) PaintControl(p, *c);
}

}  // namespace orv
