#include "platform/Painter.h"

#include <QCoreApplication>
#include <QPaintEngine>
#include <QPen>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/Artwork.h"
#include "platform/ChildIndex.h"
#include "platform/Fonts.h"
#include "platform/Screen.h"

namespace orv {

namespace {

double Px(float twips, bool pixelScale, bool vertical = false) {
    if (pixelScale) return twips;
    return twips / (vertical ? Screen().TwipsPerPixelY : Screen().TwipsPerPixelX);
}

// The pixel nearest to a twip position (halves go down and right), so that a
// tick reaching the same distance to either side of a line is symmetric.
int Snap(float twips, bool pixelScale, bool vertical = false) {
    return static_cast<int>(std::floor(Px(twips, pixelScale, vertical) + 0.5));
}

// Fonts and layouts kept for painting go when the application does, while its font
// database is still there; registered once for each kept thing.
void ForgetAtExit(const void* kept, void (*forget)()) {
    thread_local std::vector<const void*> registered;
    if (std::find(registered.begin(), registered.end(), kept) != registered.end()) return;
    registered.push_back(kept);
    qAddPostRoutine(forget);
}

// The painter's font for a font of the controls, made once: a QFont made afresh
// is matched against the font database again when it is first drawn with.
const QFont& PaintFont(const FontSpec& face) {
    struct Entry {
        FontSpec face;
        float twipsPerPixel;
        QFont font;
    };
    thread_local std::vector<Entry> fonts;
    ForgetAtExit(&fonts, [] { fonts.clear(); });
    const float tpp = Screen().TwipsPerPixelY;
    for (const Entry& e : fonts)
        if (e.face == face && e.twipsPerPixel == tpp) return e.font;
    if (fonts.size() >= 32) fonts.erase(fonts.begin());
    fonts.push_back(Entry{face, tpp, MakeQFont(face)});
    return fonts.back().font;
}

// A one-line caption laid out as drawText lays it out at the top left of a rectangle, kept
// between repaints: laying out and shaping is most of what drawing a short caption costs, and
// a repaint draws the same captions again. Null for text that drawText treats in a way of its
// own (line breaks, tabs, right-to-left runs); those are drawn with drawText.
const QTextLayout* CaptionLayout(const QString& text, const FontSpec& face, int width) {
    if (text.isEmpty() || text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')) ||
        text.contains(QLatin1Char('\t')) || text.isRightToLeft())
        return nullptr;
    struct Key {
        QString text;
        FontSpec face;
        float twipsPerPixel;
        int width;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        size_t operator()(const Key& k) const {
            return qHash(k.text) ^ (qHash(k.face.Name) * 31) ^ std::hash<double>()(k.face.Size) ^
                   (size_t(k.face.Bold) << 7) ^ (size_t(k.width) << 9) ^
                   std::hash<float>()(k.twipsPerPixel);
        }
    };
    thread_local std::unordered_map<Key, std::unique_ptr<QTextLayout>, KeyHash> layouts;
    ForgetAtExit(&layouts, [] { layouts.clear(); });
    Key key{text, face, Screen().TwipsPerPixelY, width};
    if (auto it = layouts.find(key); it != layouts.end()) return it->second.get();
    if (layouts.size() >= 8192) layouts.clear();
    auto layout = std::make_unique<QTextLayout>(text, PaintFont(face));
    QTextOption option;
    option.setWrapMode(QTextOption::ManualWrap);
    layout->setTextOption(option);
    layout->setCacheEnabled(true);
    layout->beginLayout();
    QTextLine line = layout->createLine();
    if (line.isValid()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, 0));
    }
    layout->endLayout();
    return layouts.emplace(std::move(key), std::move(layout)).first->second.get();
}

