// Redactions: a drag in the redaction tool covers a rectangle of the picture;
// a press inside one moves it, a press on an edge moves that edge, a right
// press opens its menu (pixelated or black, delete). Every change is brought
// into the picture at once, under all other annotations.

#include "annotations/BoxGeometry.h"
#include "editor/Form1.h"
#include "editor/RedactedPicture.h"
#include "platform/Desktop.h"
#include "platform/Screen.h"

namespace orv {

namespace {

// How far from an edge a press still takes hold of it, pixels.
constexpr float kEdgeReach = 4;

QRectF AreaOf(const Shape& s) {
    return {s.Left, s.Top, s.Width, s.Height};
}

void PutArea(Shape& s, const QRectF& r) {
    s.Left = static_cast<float>(r.left());
    s.Top = static_cast<float>(r.top());
    s.Width = static_cast<float>(r.width());
    s.Height = static_cast<float>(r.height());
}

}  // namespace

void Form1::ImageRedact_Click() {
    SelectTool(ImageRedact);
    pd = Tool::Redact;
}

int Form1::RedactionAt(float x, float y) const {
    const float reach = kEdgeReach * Screen().TwipsPerPixelX;
    int found = 0;
    uint64_t newest = 0;
    redaction.ForEach([&](const Shape& s) {
        const QRectF r = AreaOf(s).adjusted(-reach, -reach, reach, reach);
        if (r.contains(x, y) && s.StackKey() >= newest) {
            newest = s.StackKey();
            found = s.Index;
        }
    });
    return found;
}

void Form1::RedactionPress(const MouseEvent& e) {
    const float tpp = Screen().TwipsPerPixelX;
    grip_ = {};
    grip_.x = e.X;
    grip_.y = e.Y;
    if (const int n = RedactionAt(e.X, e.Y)) {
        const Shape& s = redaction(n);
        const AreaGrip g = GripAt(AreaOf(s), {e.X, e.Y}, kEdgeReach * tpp);
        grip_.index = n;
        grip_.left = g.left;
        grip_.top = g.top;
        grip_.right = g.right;
        grip_.bottom = g.bottom;
        grip_.l0 = s.Left;
        grip_.t0 = s.Top;
        grip_.r0 = s.Left + s.Width;
        grip_.b0 = s.Top + s.Height;
        redactindex = n;
        canvasHold = {false, n, RedactionKind::Family};
        return;
    }
    // A new one: drawn from the press pixel, growing with the drag.
    const int n = annotations.Create<RedactionKind>();
    Shape& s = redaction(n);
    const QPoint p = PixelAt(e.X, e.Y, tpp, Screen().TwipsPerPixelY);
    s.Left = grip_.l0 = static_cast<float>(p.x()) * tpp;
    s.Top = grip_.t0 = static_cast<float>(p.y()) * Screen().TwipsPerPixelY;
    s.Width = 0;
    s.Height = 0;
    s.BackStyle = static_cast<int>(RedactionFill::Pixelate);
    grip_.index = n;
    grip_.drawing = true;
    redactindex = n;
    canvasHold = {false, n, RedactionKind::Family};
}

void Form1::RedactionMove(const MouseEvent& e) {
    Shape* s = grip_.index ? redaction.Find(grip_.index) : nullptr;
    if (!s) return;
    const float kx = Screen().TwipsPerPixelX, ky = Screen().TwipsPerPixelY;
    if (grip_.drawing) {
        const QSize size(static_cast<int>(std::ceil(Picture2.Width / kx)),
                         static_cast<int>(std::ceil(Picture2.Height / ky)));
        const QRect r =
            PixelBoxBetween(PixelAt(grip_.l0, grip_.t0, kx, ky), PixelAt(e.X, e.Y, kx, ky), size);
        PutArea(*s, QRectF(r.left() * kx, r.top() * ky, r.width() * kx, r.height() * ky));
    } else {
        AreaGrip g{grip_.left, grip_.top, grip_.right, grip_.bottom};
        const QRectF at(QPointF(grip_.l0, grip_.t0), QPointF(grip_.r0, grip_.b0));
        PutArea(*s, DragArea(at, g, e.X - grip_.x, e.Y - grip_.y, kx));
    }
    SyncRedactions();
}

void Form1::RedactionRelease() {
    Shape* s = grip_.index ? redaction.Find(grip_.index) : nullptr;
    // A click that drew nothing leaves nothing and keeps its number.
    if (s && grip_.drawing && (s->Width <= 0 || s->Height <= 0))
        UnloadKind<RedactionKind>(annotations.Kinds(), grip_.index);
    else if (s && grip_.drawing)
        ++annotations.Next().redactions;
    grip_ = {};
    SyncRedactions();
}

const Menu& Form1::redactmenu() {
    static const Menu m{QStringLiteral("redactmenu"),
                        {{"redactblocks", "Pixelate", {}},
                         {"redactblack", "Fill black", {}},
                         {"redactdel", "Delete", {}}}};
    return m;
}

void Form1::redactPixelate_Click() {
    if (Shape* s = redaction.Find(redactindex))
        s->BackStyle = static_cast<int>(RedactionFill::Pixelate);
    SyncRedactions();
}

void Form1::redactBlack_Click() {
    if (Shape* s = redaction.Find(redactindex))
        s->BackStyle = static_cast<int>(RedactionFill::Black);
    SyncRedactions();
}

void Form1::redactDelete_Click() {
    UnloadKind<RedactionKind>(annotations.Kinds(), redactindex);
    SyncRedactions();
}

void Form1::SyncRedactions() {
    if (!redacted) redacted = std::make_unique<RedactedPicture>();
    const float kx = Screen().TwipsPerPixelX, ky = Screen().TwipsPerPixelY;
    // Oldest first, so a later one lies above an earlier one where they meet.
    std::vector<std::pair<uint64_t, RedactedPicture::Area>> areas;
    redaction.ForEach([&](const Shape& s) {
        if (s.Width <= 0 || s.Height <= 0) return;
        const QPoint a = PixelAt(s.Left + kx / 2, s.Top + ky / 2, kx, ky);
        const QPoint b = PixelAt(s.Left + s.Width - kx / 2, s.Top + s.Height - ky / 2, kx, ky);
        areas.push_back(
            {s.StackKey(), {QRect(a, b), s.BackStyle == static_cast<int>(RedactionFill::Black)}});
    });
    std::sort(areas.begin(), areas.end(),
              [](const auto& x, const auto& y) { return x.first < y.first; });
    std::vector<RedactedPicture::Area> list;
    list.reserve(areas.size());
    for (auto& [key, area] : areas) list.push_back(area);
    redacted->Sync(Picture2, list);
}

}  // namespace orv
