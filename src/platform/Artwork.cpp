#include "platform/Artwork.h"

#include "platform/Controls.h"

#include <QHash>
#include <QPainter>
#include <QSvgRenderer>

namespace orv {

QImage RenderArtwork(const QString& path, QSize size) {
    // Rendered pictures are kept: the same artwork is drawn many times a second.
    static QHash<QString, QImage> cache;
    const QString key = path + QLatin1Char('@') + QString::number(size.width()) + QLatin1Char('x') +
                        QString::number(size.height());
    if (auto it = cache.constFind(key); it != cache.constEnd()) return *it;
    QSvgRenderer svg(path);
    if (!svg.isValid() || size.isEmpty()) return {};
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    svg.render(&p, QRectF(0, 0, size.width(), size.height()));
    p.end();
    if (cache.size() > 256) cache.clear();
    cache.insert(key, img);
    return img;
}

QSize ArtworkSize(const QString& path) {
    QSvgRenderer svg(path);
    return svg.isValid() ? svg.defaultSize() : QSize();
}

}  // namespace orv

namespace orv {

void PlaceImage(Image& img, const QString& name, float left, float top, float size, const char* art,
                Container& in, const QString& tip) {
    img.Name = name;
    img.Left = left;
    img.Top = top;
    img.Width = size;
    img.Height = size;
    img.Picture = QStringLiteral(":/art/") + QString::fromLatin1(art);
    img.ToolTipText = tip;
    in.Add(img);
}

void ShowToolLook(std::initializer_list<std::pair<Image*, Image*>> tools, const Image* chosen) {
    for (const auto& [plain, active] : tools) {
        const bool on = plain == chosen;
        plain->Visible = !on;
        active->Visible = on;
    }
}

}  // namespace orv
