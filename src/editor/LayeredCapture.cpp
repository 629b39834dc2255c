#include "editor/LayeredCapture.h"

#include <QFileInfo>

#include "annotations/AnnotationJson.h"
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

}  // namespace

bool IsLayeredSavePath(const QString& path) {
    return QFileInfo(path).suffix().compare(QLatin1String("psd"), Qt::CaseInsensitive) == 0;
}

LayeredPicture LayeredCapture(const Form1& ed, const QImage& capture) {
    LayeredPicture doc;
    doc.merged = capture;
    doc.privateData = AnnotationsToJson(ed.annotations.Take());
    const PictureBox& canvas = ed.Picture2;
    doc.layers.push_back({QStringLiteral("Picture"), {0, 0}, PaintPictureBoxBase(canvas), true});
    for (const AnnotationLayer& layer : AnnotationLayers(ed.annotations.Arrays(), ed.qqqq, ed.wwww))
        AddLayer(doc, canvas, layer.name, layer.controls);
    return doc;
}

}  // namespace orv
