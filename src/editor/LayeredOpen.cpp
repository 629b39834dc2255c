#include "editor/LayeredOpen.h"

#include <QPainter>

#include <new>

#include "annotations/AnnotationBlock.h"
#include "editor/Form1.h"
#include "imaging/psd/cpsd.h"
#include "imaging/psd/psd_compose.h"
#include "imaging/psd/psd_layers.h"
#include "platform/Desktop.h"
#include "platform/RegularFile.h"

namespace orv {

namespace {

void Say(Form1& ed, const QString& text) {
    ed.desktop.MessageBox(text, QStringLiteral("Orvane Tessaly"), MessageIcon::Information);
}

void SayFlat(Form1& ed, const QString& why) {
    Say(ed, QStringLiteral("The annotations in this file could not be restored (%1); it opens as "
                           "a flat picture.")
                .arg(why));
}

}  // namespace

bool RestoreLayeredPsd(Form1& ed, const cpsd& reader, const QString& path) {
    const std::vector<uint8_t>& bytes = reader.PrivateResource();
    if (bytes.empty() || reader.Bitmap().isNull()) return false;
    AnnotationBlock block;
    QString why;
    if (AnnotationBlockFromJson(
            QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())), block,
            why) != AnnotationJsonError::None) {
        SayFlat(ed, why);
        return false;
    }
    const int w = reader.Width(), h = reader.Height();
    // Our own files hold the merged picture, the picture layer and small annotation layers:
    // about twice the picture's pixels. A file far larger than that is not one of ours.
    const std::uint64_t pixelBytes = std::uint64_t(w) * std::uint64_t(h) * 4;
    const std::uint64_t largest = pixelBytes * 3 + (std::uint64_t(64) << 20);
    // The file is opened again and checked on the opened descriptor: it may have been swapped
    // for a FIFO or a device since the picture was read.
    QByteArray content;
    const ReadFault fault = ReadRegularFile(path, largest, content);
    if (fault != ReadFault::None) {
        SayFlat(ed, ReadFaultText(fault));
        return false;
    }
    // Every layer is read: the annotation layers are checked against the block, and layers
    // that are no longer live annotations are drawn into the picture.
    std::vector<psd::LayerPixels> layers;
    try {
        psd::ReadLayers(
            {reinterpret_cast<const uint8_t*>(content.constData()), std::size_t(content.size())},
            layers);
    } catch (const std::bad_alloc&) {
        layers.clear();
    }
    content = QByteArray();
    const BlockVerdict verdict = CheckBlock(block, layers, w, h);
    if (verdict.pictureLayer < 0 ||
        layers[std::size_t(verdict.pictureLayer)].bgra.size() != std::size_t(pixelBytes)) {
        SayFlat(ed, QStringLiteral("its picture layer is missing"));
        return false;
    }
    // The picture as its layer holds it now, with whatever is no longer a live annotation
    // drawn into it.
    psd::LayerPixels base = std::move(layers[std::size_t(verdict.pictureLayer)]);
    for (std::size_t i = 3; i < base.bgra.size(); i += 4) base.bgra[i] = 255;
    for (const int i : verdict.flatLayers)
        psd::BlendNormal(layers[std::size_t(i)], base.bgra.data(), w, h);
    const QImage picture(base.bgra.data(), w, h, w * 4, QImage::Format_RGB32);
    {
        QPainter painter(&ed.Picture2.Surface());
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, picture);
    }
    ed.annotations.Restore(verdict.live);
    const QString note = BlockVerdictNote(verdict);
    if (!note.isEmpty()) Say(ed, note);
    ed.SyncRedactions();
    return true;
}

}  // namespace orv
