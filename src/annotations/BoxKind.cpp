#include "annotations/BoxKind.h"

#include <QJsonArray>
#include <cmath>

namespace orv {

namespace {

struct PixelBox {
    int x = 0, y = 0, w = 0, h = 0;
};

PixelBox InPixels(const ShapeState& f, PixelScale s) {
    const int x = static_cast<int>(std::floor(f.Left / s.X + 0.5f));
    const int y = static_cast<int>(std::floor(f.Top / s.Y + 0.5f));
    const int r = static_cast<int>(std::floor((f.Left + f.Width) / s.X + 0.5f));
    const int b = static_cast<int>(std::floor((f.Top + f.Height) / s.Y + 0.5f));
    return {x, y, r - x, b - y};
}

}  // namespace

QString BoxSizeText(int w, int h) {
    return QStringLiteral("%1 × %2px").arg(w).arg(h);
}

QString BoxKind::MeasurementLine(const State& s, PixelScale scale) {
    const PixelBox b = InPixels(s.Frame, scale);
    const QString size = BoxSizeText(b.w, b.h);
    QString line = QStringLiteral("box %1: %2 at (%3,%4)").arg(s.Index).arg(size).arg(b.x).arg(b.y);
    if (s.Size.Caption != size) {
        QString quoted = s.Size.Caption;
        quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
        quoted.replace(QLatin1Char('"'), QStringLiteral("\\\""));
        quoted.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
        quoted.replace(QLatin1Char('\t'), QStringLiteral("\\t"));
        line += QStringLiteral(" labelled \"%1\"").arg(quoted);
    }
    return line;
}

QJsonObject BoxKind::MeasurementJson(const State& s, PixelScale scale) {
    const PixelBox b = InPixels(s.Frame, scale);
    return {{"kind", "box"}, {"number", s.Index},          {"width", b.w},
            {"height", b.h}, {"at", QJsonArray{b.x, b.y}}, {"label", s.Size.Caption}};
}

QString BoxKind::LayerName(const State& s) {
    return QStringLiteral("Box %1 — %2").arg(s.Index).arg(s.Size.Caption);
}

}  // namespace orv
