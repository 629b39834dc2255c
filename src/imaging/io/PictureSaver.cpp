#include "imaging/io/PictureSaver.h"

#include "imaging/io/CheckedDevice.h"
#include "imaging/io/PictureWriters.h"
#include "imaging/io/PsdSaver.h"
#include "imaging/io/VectorWriter.h"
#include "platform/PathBytes.h"

#include <QFile>
#include <QImageWriter>

namespace orv {

const EncoderInfo* FindEncoderInfo(EncoderId id) {
    for (const EncoderInfo& encoder : kEncoders) {
        if (encoder.id == id) return &encoder;
    }
    return nullptr;
}

bool EncoderClsidForExtension(const QString& extension, EncoderId& out) {
    const QString wanted = extension.toLower();
    for (const EncoderInfo& encoder : kEncoders) {
        if (QString::fromLatin1(encoder.extensions).toLower().contains(wanted)) {
            out = encoder.id;
            return true;
        }
    }
    out = EncoderId::None;
    return false;
}

namespace {

// How one save is to be encoded, worked out before the target file is touched.
struct EncodeSettings {
    EncoderId encoder = EncoderId::None;
    int jpegQuality = 75;  // the JPEG encoder's default quality
    bool tiffLzw = true;   // the TIFF encoder's default: LZW at 24 bits
};

bool WriteWithQt(const QImage& picture, QIODevice& device, const char* format, int quality,
                 int compression, QString& why) {
    QImageWriter writer(&device, format);
    if (quality >= 0) writer.setQuality(quality);
    if (compression >= 0) writer.setCompression(compression);
    if (writer.write(picture)) return true;
    why = writer.errorString();
    return false;
}

bool Encode(const QImage& picture, QIODevice& device, const EncodeSettings& settings,
            QString& why) {
    switch (settings.encoder) {
        case EncoderId::Png:
            return detail::WritePng(picture, device);
        case EncoderId::Gif:
            return detail::WriteGif(picture, device);
        case EncoderId::Jpeg:
            return WriteWithQt(picture, device, "jpeg", settings.jpegQuality, -1, why);
        case EncoderId::Bmp:
            // Qt writes an RGB32 picture as a 24-bit bitmap.
            return WriteWithQt(picture, device, "bmp", -1, -1, why);
        case EncoderId::Tiff:
            return detail::WriteTiff(picture, device, settings.tiffLzw);
        case EncoderId::Psd:
            return WriteLayeredPsd(FlatLayeredPicture(picture), device, why);
        case EncoderId::Svg:
            return WriteSvg(VectorDocument{picture, {}, {}, {}, {}}, device, why);
        case EncoderId::Pdf:
            return WritePdf(VectorDocument{picture, {}, {}, {}, {}}, device, why);
        case EncoderId::None:
            break;
    }
    return false;
}

SaveResult Failure(SaveError error, const QString& description) {
    return SaveResult{error, description};
}

// The error number and words for a file that could not be written.
SaveResult FileFailure(const FileStatus& status, const QString& name) {
    const QString path = ShownPath(name);
    const QString why = QString::fromStdString(status.message);
    switch (status.fault) {
        case FileFault::None:
            break;
        case FileFault::DiskFull:
            return Failure(SaveError::DiskFull,
                           QStringLiteral("Disk full while writing %1 (%2)").arg(path, why));
        case FileFault::NotWritable:
            return Failure(SaveError::FolderNotWritable,
                           QStringLiteral("Cannot write %1 (%2)").arg(path, why));
        case FileFault::IoError:
            return Failure(SaveError::DeviceIoError,
                           QStringLiteral("Device error while writing %1 (%2)").arg(path, why));
    }
    return {};
}

// Checks the settings of a save and works out how it is to be encoded.
SaveResult Prepare(const QImage& picture, const QString& extension, int jpegQuality,
                   int tiffColourDepth, int tiffCompression, EncodeSettings& settings) {
    if (picture.isNull()) {
        return Failure(SaveError::EmptyPicture, QStringLiteral("There is no picture to save"));
    }
    if (!EncoderClsidForExtension(extension, settings.encoder)) {
        return Failure(SaveError::NoEncoder,
                       QStringLiteral("No image encoder for the extension \"%1\"").arg(extension));
    }
    const QString lowered = extension.toLower();
    if (lowered == QLatin1String("jpg")) {
        settings.jpegQuality = qBound(0, jpegQuality, 100);
    } else if (lowered == QLatin1String("tiff")) {
        if (tiffColourDepth != 24 ||
            (tiffCompression != kTiffCompressionNone && tiffCompression != kTiffCompressionLzw)) {
            return Failure(SaveError::EncodeFailed,
                           QStringLiteral("Unsupported TIFF colour depth %1 or compression %2")
                               .arg(tiffColourDepth)
                               .arg(tiffCompression));
        }
        settings.tiffLzw = tiffCompression == kTiffCompressionLzw;
    }
    return {};
}

// Encodes the (opaque) picture into the sink. A failed write is the sink's failure whatever the
// encoder made of it; the encoder's own failure counts only when every write went through.
SaveResult EncodeChecked(const QImage& opaque, ByteSink& sink, const EncodeSettings& settings,
                         const QString& path) {
    detail::CheckedDevice device(sink);
    QString why;
    const bool encoded = Encode(opaque, device, settings, why);
    if (!device.Finish()) return FileFailure(device.status(), path);
    if (!encoded) {
        return Failure(SaveError::EncodeFailed,
                       QStringLiteral("The %1 encoder failed%2")
                           .arg(QLatin1String(FindEncoderInfo(settings.encoder)->mimeType),
                                why.isEmpty() ? QString() : ": " + why));
    }
    return {};
}

QImage Opaque(const QImage& picture) {
    // Captures are opaque: any alpha channel is dropped before encoding.
    return picture.format() == QImage::Format_RGB32 ? picture
                                                    : picture.convertToFormat(QImage::Format_RGB32);
}

/// The settings for the extension and the picture without transparency, as
/// every encoder takes it.
SaveResult PrepareOpaque(const QImage& picture, const QString& extension, int jpegQuality,
                         int tiffColourDepth, int tiffCompression, EncodeSettings& settings,
                         QImage& opaque) {
    SaveResult result =
        Prepare(picture, extension, jpegQuality, tiffColourDepth, tiffCompression, settings);
    if (!result.ok()) return result;
    opaque = Opaque(picture);
    if (opaque.isNull()) return Failure(SaveError::EncodeFailed, QStringLiteral("Out of memory"));
    return result;
}
}  // namespace

SaveResult EncodePictureTo(ByteSink& sink, const QImage& picture, const QString& extension,
                           int jpegQuality, int tiffColourDepth, int tiffCompression) {
    EncodeSettings settings;
    QImage opaque;
    SaveResult result = PrepareOpaque(picture, extension, jpegQuality, tiffColourDepth,
                                      tiffCompression, settings, opaque);
    if (!result.ok()) return result;
    return EncodeChecked(opaque, sink, settings, QString());
}

SaveResult SaveThroughDevice(const QString& path, const QString& what,
                             const std::function<bool(QIODevice&, QString&)>& write) {
    ReplacingFile file(StdBytesOfPath(path));
    const FileStatus opened = file.Open();
    if (!opened.ok()) return FileFailure(opened, path);
    detail::CheckedDevice device(file);
    QString why;
    const bool written = write(device, why);
    if (!device.Finish()) return FileFailure(device.status(), path);
    if (!written) {
        return Failure(SaveError::EncodeFailed,
                       QStringLiteral("The %1 writer failed%2")
                           .arg(what, why.isEmpty() ? QString() : ": " + why));
    }
    const FileStatus committed = file.Commit();
    return committed.ok() ? SaveResult{} : FileFailure(committed, path);
}

SaveResult SavePictureWithEncoder(const QImage& picture, const QString& path,
                                  const QString& extension, int jpegQuality, int tiffColourDepth,
                                  int tiffCompression) {
    EncodeSettings settings;
    QImage opaque;
    SaveResult result = PrepareOpaque(picture, extension, jpegQuality, tiffColourDepth,
                                      tiffCompression, settings, opaque);
    if (!result.ok()) return result;

    ReplacingFile file(StdBytesOfPath(path));
    FileStatus opened = file.Open();
    if (!opened.ok()) return FileFailure(opened, path);
    result = EncodeChecked(opaque, file, settings, path);
    if (!result.ok()) return result;  // the file discards the partial copy; the target stays
    const FileStatus committed = file.Commit();
    return committed.ok() ? SaveResult{} : FileFailure(committed, path);
}

}  // namespace orv
