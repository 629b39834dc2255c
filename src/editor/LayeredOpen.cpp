#include "editor/LayeredOpen.h"

#include <QPainter>

#include <new>
#include <span>
#include <vector>

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
    // The layers are read one at a time: first the picture layer and the layers the block
    // names, each checked and let go; then each layer that is no longer a live annotation, or
    // that another program added, drawn into the picture a row at a time.
    const std::span<const uint8_t> file(reinterpret_cast<const uint8_t*>(content.constData()),
                                        std::size_t(content.size()));
    std::vector<psd::LayerPixels> layers;
    std::vector<uint8_t> base;
    BlockVerdict verdict;
    bool drawn = false;
    try {
        if (CheckBlockInFile(block, file, w, h, verdict, layers, &base) &&
            verdict.pictureLayer >= 0 && base.size() == std::size_t(pixelBytes)) {
            for (std::size_t i = 3; i < base.size(); i += 4) base[i] = 255;
            std::vector<bool> flat(layers.size(), false);
            for (const int i : verdict.flatLayers) flat[std::size_t(i)] = true;
            // Drawn a row at a time as each is unpacked: no such layer is ever held whole.
            drawn = verdict.flatLayers.empty() ||
                    psd::VisitDocumentRows(
                        file, [](const std::vector<psd::LayerPixels>&) {},
                        [&](std::size_t i, int32_t y, const uint8_t* const* rows) {
                            if (i < flat.size() && flat[i])
                                psd::BlendNormalRow(layers[i], y, rows, base.data(), w, h);
                        });
        }
    } catch (const std::bad_alloc&) {
        drawn = false;
    }
    content = QByteArray();
    if (!drawn) {
        SayFlat(ed, QStringLiteral("its picture layer is missing"));
        return false;
    }
    const QImage picture(base.data(), w, h, w * 4, QImage::Format_RGB32);
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