QString DisplayText(const QString& t) {
    QString s = t;
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

// Whether the painter writes a vector document, whose renderers put a stroke on its centre
// line instead of filling pixels as the raster engine does.
bool PaintsVectors(const QPainter& p) {
    const QPaintEngine* engine = p.paintEngine();
    return engine && (engine->type() == QPaintEngine::SVG || engine->type() == QPaintEngine::Pdf);
}

void PaintLine(QPainter& p, const Line& l, bool ps) {
    QPen pen(ToQColor(l.BorderColor));
    pen.setWidth(std::max(1, l.BorderWidth));
    pen.setCapStyle(Qt::SquareCap);
    p.setPen(pen);
    p.setRenderHint(QPainter::Antialiasing, false);
    // Whole-pixel ends: a 1-pixel line lands exactly on one row or column.
    const QPoint from(Snap(l.X1, ps), Snap(l.Y1, ps, true)),
        to(Snap(l.X2, ps), Snap(l.Y2, ps, true));
    if (PaintsVectors(p) && pen.width() % 2 == 1 && from != to) {
        // The aliased raster line fills the pixels right of and below its ends; through the
        // middle of those pixels, a vector stroke of the same width covers the same ones. It
        // runs on past each end's centre to where that pixel stops along the line (half a
        // pixel across, further on a slant), flat there, so the end pixels are covered like
        // the others and their neighbours no more than those of the middle ones.
        QPointF a = QPointF(from) + QPointF(0.5, 0.5), b = QPointF(to) + QPointF(0.5, 0.5);
        const QPointF d = b - a;
        const double length = std::hypot(d.x(), d.y());
        const double reach = 0.5 * pen.width() * (std::abs(d.x()) + std::abs(d.y())) / length;
        a -= d * (reach / length);
        b += d * (reach / length);
        // On a slant the aliased line is one pixel per step, which an antialiased stroke of
        // its full width overshoots into the neighbours; at 45 degrees a width of 2(√2 − 1)
        // strays least (each pixel off by at most a sixth of its colour), and a shallower slant
        // takes its share of that.
        const double slant =
            std::min(std::abs(d.x()), std::abs(d.y())) / std::max(std::abs(d.x()), std::abs(d.y()));
        pen.setWidthF(pen.width() * (1 - slant * (3 - 2 * std::sqrt(2.0))));
        pen.setCapStyle(Qt::FlatCap);
        p.setPen(pen);
        p.drawLine(a, b);
        return;
    }
    p.drawLine(from, to);
}

void PaintLabel(QPainter& p, const Label& l, bool ps) {
    const QRect r = ControlPlace(l, ps);
    if (l.BackStyle == 1) p.fillRect(r, ToQColor(l.BackColor));
    if (l.Caption().isEmpty()) return;
    p.setPen(ToQColor(l.ForeColor));
    p.setFont(PaintFont(l.Font()));
    p.setRenderHint(QPainter::TextAntialiasing, true);
    const QTextLayout* laid =
        PaintsVectors(p) ? nullptr : CaptionLayout(l.Caption(), l.Font(), r.width());
    if (laid)
        laid->draw(&p, r.topLeft());
    else
        p.drawText(r, Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, DisplayText(l.Caption()));
}

void PaintShape(QPainter& p, const Shape& s, bool ps) {
    const QRect r = ControlPlace(s, ps);
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
    const QRect r = ControlPlace(t, ps);
    p.fillRect(r, ToQColor(t.BackColor));
    p.setPen(ToQColor(t.ForeColor));
    p.setFont(PaintFont(t.Font));
    // The text sits 50 twips in from the top-left corner.
    const QRect inner = r.adjusted(static_cast<int>(std::lround(Px(50, false))),
                                   static_cast<int>(std::lround(Px(50, false, true))), 0, 0);
    p.save();
    p.setClipRect(r);
    p.drawText(inner, Qt::AlignLeft | Qt::AlignTop, DisplayText(t.Text()));
    p.restore();
}

void PaintImage(QPainter& p, const Image& img, bool ps) {
    const QRect r = ControlPlace(img, ps);
    if (r.isEmpty()) return;
    if (img.Opaque) {
        // The container's backdrop under the image, so nothing behind it shows through.
        auto* box = dynamic_cast<const PictureBox*>(img.Parent());
        if (box) {
            const QSize boxSize(static_cast<int>(std::ceil(Px(box->Width, false))),
                                static_cast<int>(std::ceil(Px(box->Height, false, true))));
            p.fillRect(r, ToQColor(box->BackColor));
            const QImage back =
                box->Artwork.isEmpty() ? QImage() : RenderArtwork(box->Artwork, boxSize);
            if (!back.isNull()) p.drawImage(r.topLeft(), back, r);
        }
    }
    const QImage art = RenderArtwork(img.Picture, r.size());
    if (!art.isNull()) p.drawImage(r.topLeft(), art);
}

// Draws the pixels src of img, each as a k x k block, with the first block's
// top-left corner at the device position at: exact, so a repaint of part of a
// zoomed canvas gives the very pixels a full repaint gives. The blocks go out
// a band of rows at a time through one small buffer that stays in the cache,
// so the cost is that of writing the shown blocks once.
void DrawBlocks(QPainter& p, const QImage& img, const QRect& src, int k, QPointF at) {
    const bool direct = img.depth() == 32;
    const QImage in = direct ? img : img.copy(src).convertToFormat(QImage::Format_ARGB32);
    const QRect from = direct ? src : QRect(QPoint(0, 0), src.size());
    const int width = from.width() * k;
    // About a megabyte of blocks per band, at least one row of the picture.
    const int rows = std::clamp((1 << 18) / std::max(1, width * k), 1, from.height());
    thread_local QImage band;
    if (band.format() != in.format() || band.width() < width || band.height() < rows * k)
        band =
            QImage(std::max(width, band.width()), std::max(rows * k, band.height()), in.format());
    if (band.isNull()) return;
    for (int y0 = 0; y0 < from.height(); y0 += rows) {
        const int n = std::min(rows, from.height() - y0);
        for (int y = 0; y < n; ++y) {
            const auto* line =
                reinterpret_cast<const uint32_t*>(in.constScanLine(from.top() + y0 + y)) +
                from.left();
            auto* first = reinterpret_cast<uint32_t*>(band.scanLine(y * k));
            for (int x = 0; x < from.width(); ++x) std::fill_n(first + x * k, k, line[x]);
            for (int r = 1; r < k; ++r)
                std::copy_n(first, width, reinterpret_cast<uint32_t*>(band.scanLine(y * k + r)));
        }
        p.drawImage(at + QPointF(0, double(y0) * k), band, QRect(0, 0, width, n * k));
    }
}

// Draws only the part of a picture that lies in the area being repainted: a
// zoomed canvas repaints a strip of a large picture at a time.
void DrawVisible(QPainter& p, const QImage& img) {
    if (!p.hasClipping()) {
        p.drawImage(0, 0, img);
        return;
    }
    const QRect src =
        p.clipBoundingRect().toAlignedRect().adjusted(-1, -1, 1, 1).intersected(img.rect());
    if (src.isEmpty()) return;
    const QTransform t = p.transform();
    const double k = t.m11();
    if (t.type() == QTransform::TxScale && k > 1 && k == t.m22() && k == std::floor(k) &&
        !p.testRenderHint(QPainter::SmoothPixmapTransform)) {
        // Zoomed in by a whole factor: blocks drawn unscaled.
        const QPointF at = t.map(QPointF(src.topLeft()));
        p.save();
        p.resetTransform();
        DrawBlocks(p, img, src, static_cast<int>(k), at);
        p.restore();
        return;
    }
    p.drawImage(src.topLeft(), img, src);
}

// Paints the visible children in stacking order, skipping those wholly outside
// the area being repainted (a drag repaints a few small rectangles of a large
// picture with many annotations).
// An index of where the children lie, when in step with them, gives the few that may meet
// the area without a look at every child.
void PaintChildren(QPainter& p, const Container& box, bool ps, const PaintHook& hook = nullptr,
                   const ChildIndex* index = nullptr) {
    const bool clipped = p.hasClipping();
    const QRect clip = clipped ? p.clipBoundingRect().toAlignedRect() : QRect();
    const auto paint = [&](const Control* c) {
        if (!c->Visible) return;
        if (hook && hook(p, *c)) return;
        if (clipped && !clip.intersects(ControlPixelRect(*c, ps))) return;
        PaintControl(p, *c, ps);
    };
    thread_local std::vector<const Control*> meeting;
    // Each part of the area is asked for on its own (a frame's four sides, not all it
    // frames), widened a little: mapped back through a zoom, its edges are rounded.
    QRegion parts;
    if (index && clipped) {
        const QRegion region = p.clipRegion();
        if (region.rectCount() > 16)
            parts = clip.adjusted(-2, -2, 2, 2);
        else
            for (const QRect& r : region) parts += r.adjusted(-2, -2, 2, 2);
    }
    if (index && clipped && index->Meeting(box, parts, meeting)) {
        // Painting may paint other boxes, which use the same list: this one is taken.
        const std::vector<const Control*> mine = std::move(meeting);
        meeting.clear();
        for (const Control* c : mine) paint(c);
        return;
    }
    for (const Control* c : box.PaintOrder()) paint(c);
}

}  // namespace

