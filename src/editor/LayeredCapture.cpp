#include "editor/LayeredCapture.h"

#include <QFileInfo>
#include <algorithm>

#include "annotations/AnnotationBlock.h"
#include "editor/Form1.h"
#include "platform/LayerPainter.h"

namespace orv {

namespace {

// Longest note text a layer name quotes before cutting it with an ellipsis.
constexpr int kNoteNameLength = 24;

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
                          const std::vector<std::pair<bool, int>>& owners) {
    SavedLayers saved;
    const QSize size = doc.merged.size();
    saved.picture = CheckOf(doc.layers.front(), size);
    for (const AnnotationState& item : snapshot.Items) {
        const std::pair<bool, int> key{std::holds_alternative<DistanceState>(item),
                                       std::visit([](const auto& a) { return a.Index; }, item)};
        const auto at = std::find(owners.begin(), owners.end(), key);
        saved.annotations.push_back(
            at == owners.end() ? CheckOfLayer({}, 0, 0, nullptr, 0, 0, 0, 0, 0)
                               : CheckOf(doc.layers[std::size_t(at - owners.begin()) + 1], size));
    }
    return saved;
}

QString NoteName(int n, const QString& text) {
    QString shown = text.simplified();
    if (shown.size() > kNoteNameLength) shown = shown.left(kNoteNameLength).trimmed() + u'…';
    return QStringLiteral("Note %1 — %2").arg(n).arg(shown);
}

}  // namespace

bool IsLayeredSavePath(const QString& path) {
    return QFileInfo(path).suffix().compare(QLatin1String("psd"), Qt::CaseInsensitive) == 0;
}

LayeredPicture LayeredCapture(const Form1& ed, const QImage& capture) {
    LayeredPicture doc;
    doc.merged = capture;
    const PictureBox& canvas = ed.Picture2;
    // Which annotation each layer over the picture holds: distance marker or not, index.
    std::vector<std::pair<bool, int>> owners;
    doc.layers.push_back({QStringLiteral("Picture"), {0, 0}, PaintPictureBoxBase(canvas), true});
    for (int n = 1; n < ed.qqqq; ++n) {
        const Label* length = ed.aapx.Find(n);
        if (!ed.Line1.Find(n) && !length) continue;
        AddLayer(
            doc, canvas,
            QStringLiteral("Distance %1 — %2").arg(n).arg(length ? length->Caption() : QString()),
            {ed.Line1.Find(n), ed.aaaa.Find(n), ed.bbbb.Find(n), length});
        owners.emplace_back(true, n);
    }
    for (int n = 1; n < ed.wwww; ++n) {
        const std::vector<const Control*> legs{ed.zba.Find(n), ed.zbb.Find(n)};
        if (const Label* code = ed.co.Find(n)) {
            auto controls = legs;
            controls.insert(controls.end(), {code, ed.Shape1.Find(n)});
            AddLayer(doc, canvas, QStringLiteral("Colour %1 — %2").arg(n).arg(code->Caption()),
                     controls);
            owners.emplace_back(false, n);
        } else if (const TextBox* box = ed.bz.Find(n)) {
            auto controls = legs;
            controls.insert(controls.end(), {box, ed.bzz.Find(n)});
            AddLayer(doc, canvas, NoteName(n, box->Text()), controls);
            owners.emplace_back(false, n);
        }
    }
    const AnnotationSnapshot snapshot = ed.annotations.Take();
    doc.privateData = AnnotationBlockToJson(snapshot, SavedLayersOf(doc, snapshot, owners));
    return doc;
}

}  // namespace orv
