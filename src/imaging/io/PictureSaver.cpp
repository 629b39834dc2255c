#include "imaging/io/PictureSaver.h"

#include "imaging/io/PictureWriters.h"
#include "imaging/io/PsdSaver.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>
#include <QStorageInfo>

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
            // Qt's TIFF writer: compression 0 is none, 1 is LZW; RGB32 gives 3 samples.
            return WriteWithQt(picture, device, "tiff", -1, settings.tiffLzw ? 1 : 0, why);
        case EncoderId::Psd:
            return WriteLayeredPsd(FlatLayeredPicture(picture), device, why);
        case EncoderId::None:
            break;
    }
    return false;
}

SaveResult Failure(SaveError error, const QString& description) {
    return SaveResult{error, description};
}

// The error of a failed write or commit, from the state the file device was left in. Some
// writers lose the device's reason for a failed write, so a folder left with (almost) no free
// space while the temporary file still exists also counts as a full disk.
SaveResult FileFailure(const QSaveFile& file, const QString& path) {
    const qint64 space = QStorageInfo(QFileInfo(path).absolutePath()).bytesAvailable();
    if (file.error() == QFileDevice::ResourceError || (space >= 0 && space < 64 * 1024)) {
        return Failure(SaveError::DiskFull, QStringLiteral("Disk full while writing %1").arg(path));
    }
    return Failure(SaveError::FolderNotWritable,
                   QStringLiteral("Cannot write %1 (%2)").arg(path, file.errorString()));
}

}  // namespace

SaveResult SavePictureWithEncoder(const QImage& picture, const QString& path,
                                  const QString& extension, int jpegQuality, int tiffColourDepth,
                                  int tiffCompression) {
    if (picture.isNull()) {
        return Failure(SaveError::EmptyPicture, QStringLiteral("There is no picture to save"));
    }
    EncodeSettings settings;
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

    // Captures are opaque: any alpha channel is dropped before encoding.
    const QImage opaque = picture.format() == QImage::Format_RGB32
                              ? picture
                              : picture.convertToFormat(QImage::Format_RGB32);
    if (opaque.isNull()) {
        return Failure(SaveError::EncodeFailed, QStringLiteral("Out of memory"));
    }

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return FileFailure(file, path);
    }
    QString why;
    if (!Encode(opaque, file, settings, why)) {
        const bool deviceFailed = file.error() != QFileDevice::NoError;
        const SaveResult result =
            deviceFailed
                ? FileFailure(file, path)
                : Failure(SaveError::EncodeFailed,
                          QStringLiteral("The %1 encoder failed%2")
                              .arg(QLatin1String(FindEncoderInfo(settings.encoder)->mimeType),
                                   why.isEmpty() ? QString() : ": " + why));
        file.cancelWriting();
        return result;
    }
    if (!file.commit()) {
        return FileFailure(file, path);
    }
    return {};
}

}  // namespace orv