QRect ControlPlace(const Control& c, bool ps) {
    if (c.Kind() == ControlKind::Line) {
        const auto& l = static_cast<const Line&>(c);
        return QRect(QPoint(Snap(std::min(l.X1, l.X2), ps), Snap(std::min(l.Y1, l.Y2), ps, true)),
                     QPoint(Snap(std::max(l.X1, l.X2), ps), Snap(std::max(l.Y1, l.Y2), ps, true)));
    }
    // Each edge goes to its nearest pixel, so a box keeps its size wherever it lies.
    const int left = Snap(c.Left, ps), top = Snap(c.Top, ps, true);
    return QRect(left, top, Snap(c.Left + c.Width, ps) - left,
                 Snap(c.Top + c.Height, ps, true) - top);
}

QRect ControlPixelRect(const Control& c, bool ps) {
    if (c.Kind() == ControlKind::Line) {
        const int w = std::max(1, static_cast<const Line&>(c).BorderWidth);
        return ControlPlace(c, ps).adjusted(-w, -w, w, w);
    }
    // Text may reach a little beyond its box (antialiased glyph edges).
    const bool text = c.Kind() == ControlKind::Label || c.Kind() == ControlKind::TextBox;
    const int m = text ? 2 : 1;
    return ControlPlace(c, ps).adjusted(-m, -m, m, m);
}

