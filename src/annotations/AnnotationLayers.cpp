#include "annotations/AnnotationLayers.h"

#include "annotations/Kinds.h"

namespace orv {

namespace {

// Longest note text a layer name quotes before cutting it with an ellipsis.
constexpr int kNoteNameLength = 24;

QString NoteName(int n, const QString& text) {
    QString shown = text.simplified();
    if (shown.size() > kNoteNameLength) shown = shown.left(kNoteNameLength).trimmed() + u'…';
    return QStringLiteral("Note %1 — %2").arg(n).arg(shown);
}

}  // namespace

std::vector<AnnotationLayer> AnnotationLayers(const AnnotationArrays& a, int qqqq, int wwww) {
    std::vector<AnnotationLayer> layers;
    for (int n = 1; n < qqqq; ++n) {
        const Label* length = a.aapx.Find(n);
        if (!a.Line1.Find(n) && !length) continue;
        layers.push_back(
            {QStringLiteral("distance-%1").arg(n),
             QStringLiteral("Distance %1 — %2").arg(n).arg(length ? length->Caption() : QString()),
             {a.Line1.Find(n), a.aaaa.Find(n), a.bbbb.Find(n), length},
             KindIndex<DistanceState>::value,
             n});
    }
    for (int n = 1; n < wwww; ++n) {
        const Control* leg = a.zba.Find(n);
        const Control* foot = a.zbb.Find(n);
        if (const Label* code = a.co.Find(n)) {
            layers.push_back({QStringLiteral("colour-%1").arg(n),
                              QStringLiteral("Colour %1 — %2").arg(n).arg(code->Caption()),
                              {leg, foot, code, a.Shape1.Find(n)},
                              KindIndex<ColourState>::value,
                              n});
        } else if (const TextBox* box = a.bz.Find(n)) {
            layers.push_back({QStringLiteral("note-%1").arg(n),
                              NoteName(n, box->Text()),
                              {leg, foot, box, a.bzz.Find(n)},
                              KindIndex<NoteState>::value,
                              n});
        }
    }
    return layers;
}

std::vector<AnnotationLayer> AnnotationLayers(const Annotations& annotations, int qqqq, int wwww) {
    std::vector<AnnotationLayer> layers = AnnotationLayers(annotations.Arrays(), qqqq, wwww);
    ForEachKind([&](auto k) {
        using K = decltype(k);
        for (const auto& state : annotations.All<K>()) {
            const QString name = K::LayerName(state);
            if (name.isEmpty()) continue;
            const std::vector<Control*> elements = ElementsOf<K>(annotations.Kinds(), state.Index);
            layers.push_back({QStringLiteral("%1-%2").arg(QLatin1String(K::Name)).arg(state.Index),
                              name,
                              {elements.begin(), elements.end()},
                              KindIndex<typename K::State>::value,
                              state.Index});
        }
    });
    return layers;
}

}  // namespace orv
