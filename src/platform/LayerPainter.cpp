#include "platform/LayerPainter.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "platform/Artwork.h"
#include "platform/Colour.h"
#include "platform/Painter.h"
#include "platform/Screen.h"

namespace orv {

namespace {

// The box's pixel rectangle, as the painter measures it.
QRect BoxPixels(const PictureBox& box) {
    return QRect(0, 0, static_cast<int>(std::ceil(box.Width / Screen().TwipsPerPixelX)),
                 static_cast<int>(std::ceil(box.Height / Screen().TwipsPerPixelY)));
}

}  // namespace

QImage PaintPictureBoxBase(const PictureBox& box) {
    const QRect r = BoxPixels(box);
    if (r.isEmpty()) return {};
    QImage base(r.size(), QImage::Format_RGB32);
    if (base.isNull()) return {};
    QPainter p(&base);
    p.fillRect(r, ToQColor(box.BackColor));
    if (!box.Artwork.isEmpty()) {
        const QImage art = RenderArtwork(box.Artwork, r.size());
        if (!art.isNull()) p.drawImage(0, 0, art);
    }
    if (!box.Picture().isNull()) p.drawImage(0, 0, box.Picture());
    if (box.HasSurface()) p.drawImage(0, 0, const_cast<PictureBox&>(box).Surface());
    return base;
}

PaintedLayer PaintControlsLayer(const PictureBox& box,
                                const std::vector<const Control*>& controls) {
    const auto chosen = [&](const Control* c) {
        return c->Visible && std::find(controls.begin(), controls.end(), c) != controls.end();
    };
    std::vector<const Control*> order;
    QRect bounds;
    for (const Control* c : box.PaintOrder()) {
        if (!chosen(c)) continue;
        order.push_back(c);
        bounds |= ControlPixelRect(*c, box.ScalePixels);
    }
    bounds &= BoxPixels(box);
    if (order.empty() || bounds.isEmpty()) return {};
    QImage pixels(bounds.size(), QImage::Format_ARGB32_Premultiplied);
    if (pixels.isNull()) return {};
    pixels.fill(Qt::transparent);
    {
        QPainter p(&pixels);
        p.translate(-bounds.topLeft());
        p.setClipRect(bounds);
        for (const Control* c : order) PaintControl(p, *c, box.ScalePixels);
    }
    return {pixels.convertToFormat(QImage::Format_ARGB32), bounds.topLeft()};
}

void PaintChosenControls(QPainter& p, const PictureBox& box,
                         const std::vector<const Control*>& controls) {
    for (const Control* c : box.PaintOrder()) {
        if (c->Visible && std::find(controls.begin(), controls.end(), c) != controls.end())
            PaintControl(p, *c, box.ScalePixels);
    }
}

}  // namespace orv