void PaintPictureBoxContent(QPainter& p, const PictureBox& box, const ChildIndex* index) {
    PaintPictureBoxContent(p, box, index, nullptr);
}

void PaintPictureBoxContent(QPainter& p, const PictureBox& box, const ChildIndex* index,
                            const PaintHook& paintOwn) {
    const QRect r(0, 0, static_cast<int>(std::ceil(Px(box.Width, false))),
                  static_cast<int>(std::ceil(Px(box.Height, false, true))));
    p.save();
    p.setClipRect(r, Qt::IntersectClip);
    // The background shows only where an opaque picture leaves the box uncovered.
    const QImage& picture = box.Picture();
    const QRegion back = picture.isNull() || picture.hasAlphaChannel()
                             ? QRegion(r)
                             : QRegion(r) - QRegion(picture.rect());
    for (const QRect& part : back) p.fillRect(part, ToQColor(box.BackColor));
    if (!box.Artwork.isEmpty()) {
        const QImage art = RenderArtwork(box.Artwork, r.size());
        if (!art.isNull()) p.drawImage(0, 0, art);
    }
    if (!box.Picture().isNull()) DrawVisible(p, box.Picture());
    if (box.HasSurface()) DrawVisible(p, const_cast<PictureBox&>(box).Surface());
    PaintChildren(p, box, box.ScalePixels, paintOwn, index);
    p.restore();
    if (box.BorderStyle == 1) {
        // A frame just outside the box, in a grey that reads on light pictures and
        // on the dark backdrop alike; the box's own pixels stay untouched.
        p.save();
        p.setPen(QColor(0x6B, 0x70, 0x78));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(-1, -1, 0, 0));
        p.restore();
    }
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
            p.save();
            p.translate(ControlPlace(c, ps).topLeft());
            PaintPictureBoxContent(p, static_cast<const PictureBox&>(c));
            p.restore();
            break;
        }
    }
}

void PaintForm(QPainter& p, const Form& form, const PaintHook& paintOwn, const QRegion& covered) {
    // The backdrop, where no control paints over it whole.
    const QRect all = form.Surface.isNull() ? p.viewport() : form.Surface.rect();
    for (const QRect& part : QRegion(all) - covered) {
        if (!form.Surface.isNull())
            p.drawImage(part.topLeft(), form.Surface, part);
        else
            p.fillRect(part, ToQColor(form.BackColor));
    }
    PaintChildren(p, form, false, paintOwn);
}

}  // namespace orv
