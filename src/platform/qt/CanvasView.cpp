#include "platform/qt/CanvasView.h"

#include <QSize>
#include <algorithm>
#include <cmath>
#include <iterator>

namespace orv {

namespace {
constexpr double kSteps[] = {0.125, 0.25, 1.0 / 3, 0.5,  2.0 / 3, 1.0,  2.0, 3.0,
                             4.0,   6.0,  8.0,     12.0, 16.0,    24.0, 32.0};
constexpr double kSame = 1e-9;
}  // namespace

const double* CanvasView::Steps(int* count) {
    if (count) *count = static_cast<int>(std::size(kSteps));
    return kSteps;
}

double CanvasView::StepAbove(double z) {
    for (double s : kSteps)
        if (s > z + kSame) return s;
    return kSteps[std::size(kSteps) - 1];
}

double CanvasView::StepBelow(double z) {
    for (auto it = std::rbegin(kSteps); it != std::rend(kSteps); ++it)
        if (*it < z - kSame) return *it;
    return kSteps[0];
}

QString CanvasView::Text(double z) {
    const double percent = z * 100.0;
    const double tenths = std::round(percent * 10.0) / 10.0;
    if (std::abs(tenths - std::round(tenths)) < 1e-6)
        return QString::number(static_cast<long long>(std::llround(tenths))) + QLatin1Char('%');
    return QString::number(tenths, 'f', 1) + QLatin1Char('%');
}

void CanvasView::SetDeviceRatio(double r) {
    ratio_ = r > 0 ? r : 1.0;
}

QPoint CanvasView::Origin(QPoint place) const {
    const double s = Scale();
    return QPoint(static_cast<int>(std::lround(offset_.x() + s * place.x())),
                  static_cast<int>(std::lround(offset_.y() + s * place.y())));
}

QPoint CanvasView::ToCanvas(QPointF w, QPoint place) const {
    const QPoint o = Origin(place);
    const double s = Scale();
    // The picture pixel that holds the window position (a pixel's centre at 100 %).
    const double eps = 1e-7;
    return place + QPoint(static_cast<int>(std::floor((w.x() - o.x()) / s + eps)),
                          static_cast<int>(std::floor((w.y() - o.y()) / s + eps)));
}

QRect CanvasView::ToWindow(const QRect& r, QPoint place) const {
    const QPoint o = Origin(place);
    const double s = Scale();
    const double x0 = o.x() + s * (r.left() - place.x()), y0 = o.y() + s * (r.top() - place.y());
    const double x1 = x0 + s * r.width(), y1 = y0 + s * r.height();
    return QRect(QPoint(static_cast<int>(std::floor(x0)), static_cast<int>(std::floor(y0))),
                 QPoint(static_cast<int>(std::ceil(x1)) - 1, static_cast<int>(std::ceil(y1)) - 1));
}

void CanvasView::ZoomAbout(double z, QPointF anchor, QPoint place) {
    z = std::clamp(z, kSteps[0], kSteps[std::size(kSteps) - 1]);
    // The canvas point under the anchor, kept there at the new zoom.
    const QPoint o = Origin(place);
    const double s = Scale();
    const QPointF at = QPointF(place) + (anchor - QPointF(o)) / s;
    zoom_ = z;
    offset_ = anchor - at * Scale();
}

void CanvasView::Reset(QPoint place) {
    zoom_ = 1.0;
    // The canvas's top-left corner stays at its own place in the window.
    offset_ = QPointF(place) * (1.0 - Scale());
}

void CanvasView::Fit(QSize canvas, const QRect& area, QPoint place) {
    if (canvas.isEmpty() || area.isEmpty()) return;
    double s =
        std::min(double(area.width()) / canvas.width(), double(area.height()) / canvas.height());
    double z = std::clamp(s * ratio_, kSteps[0], kSteps[std::size(kSteps) - 1]);
    if (z > 1.0) z = std::floor(z);  // whole blocks per picture pixel
    zoom_ = z;
    s = Scale();
    const QPointF centred(area.left() + (area.width() - s * canvas.width()) / 2.0,
                          area.top() + (area.height() - s * canvas.height()) / 2.0);
    offset_ = centred - QPointF(place) * s;
}

}  // namespace orv
