#include "annotations/BoxGeometry.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace orv {

QRect PixelBoxBetween(QPoint a, QPoint b, QSize size) {
    if (size.isEmpty()) return {};
    const auto clampX = [&](int v) { return std::clamp(v, 0, size.width() - 1); };
    const auto clampY = [&](int v) { return std::clamp(v, 0, size.height() - 1); };
    const int x0 = clampX(std::min(a.x(), b.x())), x1 = clampX(std::max(a.x(), b.x()));
    const int y0 = clampY(std::min(a.y(), b.y())), y1 = clampY(std::max(a.y(), b.y()));
    return QRect(QPoint(x0, y0), QPoint(x1, y1));
}

QPoint PixelAt(float x, float y, float tppX, float tppY) {
    return {static_cast<int>(std::floor(x / tppX)), static_cast<int>(std::floor(y / tppY))};
}

QPointF PlaceBoxLabel(const QRectF& box, const QSizeF& label, const QSizeF& canvas) {
    double top;
    if (box.top() - label.height() >= 0)
        top = box.top() - label.height();
    else if (box.bottom() + label.height() <= canvas.height())
        top = box.bottom();
    else
        top = box.top();
    double left = std::min(box.left(), canvas.width() - label.width());
    return {std::max(0.0, left), top};
}

AreaGrip GripAt(const QRectF& area, QPointF p, float reach) {
    AreaGrip g;
    const bool insideX = p.x() >= area.left() - reach && p.x() <= area.right() + reach;
    const bool insideY = p.y() >= area.top() - reach && p.y() <= area.bottom() + reach;
    if (!insideX || !insideY) return g;
    const double dl = std::abs(p.x() - area.left()), dr = std::abs(p.x() - area.right());
    const double dt = std::abs(p.y() - area.top()), db = std::abs(p.y() - area.bottom());
    if (std::min(dl, dr) <= reach) (dl <= dr ? g.left : g.right) = true;
    if (std::min(dt, db) <= reach) (dt <= db ? g.top : g.bottom) = true;
    return g;
}

QRectF DragArea(const QRectF& area, const AreaGrip& grip, float dx, float dy, float tpp) {
    const bool move = !grip.Any();
    const auto snap = [&](double v) { return std::round(v / tpp) * tpp; };
    double l = area.left(), t = area.top(), r = area.right(), b = area.bottom();
    if (move || grip.left) l = snap(l + dx);
    if (move || grip.right) r = snap(r + dx);
    if (move || grip.top) t = snap(t + dy);
    if (move || grip.bottom) b = snap(b + dy);
    if (r < l) std::swap(l, r);
    if (b < t) std::swap(t, b);
    if (r - l < tpp) (grip.left ? l : r) = grip.left ? r - tpp : l + tpp;
    if (b - t < tpp) (grip.top ? t : b) = grip.top ? b - tpp : t + tpp;
    return QRectF(QPointF(l, t), QPointF(r, b));
}

}  // namespace orv
