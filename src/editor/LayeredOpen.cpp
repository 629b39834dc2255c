#include "editor/LayeredOpen.h"

#include <QFile>
#include <QPainter>

#include "annotations/AnnotationJson.h"
#include "editor/Form1.h"
#include "imaging/psd/cpsd.h"
#include "imaging/psd/psd_layers.h"
#include "platform/Desktop.h"

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
    QFile file(path);
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    std::vector<psd::LayerPixels> layers;
    psd::ReadLayers(
        {reinterpret_cast<const uint8_t*>(bytes.constData()), std::size_t(bytes.size())}, layers);
    const int w = reader.Width(), h = reader.Height();
    const auto picture = std::find_if(layers.begin(), layers.end(), [&](const auto& l) {
        return l.name == "Picture" && l.left == 0 && l.top == 0 && l.width == w && l.height == h;
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
    ed.SyncRedactions();
}

}  // namespace orv
