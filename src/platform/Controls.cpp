#include "platform/Controls.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "platform/Fonts.h"
#include "platform/Screen.h"

namespace orv {

namespace {
uint64_t NextStackKey() {
    static uint64_t key = 0;
    return ++key;
}
uint64_t NextChildrenVersion() {
    static uint64_t version = 0;
    return ++version;
}
}  // namespace

Control::Control(const Control& o)
    : Name(o.Name),
      Index(o.Index),
      Left(o.Left),
      Top(o.Top),
      Width(o.Width),
      Height(o.Height),
      Visible(o.Visible),
      Enabled(o.Enabled),
      ToolTipText(o.ToolTipText),
      MouseDown(o.MouseDown),
      MouseMove(o.MouseMove),
      MouseUp(o.MouseUp),
      Click(o.Click) {}

Control::~Control() {
    if (parent_) parent_->Remove(*this);
}

void Control::Bounds(float& l, float& t, float& w, float& h) const {
    l = Left;
    t = Top;
    w = Width;
    h = Height;
}

void Control::ZOrder() {
    if (parent_) parent_->BringToFront(*this);
}

void Line::Bounds(float& l, float& t, float& w, float& h) const {
    l = std::min(X1, X2);
    t = std::min(Y1, Y2);
    w = std::abs(X2 - X1);
    h = std::abs(Y2 - Y1);
}

void Label::SetCaption(const QString& text) {
    caption_ = text;
    Resize();
}

void Label::SetFont(const FontSpec& font) {
    font_ = font;
    Resize();
}

void Label::Resize() {
    if (!AutoSize) return;
    const QSizeF s = MeasureText(font_, caption_.isEmpty() ? QStringLiteral(" ") : caption_);
    Width = caption_.isEmpty() ? 0.0f : static_cast<float>(s.width());
    Height = static_cast<float>(s.height());
}

void TextBox::SetText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    if (Change) Change();
}

Container::~Container() {
    for (Control* c : children_) c->parent_ = nullptr;
}

void Container::Add(Control& c) {
    if (c.parent_) c.parent_->Remove(c);
    c.parent_ = this;
    c.stack_ = NextStackKey();
    children_.push_back(&c);
    Changed();
}

void Container::Remove(Control& c) {
    auto it = std::find(children_.begin(), children_.end(), &c);
    if (it != children_.end()) children_.erase(it);
    c.parent_ = nullptr;
    Changed();
}

void Container::BringToFront(Control& c) {
    if (c.parent_ != this) return;
    c.stack_ = NextStackKey();
    Changed();
}

void Container::SetStackKey(Control& c, uint64_t key) {
    if (c.parent_ != this || key == 0) return;
    c.stack_ = key;
    Changed();
}

void Container::Changed() {
    orderValid_ = false;
    version_ = NextChildrenVersion();
}

const std::vector<Control*>& Container::PaintOrder() const {
    // Windowless first, then windowed; each layer by stacking key. The layer is
    // asked once per control, not in every comparison.
    if (orderValid_) return order_;
    std::vector<Control*>& out = order_;
    out = children_;
    const auto windowed = std::stable_partition(out.begin(), out.end(),
                                                [](const Control* c) { return !c->Windowed(); });
    const auto byKey = [](const Control* a, const Control* b) {
        return a->StackKey() < b->StackKey();
    };
    std::stable_sort(out.begin(), windowed, byKey);
    std::stable_sort(windowed, out.end(), byKey);
    orderValid_ = true;
    return out;
}

PictureBox::PictureBox(const PictureBox& o)
    : Control(o),
      Container(),
      BackColor(o.BackColor),
      AutoRedraw(o.AutoRedraw),
      AutoSize(o.AutoSize),
      BorderStyle(o.BorderStyle),
      Artwork(o.Artwork),
      ScalePixels(o.ScalePixels),
      picture_(o.picture_) {}

void PictureBox::SetPicture(const QImage& picture) {
    picture_ = picture;
    if (AutoSize && !picture.isNull()) {
        Width = static_cast<float>(picture.width()) * Screen().TwipsPerPixelX;
        Height = static_cast<float>(picture.height()) * Screen().TwipsPerPixelY;
    }
}

void PictureBox::Cls() {
    surface_ = QImage();
}

QImage& PictureBox::Surface() {
    const int w = std::max(1, static_cast<int>(std::ceil(Width / Screen().TwipsPerPixelX)));
    const int h = std::max(1, static_cast<int>(std::ceil(Height / Screen().TwipsPerPixelY)));
    if (surface_.isNull() || surface_.width() < w || surface_.height() < h) {
        QImage grown(std::max(w, surface_.width()), std::max(h, surface_.height()),
                     QImage::Format_ARGB32_Premultiplied);
        grown.fill(Qt::transparent);
        if (!surface_.isNull()) {
            QPainter p(&grown);
            p.drawImage(0, 0, surface_);
        }
        surface_ = std::move(grown);
    }
    return surface_;
}

int64_t PictureBox::Point(float x, float y) const {
    if (x < 0 || y < 0 || x >= Width || y >= Height) return -1;
    const int px = static_cast<int>(x / Screen().TwipsPerPixelX);
    const int py = static_cast<int>(y / Screen().TwipsPerPixelY);
    if (!surface_.isNull() && surface_.valid(px, py)) {
        const QRgb s = surface_.pixel(px, py);
        if (qAlpha(s) == 255) return FromQRgb(s);
    }
    if (!picture_.isNull() && picture_.valid(px, py)) {
        const QRgb p = picture_.pixel(px, py);
        if (qAlpha(p) == 255) return FromQRgb(p);
        // Translucent picture pixels show over the background colour.
        const QColor bg = ToQColor(BackColor);
        const int a = qAlpha(p);
        auto mix = [a](int fg, int back) { return (fg * a + back * (255 - a) + 127) / 255; };
        const QColor c = QColor::fromRgba(p);
        return RGB(mix(c.red(), bg.red()), mix(c.green(), bg.green()), mix(c.blue(), bg.blue()));
    }
    return BackColor;
}

float PictureBox::ScaleWidth() const {
    return ScalePixels ? Width / Screen().TwipsPerPixelX : Width;
}
float PictureBox::ScaleHeight() const {
    return ScalePixels ? Height / Screen().TwipsPerPixelY : Height;
}

ScreenInfo& Screen() {
    static ScreenInfo screen;
    return screen;
}

}  // namespace orv
