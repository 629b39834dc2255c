// Layered PSD save benchmark: a 3840 × 2160 UI-like markup with 50 annotations, each on its own
// transparent layer, saved as a layered PSD (merged composite, "Picture" layer, 50 annotation
// layers, a private block) and, in the same run, the merged picture saved as PNG through the
// same saver. Prints the median times, sizes and the ratio; the goal is a PSD save within 2×
// of the PNG save.
#include "BenchPictures.h"
#include "imaging/io/PictureSaver.h"
#include "imaging/io/PsdSaver.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using orv::bench::MedianMs;

// One annotation as the editor draws it: a measured line with end ticks and a caption, a
// swatch with its colour code, or a note box with text.
orv::PsdLayer Annotation(int i) {
    const QColor colour = QColor::fromHsv(i * 47 % 360, 200, 230);
    const bool note = i % 3 == 2;
    QImage pixels(note ? 260 : 330, note ? 90 : 40, QImage::Format_ARGB32);
    pixels.fill(Qt::transparent);
    QPainter p(&pixels);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(colour, 2));
    if (note) {
        p.fillRect(pixels.rect().adjusted(0, 0, -1, -1), QColor(255, 255, 225));
        p.drawRect(pixels.rect().adjusted(0, 0, -1, -1));
        p.drawText(pixels.rect().adjusted(6, 6, -6, -6), Qt::TextWordWrap,
                   QStringLiteral("Peak day: keep this bar colour, note %1").arg(i));
    } else {
        p.drawLine(2, 30, 320, 30);
        p.drawLine(2, 22, 2, 38);
        p.drawLine(320, 22, 320, 38);
        p.fillRect(140, 2, 70, 18, colour);
        p.setPen(Qt::white);
        p.drawText(QRect(140, 2, 70, 18), Qt::AlignCenter, QStringLiteral("%1px").arg(300 + i));
    }
    p.end();
    const QPoint at(60 + (i % 10) * 370, 120 + (i / 10) * 400);
    return {QStringLiteral("Annotation %1 — %2px").arg(i + 1).arg(300 + i), at, pixels, true};
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;

    const QImage picture = orv::bench::UiPicture();
    orv::LayeredPicture doc;
    doc.merged = picture.convertToFormat(QImage::Format_RGB32);
    doc.layers.push_back({QStringLiteral("Picture"), {0, 0}, doc.merged, true});
    {
        QPainter merge(&doc.merged);
        for (int i = 0; i < 50; ++i) {
            doc.layers.push_back(Annotation(i));
            merge.drawImage(doc.layers.back().at, doc.layers.back().pixels);
        }
    }
    doc.privateData = QByteArray(6000, 'x');  // about what 50 annotations take as text

    const QString psd = dir.filePath(QStringLiteral("markup.psd"));
    const QString png = dir.filePath(QStringLiteral("markup.png"));
    const int runs = 7;
    const double psdMs = MedianMs([&] { return orv::SaveLayeredPsd(doc, psd).ok(); }, runs);
    const double pngMs = MedianMs(
        [&] {
            return orv::SavePictureWithEncoder(doc.merged, png, QStringLiteral("png"), 80, 24,
                                               orv::kTiffCompressionNone)
                .ok();
        },
        runs);
    std::printf("layered PSD save, %dx%d picture, 50 annotation layers (median of %d)\n",
                picture.width(), picture.height(), runs);
    std::printf("%-12s %9s %11s\n", "save", "ms", "bytes");
    std::printf("%-12s %9.1f %11lld\n", "psd (ours)", psdMs, QFileInfo(psd).size());
    std::printf("%-12s %9.1f %11lld\n", "png (peer)", pngMs, QFileInfo(png).size());
    std::printf("psd / png time: %.2fx (goal: at most 2x)\n", psdMs / pngMs);
    return 0;
}
