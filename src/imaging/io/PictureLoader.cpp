#include "imaging/io/PictureLoader.h"

#include "imaging/io/PictureDecoders.h"

#include <QFile>
#include <QImageReader>
#include <QPainter>

#include <cstring>

namespace orv {

bool IsAcceptablePictureSize(qint64 width, qint64 height) {
    return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
           width * height <= kMaxPicturePixels;
}

PictureKind SniffPictureKind(const QByteArray& head) {
    const auto starts = [&head](const char* magic, qsizetype length) {
        return head.size() >= length && std::memcmp(head.constData(), magic, size_t(length)) == 0;
    };
    if (starts("\x89PNG\r\n\x1a\n", 8)) return PictureKind::Png;
    if (starts("\xff\xd8\xff", 3)) return PictureKind::Jpeg;
    if (starts("BM", 2) && head.size() >= 14) return PictureKind::Bmp;
    if (starts("GIF87a", 6) || starts("GIF89a", 6)) return PictureKind::Gif;
    // Icon and cursor directories: reserved 0, type 1 (icon) or 2 (cursor), at least one entry.
    if (head.size() >= 6 && head[0] == 0 && head[1] == 0 && head[3] == 0 &&
        (head[4] != 0 || head[5] != 0)) {
        if (head[2] == 1) return PictureKind::Ico;
        if (head[2] == 2) return PictureKind::Cur;
    }
    return PictureKind::Unknown;
}

namespace {

// A file's bytes, mapped where possible so that a large file is not copied.
class FileBytes {
  public:
    explicit FileBytes(const QString& path) : file_(path) {
        if (!file_.open(QIODevice::ReadOnly)) return;
        size_ = file_.size();
        if (size_ <= 0) return;
        data_ = file_.map(0, size_);
        if (data_ == nullptr) {
            copy_ = file_.readAll();
            size_ = copy_.size();
            data_ = reinterpret_cast<const uchar*>(copy_.constData());
        }
    }
    const uchar* data() const { return data_; }
    std::size_t size() const { return data_ ? std::size_t(size_) : 0; }
    QByteArray head() const {
        return QByteArray(reinterpret_cast<const char*>(data_), qMin<qint64>(size_, 16));
    }

  private:
    QFile file_;
    qint64 size_ = 0;
    const uchar* data_ = nullptr;
    QByteArray copy_;
};

// Qt's readers refuse pictures above a process-wide allocation limit that is far below ours.
// For one read of a picture whose header size is within our limits, the limit is raised just
// enough and put back afterwards. Pictures are loaded on the user-interface thread only.
class AllocationLimitScope {
  public:
    explicit AllocationLimitScope(QSize size) : previous_(QImageReader::allocationLimit()) {
        const qint64 neededMb = qint64(size.width()) * size.height() * 4 / (1024 * 1024) + 1;
        if (previous_ != 0 && neededMb > previous_) {
            QImageReader::setAllocationLimit(int(neededMb));
        }
    }
    ~AllocationLimitScope() { QImageReader::setAllocationLimit(previous_); }
    AllocationLimitScope(const AllocationLimitScope&) = delete;
    AllocationLimitScope& operator=(const AllocationLimitScope&) = delete;

  private:
    int previous_;
};

// Reads the first picture of a file through Qt, after checking the size its header states.
QImage ReadWithQt(const QString& path, const QByteArray& format) {
    QImageReader reader(path, format);
    reader.setDecideFormatFromContent(format.isEmpty());
    const QSize size = reader.size();
    if (size.isValid() && !IsAcceptablePictureSize(size.width(), size.height())) {
        return {};
    }
    AllocationLimitScope limit(size.isValid() ? size : QSize(1, 1));
    QImage picture = reader.read();
    if (!IsAcceptablePictureSize(picture.width(), picture.height())) {
        return {};
    }
    return picture;
}

// Composes every pixel over the background, in place, leaving an opaque RGB32 picture.
void ComposeOver(QImage& picture, uint32_t background) {
    if (picture.format() != QImage::Format_ARGB32) {
        picture.convertTo(picture.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        if (picture.format() == QImage::Format_RGB32) return;
    }
    const int backR = int(background & 0xff), backG = int((background >> 8) & 0xff),
              backB = int((background >> 16) & 0xff);
    const QRgb backPixel = qRgb(backR, backG, backB);
    for (int y = 0; y < picture.height(); ++y) {
        auto* pixels = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb pixel = pixels[x];
            const int alpha = qAlpha(pixel);
            if (alpha == 255) continue;
            if (alpha == 0) {
                pixels[x] = backPixel;
                continue;
            }
            const auto mix = [alpha](int front, int back) {
                return (front * alpha + back * (255 - alpha) + 127) / 255;
            };
            pixels[x] =
                qRgb(mix(qRed(pixel), backR), mix(qGreen(pixel), backG), mix(qBlue(pixel), backB));
        }
    }
    picture.reinterpretAsFormat(QImage::Format_RGB32);
}

// Draws an opaque picture into a width × height picture filled with the background.
QImage ScaleTo(const QImage& picture, int width, int height, uint32_t background, bool keepAspect) {
    QImage out(width, height, QImage::Format_RGB32);
    if (out.isNull()) return {};
    out.fill(QColor(int(background & 0xff), int((background >> 8) & 0xff),
                    int((background >> 16) & 0xff)));
    QRect target(0, 0, width, height);
    if (keepAspect) {
        const QSize fitted = picture.size().scaled(width, height, Qt::KeepAspectRatio);
        target =
            QRect(QPoint((width - fitted.width()) / 2, (height - fitted.height()) / 2), fitted);
    }
    QPainter painter(&out);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, picture);
    return out;
}

}  // namespace

QImage LoadImageAsPicture(const QString& path, int& width, int& height, uint32_t background,
                          bool keepAspect) {
    const bool ownSize = width == -1 || height == -1;
    if (!ownSize && !IsAcceptablePictureSize(width, height)) {
        return {};
    }
    QImage picture;
    {
        FileBytes bytes(path);
        if (bytes.size() == 0) return {};
        switch (SniffPictureKind(bytes.head())) {
            case PictureKind::Png:
                picture = detail::DecodePng(bytes.data(), bytes.size());
                break;
            case PictureKind::Jpeg:
                picture = detail::DecodeJpeg(bytes.data(), bytes.size());
                break;
            default:
                picture = ReadWithQt(path, QByteArray());
                break;
        }
    }
    if (picture.isNull()) return {};
    ComposeOver(picture, background);
    if (ownSize) {
        width = picture.width();
        height = picture.height();
        return picture;
    }
    if (picture.size() == QSize(width, height)) return picture;
    return ScaleTo(picture, width, height, background, keepAspect);
}

QImage LoadPicture(const QString& path) {
    QByteArray format;
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) return {};
        switch (SniffPictureKind(file.read(16))) {
            case PictureKind::Jpeg: {
                file.close();
                FileBytes bytes(path);
                return detail::DecodeJpeg(bytes.data(), bytes.size());
            }
            case PictureKind::Bmp:
                format = "bmp";
                break;
            case PictureKind::Gif:
                format = "gif";
                break;
            case PictureKind::Ico:
            case PictureKind::Cur:
                format = "ico";
                break;
            default:
                return {};
        }
    }
    QImage picture = ReadWithQt(path, format);
    if (picture.isNull()) return {};
    if (picture.hasAlphaChannel()) {
        picture.convertTo(QImage::Format_ARGB32_Premultiplied);
    } else {
        picture.convertTo(QImage::Format_RGB32);
    }
    return picture;
}

}  // namespace orv
