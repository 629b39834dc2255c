#include "editor/LayeredOpen.h"

#include <QFile>
#include <QPainter>

#include "annotations/AnnotationBlock.h"
#include "editor/Form1.h"
#include "imaging/psd/cpsd.h"
#include "imaging/psd/psd_compose.h"
#include "imaging/psd/psd_layers.h"
#include "platform/Desktop.h"

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

void RestoreLayeredPsd(Form1& ed, const cpsd& reader, const QString& path) {
    const std::vector<uint8_t>& bytes = reader.PrivateResource();
    if (bytes.empty() || reader.Bitmap().isNull()) return;
    AnnotationBlock block;
    QString why;
    if (AnnotationBlockFromJson(
            QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())), block,
            why) != AnnotationJsonError::None) {
        SayFlat(ed, why);
        return;
    }
    QFile file(path);
    const QByteArray content = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    std::vector<psd::LayerPixels> layers;
    psd::ReadLayers(
        {reinterpret_cast<const uint8_t*>(content.constData()), std::size_t(content.size())},
        layers);
    const int w = reader.Width(), h = reader.Height();
    const BlockVerdict verdict = CheckBlock(block, layers, w, h);
    if (verdict.pictureLayer < 0) {
        SayFlat(ed, QStringLiteral("its picture layer is missing"));
        return;
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
}

}  // namespace orv
