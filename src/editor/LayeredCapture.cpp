#include "editor/LayeredCapture.h"

#include <QFileInfo>

#include "annotations/AnnotationJson.h"
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
    doc.privateData = AnnotationsToJson(ed.annotations.Take());
    const PictureBox& canvas = ed.Picture2;
    doc.layers.push_back({QStringLiteral("Picture"), {0, 0}, PaintPictureBoxBase(canvas), true});
    for (int n = 1; n < ed.qqqq; ++n) {
        const Label* length = ed.aapx.Find(n);
        if (!ed.Line1.Find(n) && !length) continue;
        AddLayer(
            doc, canvas,
            QStringLiteral("Distance %1 — %2").arg(n).arg(length ? length->Caption() : QString()),
            {ed.Line1.Find(n), ed.aaaa.Find(n), ed.bbbb.Find(n), length});
    }
    for (int n = 1; n < ed.wwww; ++n) {
        const std::vector<const Control*> legs{ed.zba.Find(n), ed.zbb.Find(n)};
        if (const Label* code = ed.co.Find(n)) {
            auto controls = legs;
            controls.insert(controls.end(), {code, ed.Shape1.Find(n)});
            AddLayer(doc, canvas, QStringLiteral("Colour %1 — %2").arg(n).arg(code->Caption()),
                     controls);
        } else if (const TextBox* box = ed.bz.Find(n)) {
            auto controls = legs;
            controls.insert(controls.end(), {box, ed.bzz.Find(n)});
            AddLayer(doc, canvas, NoteName(n, box->Text()), controls);
        }
    }
    // The described kinds that have a layer of their own (a redaction is in the picture).
    ForEachKind([&](auto k) {
        using K = decltype(k);
        for (const auto& state : ed.annotations.All<K>()) {
            const QString name = K::LayerName(state);
            if (name.isEmpty()) continue;
            const std::vector<Control*> elements =
                ElementsOf<K>(ed.annotations.Kinds(), state.Index);
            AddLayer(doc, canvas, name, {elements.begin(), elements.end()});
        }
    });
    return doc;
}

}  // namespace orv
