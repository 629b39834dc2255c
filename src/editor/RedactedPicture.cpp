#include "editor/RedactedPicture.h"

#include "imaging/Redaction.h"
#include "platform/Controls.h"

namespace orv {

namespace {

qint64 SurfaceKey(PictureBox& canvas) {
    return canvas.HasSurface() ? canvas.Surface().cacheKey() : 0;
}

}  // namespace

void RedactedPicture::Sync(PictureBox& canvas, const std::vector<Area>& areas) {
    if (held_ &&
        (canvas.Picture().cacheKey() != pictureKey_ || SurfaceKey(canvas) != surfaceKey_)) {
        // Something else put a new picture or drawing on the canvas: start from it.
        held_ = false;
        applied_.clear();
    }
    if (!held_) {
        if (areas.empty()) return;
        picture_ = canvas.Picture().isNull() ? QImage() : RedactablePicture(canvas.Picture());
        surface_ = canvas.HasSurface() ? RedactablePicture(canvas.Surface()) : QImage();
        held_ = true;
        applied_.clear();
    }
    if (areas == applied_) return;
    // What changed: every area of either list that the other lacks at the same place.
    std::vector<QRect> dirty;
    const std::size_t n = std::max(areas.size(), applied_.size());
    for (std::size_t i = 0; i < n; ++i) {
        const Area* a = i < areas.size() ? &areas[i] : nullptr;
        const Area* b = i < applied_.size() ? &applied_[i] : nullptr;
        if (a && b && *a == *b) continue;
        if (a) dirty.push_back(a->rect);
        if (b) dirty.push_back(b->rect);
    }
    applied_ = areas;
    Recompute(canvas, dirty);
    if (areas.empty()) {
        // Nothing hidden any more: the canvas holds the picture as it was, and this nothing.
        held_ = false;
        picture_ = surface_ = QImage();
    }
}

void RedactedPicture::Recompute(PictureBox& canvas, const std::vector<QRect>& dirty) {
    const auto redo = [&](const QImage& original, QImage& out) {
        for (const QRect& d : dirty) {
            const QRect clip = d & out.rect();
            if (clip.isEmpty()) continue;
            for (int y = clip.top(); y <= clip.bottom(); ++y)
                std::copy_n(reinterpret_cast<const QRgb*>(original.constScanLine(y)) + clip.left(),
                            clip.width(), reinterpret_cast<QRgb*>(out.scanLine(y)) + clip.left());
            for (const Area& a : applied_) RedactArea(original, out, a.rect, clip, a.black);
        }
    };
    if (!picture_.isNull()) {
        // Taken off the canvas while it is changed, so the change needs no copy of it.
        QImage shown = RedactablePicture(canvas.Picture());
        canvas.SetPicture(QImage());
        redo(picture_, shown);
        canvas.SetPicture(shown);
    }
    if (!surface_.isNull() && canvas.HasSurface()) {
        QImage& shown = canvas.Surface();
        if (shown.format() == surface_.format() && shown.size() == surface_.size())
            redo(surface_, shown);
    }
    pictureKey_ = canvas.Picture().cacheKey();
    surfaceKey_ = SurfaceKey(canvas);
}

}  // namespace orv
