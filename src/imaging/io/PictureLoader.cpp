#include "imaging/io/PictureLoader.h"

#include "imaging/io/DecodedPictures.h"
#include "imaging/io/PictureChecks.h"
#include "imaging/io/PictureDecoders.h"
#include "platform/PictureLimits.h"
#include "platform/RegularFile.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

#include <algorithm>
#include <cstring>
#include <new>

namespace orv {

// The loaders' limit is the one the rest of the program keeps.
static_assert(kMaxPicturePixels == kPictureLimitPixels && kMaxPictureSide == kPictureLimitSide);

bool IsAcceptablePictureSize(qint64 width, qint64 height) {
    return WithinPictureLimit(width, height);
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

const QString kTooLarge = QStringLiteral("the picture is larger than 16384 x 16384 pixels");

// Reads the first picture of a file's bytes through Qt, after checking the size its header
// states; a picture refused for its size says so in `tooLarge`.
QImage ReadWithQt(const QByteArray& bytes, const QByteArray& format, bool* tooLarge = nullptr) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setDecideFormatFromContent(format.isEmpty());
    const QSize size = reader.size();
    if (size.isValid() && !IsAcceptablePictureSize(size.width(), size.height())) {
        if (tooLarge) *tooLarge = true;
        return {};
    }
    AllocationLimitScope limit(size.isValid() ? size : QSize(1, 1));
    QImage picture = reader.read();
    if (!picture.isNull() && !IsAcceptablePictureSize(picture.width(), picture.height())) {
        if (tooLarge) *tooLarge = true;
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

const QString kDamaged = QStringLiteral("the file is damaged or is not a picture");
const QString kTooLargeFile =
    QStringLiteral("the file is larger than a picture of 16384 x 16384 pixels can be");
const QString kNoMemory = QStringLiteral("there is not enough memory for the picture");

// Checks the bytes of a file of the given kind and decodes them; BMP, GIF and ICO/CUR go
// through Qt's readers once the checks have passed, anything unknown to Qt's judgement.
DecodedPicture DecodeBytes(const QByteArray& bytes, PictureKind kind) {
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    const auto size = std::size_t(bytes.size());
    PictureCheck check;
    QImage picture;
    bool tooLarge = false;
    switch (kind) {
        case PictureKind::Png:
            check = CheckPngData(data, size);
            if (check.ok) picture = detail::DecodePng(data, size);
            break;
        case PictureKind::Jpeg:
            check = CheckJpegData(data, size);
            if (check.ok) picture = detail::DecodeJpeg(data, size);
            break;
        case PictureKind::Bmp:
            check = CheckBmpData(data, size);
            if (check.ok) picture = ReadWithQt(bytes, "bmp");
            break;
        case PictureKind::Gif:
            check = CheckGifData(data, size);
            if (check.ok) picture = ReadWithQt(bytes, "gif");
            break;
        case PictureKind::Ico:
        case PictureKind::Cur:
            picture = ReadWithQt(bytes, "ico");
            break;
        case PictureKind::Unknown:
            // TIFF, WebP and whatever else Qt's image plugins read, judged by content.
            picture = ReadWithQt(bytes, QByteArray(), &tooLarge);
            break;
    }
    if (!check.ok) return {QImage(), check.reason, int(kind)};
    if (tooLarge) return {QImage(), kTooLarge, int(kind)};
    if (picture.isNull()) return {QImage(), kDamaged, int(kind)};
    return {picture, QString(), int(kind)};
}

// Why a path that is not a regular file cannot be opened.
QString NotAFileReason(const QString& path) {
    RegularFile file;
    const ReadFault fault = file.Open(path);
    return fault == ReadFault::None ? QStringLiteral("it is not a regular file")
                                    : ReadFaultText(fault);
}

// Room in a file for what is not pixels: headers, palettes, colour profiles, metadata.
constexpr std::uint64_t kFileOverhead = std::uint64_t(64) << 20;

// The largest file that can hold a picture of the given kind within the limits, with the
// size its header states where the head shows it: nothing larger is read at all.
std::uint64_t LargestPictureFile(PictureKind kind, const QByteArray& head,
                                 const RegularFile& file) {
    const auto pixels = std::uint64_t(kMaxPicturePixels);
    switch (kind) {
        case PictureKind::Png: {
            // IHDR: width, height, bit depth, colour type; 16-bit RGBA is 8 bytes a pixel,
            // plus a filter byte a row, and stored deflate blocks add 5 bytes in 65535.
            if (head.size() < 26 || head.mid(12, 4) != "IHDR") return kFileOverhead;
            const auto* p = reinterpret_cast<const unsigned char*>(head.constData());
            const std::uint64_t w = std::uint64_t(p[16]) << 24 | p[17] << 16 | p[18] << 8 | p[19];
            const std::uint64_t h = std::uint64_t(p[20]) << 24 | p[21] << 16 | p[22] << 8 | p[23];
            if (!IsAcceptablePictureSize(qint64(w), qint64(h))) return kFileOverhead;
            const std::uint64_t raw = (w * 8 + 1) * h;
            return raw + raw / 8192 + kFileOverhead;
        }
        case PictureKind::Gif:  // 12-bit codes at worst, a byte in 255 for block lengths
            return pixels * 2 + kFileOverhead;
        case PictureKind::Bmp:
        case PictureKind::Jpeg:
        case PictureKind::Ico:
        case PictureKind::Cur:
            return pixels * 4 + kFileOverhead;
        case PictureKind::Unknown:
            break;
    }
    // Another kind: whichever of Qt's readers claims it says how large it is, from its header.
    QFile device;
    if (!device.open(file.Descriptor(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
        return 0;
    QImageReader reader(&device);
    reader.setDecideFormatFromContent(true);
    if (reader.format().isEmpty()) return 0;  // nothing reads it
    const QSize size = reader.size();
    if (size.isValid() && IsAcceptablePictureSize(size.width(), size.height()))
        return std::uint64_t(size.width()) * std::uint64_t(size.height()) * 16 + kFileOverhead;
    return pixels * 16 + kFileOverhead;  // 32-bit float RGBA at most
}

// The decoded picture of a file: the kept one when the same unchanged file was decoded last,
// otherwise read (once) and decoded. Refusals are noted on the open attempt. A file is
// checked on the opened descriptor, and larger files than its kind allows are never read.
DecodedPicture DecodePictureFile(const QString& path, const PictureFileKey& key) {
    if (key.size < 0) return {QImage(), NotAFileReason(path), int(PictureKind::Unknown)};
    return DecodeOnce(key, [&path]() -> DecodedPicture {
        std::uint64_t limit = 0;
        {
            RegularFile file;
            const ReadFault fault = file.Open(path);
            if (fault != ReadFault::None) return {QImage(), ReadFaultText(fault), 0};
            if (file.Size() == 0) return {QImage(), QStringLiteral("the file is empty"), 0};
            QByteArray head(64, '\0');
            head.truncate(qsizetype(std::max<std::int64_t>(0, file.ReadAt(0, head.data(), 64))));
            const PictureKind kind = SniffPictureKind(head.left(16));
            limit = LargestPictureFile(kind, head, file);
            if (file.Size() > limit)
                return {QImage(), limit == 0 ? kDamaged : kTooLargeFile, int(kind)};
        }
        QByteArray bytes;
        // The file is opened again and checked again: it may have been swapped meanwhile.
        const ReadFault fault = ReadPictureFile(path, limit, bytes);
        if (fault == ReadFault::TooLarge) return {QImage(), kTooLargeFile, 0};
        if (fault != ReadFault::None) return {QImage(), ReadFaultText(fault), 0};
        if (bytes.isEmpty()) return {QImage(), QStringLiteral("the file is empty"), 0};
        try {
            return DecodeBytes(bytes, SniffPictureKind(bytes.left(16)));
        } catch (const std::bad_alloc&) {
            return {QImage(), kNoMemory, 0};
        }
    });
}

// The kind of a regular file, from the kept decode when there is one, else from its head.
PictureKind KindOfFile(const QString& path, const PictureFileKey& key) {
    const int kept = KeptPictureKind(key);
    if (kept >= 0) return PictureKind(kept);
    RegularFile file;
    if (file.Open(path) != ReadFault::None) return PictureKind::Unknown;
    QByteArray head(16, '\0');
    head.truncate(qsizetype(std::max<std::int64_t>(0, file.ReadAt(0, head.data(), 16))));
    return SniffPictureKind(head);
}

QImage Refused(const QString& reason) {
    NotePictureRefused(reason);
    return {};
}

}  // namespace

QImage LoadImageAsPicture(const QString& path, int& width, int& height, uint32_t background,
                          bool keepAspect) {
    const bool ownSize = width == -1 || height == -1;
    if (!ownSize && !IsAcceptablePictureSize(width, height)) {
        return Refused(kTooLarge);
    }
    const PictureFileKey key = KeyOfPictureFile(path);
    // A picture with transparent parts is kept composed over the background it was asked
    // with, so that a second route opening the same file takes it as it is.
    const QString variant = QStringLiteral("over:%1").arg(background);
    QImage picture = DerivedPicture(key, variant);
    if (picture.isNull()) {
        const DecodedPicture decoded = DecodePictureFile(path, key);
        if (decoded.picture.isNull()) return Refused(decoded.reason);
        picture = decoded.picture;
        const bool translucent = picture.hasAlphaChannel();
        ComposeOver(picture, background);
        // The standard loader may still ask for the decoded picture of the kinds it reads.
        const auto kind = PictureKind(decoded.kind);
        const bool standardKind = kind != PictureKind::Png && kind != PictureKind::Unknown;
        if (translucent) KeepDerivedPicture(key, variant, picture, standardKind);
    }
    NotePictureLoaded();
    if (ownSize) {
        width = picture.width();
        height = picture.height();
        return picture;
    }
    if (picture.size() == QSize(width, height)) return picture;
    return ScaleTo(picture, width, height, background, keepAspect);
}

QImage detail::DecodePictureBytes(const QByteArray& bytes, PictureKind kind) {
    return DecodeBytes(bytes, kind).picture;
}

namespace {
/// The kinds the standard loader decodes; the others go through the sized readers.
bool StandardLoaderReads(PictureKind kind) {
    switch (kind) {
        case PictureKind::Jpeg:
        case PictureKind::Bmp:
        case PictureKind::Gif:
        case PictureKind::Ico:
        case PictureKind::Cur:
            return true;
        default:
            return false;
    }
}
}  // namespace

QImage LoadPicture(const QString& path) {
    const PictureFileKey key = KeyOfPictureFile(path);
    if (key.size < 0) return Refused(NotAFileReason(path));
    if (!StandardLoaderReads(KindOfFile(path, key)))
        return Refused(QStringLiteral("it is not a picture this program opens"));
    const DecodedPicture decoded = DecodePictureFile(path, key);
    if (decoded.picture.isNull()) return Refused(decoded.reason);
    QImage picture = decoded.picture;
    if (picture.hasAlphaChannel()) {
        picture.convertTo(QImage::Format_ARGB32_Premultiplied);
    } else {
        picture.convertTo(QImage::Format_RGB32);
    }
    NotePictureLoaded();
    return picture;
}

QImage LoadPictureByContent(const QString& path, uint32_t background) {
    const PictureFileKey key = KeyOfPictureFile(path);
    if (key.size < 0) return Refused(NotAFileReason(path));
    if (StandardLoaderReads(KindOfFile(path, key))) return LoadPicture(path);
    int width = -1, height = -1;
    return LoadImageAsPicture(path, width, height, background, false);
}

}  // namespace orv
