#include "editor/LayeredCapture.h"

#include <QFileInfo>
#include <algorithm>

#include "annotations/AnnotationBlock.h"
#include "annotations/AnnotationLayers.h"
#include "editor/Form1.h"
#include "platform/LayerPainter.h"

namespace orv {

namespace {

void AddLayer(LayeredPicture& doc, const PictureBox& canvas, const QString& name,
              const std::vector<const Control*>& controls) {
    PaintedLayer painted = PaintControlsLayer(canvas, controls);
    doc.layers.push_back({name, painted.at, painted.pixels, true});
}

// What a layer shows, in the pixel layout the PSD writer stores.
LayerCheck CheckOf(const PsdLayer& layer, const QSize& document) {
    const QImage& p = layer.pixels;
    const QImage pixels = p.format() == QImage::Format_ARGB32 || p.format() == QImage::Format_RGB32
                              ? p
                              : p.convertToFormat(QImage::Format_ARGB32);
    return CheckOfLayer(layer.name, layer.at.x(), layer.at.y(), pixels.constBits(), pixels.width(),
                        pixels.height(), std::size_t(pixels.bytesPerLine()), document.width(),
                        document.height());
}

// The layer of each item of `snapshot`, found by its kind and index among `owners`.
SavedLayers SavedLayersOf(const LayeredPicture& doc, const AnnotationSnapshot& snapshot,
                          const std::vector<std::pair<std::size_t, int>>& owners) {
    SavedLayers saved;
    const QSize size = doc.merged.size();
    saved.picture = CheckOf(doc.layers.front(), size);
    for (const AnnotationState& item : snapshot.Items) {
        const std::pair<std::size_t, int> key{
            item.index(), std::visit([](const auto& a) { return a.Index; }, item)};
        const auto at = std::find(owners.begin(), owners.end(), key);
        saved.annotations.push_back(
            at == owners.end() ? CheckOfLayer({}, 0, 0, nullptr, 0, 0, 0, 0, 0)
                               : CheckOf(doc.layers[std::size_t(at - owners.begin()) + 1], size));
    }
    return saved;
}

}  // namespace

bool IsLayeredSavePath(const QString& path) {
    return QFileInfo(path).suffix().compare(QLatin1String("psd"), Qt::CaseInsensitive) == 0;
}

LayeredPicture LayeredCapture(const Form1& ed, const QImage& capture) {
    LayeredPicture doc;
    doc.merged = capture;
    const PictureBox& canvas = ed.Picture2;
    // Which annotation each layer over the picture holds: its kind and index.
    std::vector<std::pair<std::size_t, int>> owners;
    doc.layers.push_back({QStringLiteral("Picture"), {0, 0}, PaintPictureBoxBase(canvas), true});
    for (const AnnotationLayer& layer : AnnotationLayers(ed.annotations, ed.qqqq, ed.wwww)) {
        AddLayer(doc, canvas, layer.name, layer.controls);
        owners.emplace_back(layer.kind, layer.index);
    }
    const AnnotationSnapshot snapshot = ed.annotations.Take();
    doc.privateData = AnnotationBlockToJson(snapshot, SavedLayersOf(doc, snapshot, owners));
    return doc;
}

}  // namespace orv
