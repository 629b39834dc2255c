// The writers that hold only bounded buffers beside the picture: a PNG too large to compress
// in one piece is streamed in bands and still comes back pixel for pixel, in IDAT chunks of
// bounded size, and a device that fills up part way is the device's error; the TIFF writer,
// a strip at a time, writes the very bytes Qt's own writer does.
#include "imaging/io/PictureSaver.h"
#include "platform/ReplacingFile.h"

#include <QBuffer>
#include <QImageWriter>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <cstring>

namespace orv::test {
namespace {

// A photo-like picture with noise, so that every band compresses differently.
QImage NoisyPicture(int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    QRandomGenerator random(5);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int noise = int(random.bounded(32));
            line[x] = qRgb((x + noise) & 0xff, (y + noise) & 0xff, (x * y + noise) & 0xff);
        }
    }
    return picture;
}

// A device in memory that takes at most `capacity` bytes, then fails as a full disk does.
class MemorySink : public ByteSink {
  public:
    explicit MemorySink(qint64 capacity = -1) : capacity_(capacity) {}
    FileStatus WriteAt(std::uint64_t offset, const void* data, std::size_t size) override {
        if (capacity_ >= 0 && qint64(offset + size) > capacity_)
            return FileStatus{FileFault::DiskFull, "no space left"};
        if (qsizetype(offset + size) > bytes.size()) bytes.resize(qsizetype(offset + size));
        std::memcpy(bytes.data() + offset, data, size);
        return {};
    }
    QByteArray bytes;

  private:
    qint64 capacity_;
};

// The lengths of the IDAT chunks of a PNG, in order.
std::vector<quint32> IdatLengths(const QByteArray& png) {
    std::vector<quint32> lengths;
    for (qsizetype at = 8; at + 12 <= png.size();) {
        const auto* p = reinterpret_cast<const uchar*>(png.constData() + at);
        const quint32 length =
            quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | p[3];
        if (png.mid(at + 4, 4) == "IDAT") lengths.push_back(length);
        at += 12 + qsizetype(length);
    }
    return lengths;
}

TEST(StreamedWriters, ALargePngComesBackPixelForPixelInBoundedChunks) {
    // 4200 x 2800: 35 MB of filtered rows, more than is compressed in one piece, in bands that
    // do not divide the height.
    const QImage large = NoisyPicture(4200, 2800);
    MemorySink sink;
    ASSERT_TRUE(
        EncodePictureTo(sink, large, QStringLiteral("png"), 80, 24, kTiffCompressionNone).ok());
    const std::vector<quint32> lengths = IdatLengths(sink.bytes);
    ASSERT_GT(lengths.size(), 1u);
    for (const quint32 length : lengths) EXPECT_LE(length, 1u << 20);
    EXPECT_TRUE(sink.bytes.endsWith(QByteArray("IEND\xae\x42\x60\x82", 8)));
    QImage back;
    ASSERT_TRUE(back.loadFromData(sink.bytes, "png"));
    EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32), large);

    // A disk that fills up half way through is the disk's error, not the encoder's.
    MemorySink half(sink.bytes.size() / 2);
    EXPECT_EQ(
        EncodePictureTo(half, large, QStringLiteral("png"), 80, 24, kTiffCompressionNone).error,
        SaveError::DiskFull);

    // A smaller picture is still compressed in one piece: one IDAT.
    MemorySink small;
    const QImage shot = NoisyPicture(640, 400);
    ASSERT_TRUE(
        EncodePictureTo(small, shot, QStringLiteral("png"), 80, 24, kTiffCompressionNone).ok());
    EXPECT_EQ(IdatLengths(small.bytes).size(), 1u);
    ASSERT_TRUE(back.loadFromData(small.bytes, "png"));
    EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32), shot);
}

TEST(StreamedWriters, TiffIsQtsOwnFileByteForByte) {
    // One strip, several with a short last one, one row per strip for a very wide picture; at
    // the default resolution and at 150 dots per inch; LZW ("tif" and the default) and none.
    std::vector<QImage> pictures = {NoisyPicture(1, 1), NoisyPicture(97, 61),
                                    NoisyPicture(1500, 1234), NoisyPicture(16384, 3)};
    pictures[1].setDotsPerMeterX(5906);
    pictures[1].setDotsPerMeterY(5906);
    for (const QImage& picture : pictures) {
        for (const bool lzw : {true, false}) {
            SCOPED_TRACE(::testing::Message()
                         << picture.width() << "x" << picture.height() << (lzw ? " LZW" : " none"));
            MemorySink ours;
            ASSERT_TRUE(EncodePictureTo(ours, picture, QStringLiteral("tiff"), 80, 24,
                                        lzw ? kTiffCompressionLzw : kTiffCompressionNone)
                            .ok());
            QBuffer qt;
            qt.open(QIODevice::WriteOnly);
            QImageWriter writer(&qt, "tiff");
            writer.setCompression(lzw ? 1 : 0);
            ASSERT_TRUE(writer.write(picture));
            EXPECT_TRUE(ours.bytes == qt.data()) << ours.bytes.size() << " vs " << qt.size();
            QImage back;
            ASSERT_TRUE(back.loadFromData(ours.bytes, "tiff"));
            EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32), picture);
        }
    }
}

}  // namespace
}  // namespace orv::test
