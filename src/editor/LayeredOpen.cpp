#include "editor/LayeredOpen.h"

#include <QPainter>

#include <algorithm>
#include <new>

#include "annotations/AnnotationJson.h"
#include "editor/Form1.h"
#include "imaging/psd/cpsd.h"
#include "imaging/psd/psd_layers.h"
#include "platform/Desktop.h"
#include "platform/RegularFile.h"

namespace orv {

namespace {

void SayFlat(Form1& ed, const QString& why) {
    ed.desktop.MessageBox(
        QStringLiteral("The annotations in this file could not be restored (%1); it opens as a "
                       "flat picture.")
            .arg(why),
        QStringLiteral("Orvane Tessaly"), MessageIcon::Information);
}

}  // namespace

void RestoreLayeredPsd(Form1& ed, const cpsd& reader, const QString& path) {
    const std::vector<uint8_t>& block = reader.PrivateResource();
    if (block.empty() || reader.Bitmap().isNull()) return;
    AnnotationSnapshot snapshot;
    QString why;
    if (AnnotationsFromJson(
            QByteArray(reinterpret_cast<const char*>(block.data()), qsizetype(block.size())),
            snapshot, why) != AnnotationJsonError::None) {
        SayFlat(ed, why);
        return;
    }
    const int w = reader.Width(), h = reader.Height();
    // Our own files hold the merged picture, the picture layer and small annotation layers:
    // about twice the picture's pixels. A file far larger than that is not one of ours.
    const std::uint64_t pixelBytes = std::uint64_t(w) * std::uint64_t(h) * 4;
    const std::uint64_t largest = pixelBytes * 3 + (std::uint64_t(64) << 20);
    // The file is opened again and checked on the opened descriptor: it may have been swapped
    // for a FIFO or a device since the picture was read.
    QByteArray bytes;
    const ReadFault fault = ReadRegularFile(path, largest, bytes);
    if (fault != ReadFault::None) {
        SayFlat(ed, ReadFaultText(fault));
        return;
    }
    const auto isPicture = [&](const psd::LayerPixels& l) {
        return l.name == "Picture" && l.left == 0 && l.top == 0 && l.width == w && l.height == h;
    };
    std::vector<psd::LayerPixels> layers;
    try {
        // Only the picture layer's pixels are needed; the annotations come from the block.
        psd::ReadLayers(
            {reinterpret_cast<const uint8_t*>(bytes.constData()), std::size_t(bytes.size())},
            layers, isPicture);
    } catch (const std::bad_alloc&) {
        layers.clear();
    }
    bytes = QByteArray();
    const auto picture = std::find_if(layers.begin(), layers.end(), [&](const auto& l) {
        return isPicture(l) && l.bgra.size() == std::size_t(pixelBytes);
    });
    if (picture == layers.end()) {
        SayFlat(ed, QStringLiteral("its picture layer is missing"));
        return;
    }
    const QImage base(picture->bgra.data(), w, h, w * 4, QImage::Format_ARGB32);
    {
        QPainter painter(&ed.Picture2.Surface());
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, base.convertToFormat(QImage::Format_RGB32));
    }
    ed.annotations.Restore(snapshot);
}

}  // namespace orv
