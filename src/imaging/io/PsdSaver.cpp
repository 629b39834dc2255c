#include "imaging/io/PsdSaver.h"

#include <QFileInfo>

#include "psd_writer.h"

namespace orv {

namespace {

// The pixel layout the writer takes: blue, green, red, alpha bytes, straight alpha.
QImage WriterLayout(const QImage& image) {
    return image.format() == QImage::Format_ARGB32 || image.format() == QImage::Format_RGB32
               ? image
               : image.convertToFormat(QImage::Format_ARGB32);
}

psd::PixelView View(const QImage& image) {
    if (image.isNull()) return {};
    return {image.constBits(), image.width(), image.height(),
            static_cast<std::size_t>(image.bytesPerLine())};
}

static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN,
              "32-bit Qt pixels are read as blue, green, red, alpha bytes");

}  // namespace

LayeredPicture FlatLayeredPicture(const QImage& picture) {
    LayeredPicture doc;
    doc.merged = picture;
    doc.layers.push_back({QStringLiteral("Picture"), QPoint(0, 0), picture, true});
    return doc;
}

bool WriteLayeredPsd(const LayeredPicture& doc, QIODevice& device, QString& why) {
    // Pictures converted here must live until the writer is done with their pixels.
    const QImage merged = WriterLayout(doc.merged);
    std::vector<QImage> layerImages;
    layerImages.reserve(doc.layers.size());
    psd::DocumentLayout layout;
    layout.composite = View(merged);
    for (const PsdLayer& layer : doc.layers) {
        // An opaque picture layer keeps alpha 255 everywhere: RGB32 has 0xFF in that byte.
        layerImages.push_back(WriterLayout(layer.pixels));
        psd::LayerSpec s;
        s.name = layer.name.toStdString();
        s.left = layer.at.x();
        s.top = layer.at.y();
        s.pixels = View(layerImages.back());
        s.visible = layer.visible;
        layout.layers.push_back(std::move(s));
    }
    layout.privateResource.assign(doc.privateData.begin(), doc.privateData.end());
    std::vector<uint8_t> bytes;
    std::string reason;
    if (!psd::WriteDocument(layout, bytes, reason)) {
        why = QString::fromStdString(reason);
        return false;
    }
    const auto size = static_cast<qint64>(bytes.size());
    if (device.write(reinterpret_cast<const char*>(bytes.data()), size) != size) {
        why = device.errorString();
        return false;
    }
    return true;
}

SaveResult SaveLayeredPsd(const LayeredPicture& doc, const QString& path) {
    if (doc.merged.isNull())
        return {SaveError::EmptyPicture, QStringLiteral("There is no picture to save")};
    // Written like every other save, so that the name's own bytes are the file's name.
    return SaveThroughDevice(path, QStringLiteral("PSD"), [&doc](QIODevice& device, QString& why) {
        return WriteLayeredPsd(doc, device, why);
    });
}

}  // namespace orv
