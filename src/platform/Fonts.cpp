#include "platform/Fonts.h"

#include <QFontMetricsF>
#include <QStringList>
#include <cmath>

#include "platform/Screen.h"

namespace orv {

QFont MakeQFont(const FontSpec& font) {
    QFont f(font.Name);
    f.setStyleHint(QFont::SansSerif);
    // Points are 20 twips; the pixel size follows the screen's twips per pixel.
    f.setPixelSize(
        std::max(1, static_cast<int>(std::lround(font.Size * 20.0 / Screen().TwipsPerPixelY))));
    f.setBold(font.Bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

QSizeF MeasureText(const FontSpec& font, const QString& text) {
    QFontMetricsF m(MakeQFont(font));
    QString normal = text;
    normal.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QStringList lines = normal.split(QLatin1Char('\n'));
    double w = 0;
    for (const QString& line : lines) w = std::max(w, m.horizontalAdvance(line));
    const double h = m.height() * lines.size();
    return {std::ceil(w) * Screen().TwipsPerPixelX, std::ceil(h) * Screen().TwipsPerPixelY};
}

}  // namespace orv
