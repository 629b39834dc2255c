#include "editor/VectorCapture.h"

#include <algorithm>
#include <unordered_map>

#include "annotations/AnnotationJson.h"
#include "annotations/AnnotationLayers.h"
#include "annotations/Measurements.h"
#include "editor/Form1.h"
#include "imaging/psd/cpsd.h"
#include "imaging/psd/psd_layers.h"
#include "platform/LayerPainter.h"
#include "platform/RegularFile.h"
#include "platform/Screen.h"

namespace orv {

VectorDocument VectorCapture(const PictureBox& canvas, const Annotations& annotations, int qqqq,
                             int wwww) {
    VectorDocument doc;
    doc.picture = PaintPictureBoxBase(canvas);
    // The groups lie in the order the screen stacks them, by each one's topmost shown element,
    // so an annotation drawn across an older one stays over it (the PSD lists its layers by
    // kind).
    std::unordered_map<const Control*, std::size_t> place;
    const std::vector<Control*> order = canvas.PaintOrder();
    for (std::size_t i = 0; i < order.size(); ++i) place[order[i]] = i;
    const auto top = [&](const AnnotationLayer& layer) {
        std::size_t highest = 0;
        for (const Control* c : layer.controls) {
            const auto found = place.find(c);
            if (found != place.end() && c->Visible) highest = std::max(highest, found->second);
        }
        return highest;
    };
    std::vector<AnnotationLayer> layers = AnnotationLayers(annotations, qqqq, wwww);
    std::stable_sort(layers.begin(), layers.end(),
                     [&](const auto& a, const auto& b) { return top(a) < top(b); });
    for (AnnotationLayer& layer : layers) {
        doc.groups.push_back(
            {layer.id, layer.name, [&canvas, controls = std::move(layer.controls)](QPainter& p) {
                 PaintChosenControls(p, canvas, controls);
             }});
    }
    const PixelScale scale{Screen().TwipsPerPixelX, Screen().TwipsPerPixelY};
    doc.metadata = MeasurementsJson(annotations.Take(), scale);
    doc.metadataName = QStringLiteral("orvane-measurements.json");
    return doc;
}

VectorDocument VectorCapture(const Form1& ed) {
    return VectorCapture(ed.Picture2, ed.annotations, ed.qqqq, ed.wwww);
}

// The canvas and the arrays annotations are made of, as the editor holds them: the ten of
// the first three kinds and those of the kinds that describe themselves, so that a box in
// the file comes back too.
struct MarkupCanvas::Parts {
    PictureBox canvas;
    ControlArray<Line> Line1{canvas, QStringLiteral("Line1")};
    ControlArray<Line> aaaa{canvas, QStringLiteral("aaaa")};
    ControlArray<Line> bbbb{canvas, QStringLiteral("bbbb")};
    ControlArray<Label> aapx{canvas, QStringLiteral("aapx")};
    ControlArray<Line> zba{canvas, QStringLiteral("zba")};
    ControlArray<Line> zbb{canvas, QStringLiteral("zbb")};
    ControlArray<Label> co{canvas, QStringLiteral("co")};
    ControlArray<Shape> Shape1{canvas, QStringLiteral("Shape1")};
    ControlArray<TextBox> bz{canvas, QStringLiteral("bz")};
    ControlArray<Label> bzz{canvas, QStringLiteral("bzz")};
    ControlArray<Shape> boxFrame{canvas, QStringLiteral("boxFrame")};
    ControlArray<Label> boxSize{canvas, QStringLiteral("boxSize")};
    ControlArray<Shape> redaction{canvas, QStringLiteral("redaction")};
    int qqqq = 1, wwww = 1;
    Annotations annotations{{Line1, aaaa, bbbb, aapx, zba, zbb, co, Shape1, bz, bzz},
                            canvas,
                            qqqq,
                            wwww,
                            KindArrays{&boxFrame, &boxSize, &redaction}};
};

MarkupCanvas::MarkupCanvas() : parts_(std::make_unique<Parts>()) {}
MarkupCanvas::~MarkupCanvas() = default;

MarkupCanvas::Outcome MarkupCanvas::LoadLayeredPsd(const QString& path, QString& why) {
    cpsd reader;
    if (!reader.LoadPsdFile(path) || reader.Bitmap().isNull()) {
        why = QStringLiteral("not a PSD orvane reads");
        return Outcome::Unreadable;
    }
    const std::vector<uint8_t>& block = reader.PrivateResource();
    if (block.empty()) return Outcome::NoAnnotations;
    AnnotationSnapshot snapshot;
    if (AnnotationsFromJson(
            QByteArray(reinterpret_cast<const char*>(block.data()), qsizetype(block.size())),
            snapshot, why) != AnnotationJsonError::None)
        return Outcome::Unreadable;
    const int w = reader.Width(), h = reader.Height();
    // Read as the layered open reads it: by the name's own bytes, checked on the descriptor,
    // and no larger than a file of ours with this picture can be.
    const std::uint64_t largest = std::uint64_t(w) * std::uint64_t(h) * 4 * 3 + (64 << 20);
    QByteArray bytes;
    if (ReadRegularFile(path, largest, bytes) != ReadFault::None) {
        why = QStringLiteral("not a PSD orvane reads");
        return Outcome::Unreadable;
    }
    const auto isPicture = [&](const psd::LayerPixels& l) {
        return l.name == "Picture" && l.left == 0 && l.top == 0 && l.width == w && l.height == h;
    };
    // Only the (first) picture layer is decoded: the annotations come from the block.
    std::vector<psd::LayerPixels> layers;
    bool taken = false;
    psd::ReadLayers(
        {reinterpret_cast<const uint8_t*>(bytes.constData()), std::size_t(bytes.size())}, layers,
        [&](const psd::LayerPixels& l) { return !taken && (taken = isPicture(l)); });
    const auto picture = std::find_if(layers.begin(), layers.end(), isPicture);
    if (picture == layers.end()) {
        why = QStringLiteral("its picture layer is missing");
        return Outcome::Unreadable;
    }
    const QImage base(picture->bgra.data(), w, h, w * 4, QImage::Format_ARGB32);
    PictureBox& canvas = parts_->canvas;
    // One canvas pixel to each picture pixel, as the annotations were laid out on it.
    canvas.Width = static_cast<float>(w) * Screen().TwipsPerPixelX;
    canvas.Height = static_cast<float>(h) * Screen().TwipsPerPixelY;
    canvas.SetPicture(base.convertToFormat(QImage::Format_RGB32));
    parts_->annotations.Restore(snapshot);
    return Outcome::Restored;
}

VectorDocument MarkupCanvas::Document() const {
    return VectorCapture(parts_->canvas, parts_->annotations, parts_->qqqq, parts_->wwww);
}

const PictureBox& MarkupCanvas::Canvas() const {
    return parts_->canvas;
}

}  // namespace orv
