// Saves that run out of room or hit a failing device: for every format and any amount of free
// space, a save either reports the right error and leaves the old file byte for byte, or writes
// a complete file a reader accepts. Never a cut-off file reported as saved, never 482 for a
// full disk.
#include "imaging/io/PictureSaver.h"
#include "platform/ReplacingFile.h"

#include <QBuffer>
#include <QDir>
#include <QImageReader>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>

#include "../ImagingFiles.h"

namespace orv::test {
namespace {

const char* const kExtensions[] = {"png", "jpg", "bmp", "gif", "tif", "tiff"};

// A photo-like picture with noise, large enough that every encoder writes several blocks.
QImage NoisyPicture(int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    QRandomGenerator random(17);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int noise = int(random.bounded(24));
            line[x] = qRgb((x + noise) & 0xff, (y * 2 + noise) & 0xff, (x ^ y) & 0xff);
        }
    }
    return picture;
}

// A device of `capacity` bytes: writes that would make the content longer than that store what
// fits and then fail the way the file system does when it fills up (or with an I/O error).
class FillingSink : public ByteSink {
  public:
    FillingSink(qint64 capacity, FileFault fault) : capacity_(capacity), fault_(fault) {}
    FileStatus WriteAt(std::uint64_t offset, const void* data, std::size_t size) override {
        ++calls_;
        const qint64 end = qint64(offset + size);
        const qint64 fits = std::min<qint64>(end, capacity_) - qint64(offset);
        if (fits > 0) Store(offset, data, std::size_t(fits));
        if (end > capacity_) return FileStatus{fault_, "injected failure"};
        return {};
    }
    QByteArray bytes;
    int calls_ = 0;

  private:
    void Store(std::uint64_t offset, const void* data, std::size_t size) {
        if (qsizetype(offset + size) > bytes.size()) bytes.resize(qsizetype(offset + size));
        std::memcpy(bytes.data() + offset, data, size);
    }
    qint64 capacity_;
    FileFault fault_;
};

SaveResult Encode(ByteSink& sink, const QImage& picture, const char* extension) {
    return EncodePictureTo(sink, picture, QString::fromLatin1(extension), 80, 24,
                           kTiffCompressionNone);
}

// Capacities from none to a tenth more than the file needs, with the edges around its size.
std::vector<qint64> Capacities(qint64 size) {
    return {0, 1, size * 3 / 10, size * 7 / 10, size * 99 / 100, size - 1, size, size * 11 / 10};
}

// Every encoder, cut off anywhere: the error is the device's (61 for a full disk, 57 for an
// I/O error), never the encoder's 482, and a save that fits gives exactly the full file.
TEST(SaveFailure, EveryCutOffWriteIsTheDevicesErrorAndAFittingOneTheWholeFile) {
    const QImage picture = NoisyPicture(480, 360);
    for (const char* extension : kExtensions) {
        SCOPED_TRACE(extension);
        FillingSink unlimited(std::numeric_limits<qint64>::max(), FileFault::DiskFull);
        ASSERT_TRUE(Encode(unlimited, picture, extension).ok());
        const QByteArray whole = unlimited.bytes;
        QBuffer buffer(const_cast<QByteArray*>(&whole));
        QImageReader reader(&buffer);
        EXPECT_EQ(reader.read().size(), picture.size());
        for (const qint64 capacity : Capacities(whole.size())) {
            SCOPED_TRACE(capacity);
            for (const FileFault fault : {FileFault::DiskFull, FileFault::IoError}) {
                FillingSink sink(capacity, fault);
                const SaveResult result = Encode(sink, picture, extension);
                if (capacity >= whole.size()) {
                    EXPECT_TRUE(result.ok());
                    EXPECT_EQ(sink.bytes, whole);
                } else {
                    EXPECT_EQ(result.error, fault == FileFault::DiskFull
                                                ? SaveError::DiskFull
                                                : SaveError::DeviceIoError);
                }
            }
        }
    }
}

// The encoders write through blocks, so a failure in the middle of a large file stops the
// writing: nothing more is sent to a device once it has failed.
TEST(SaveFailure, NothingIsWrittenAfterTheFirstFailure) {
    const QImage picture = NoisyPicture(1600, 1200);  // several megabytes as BMP and TIFF
    for (const char* extension : {"bmp", "tiff", "png"}) {
        FillingSink sink(1000, FileFault::DiskFull);
        EXPECT_EQ(Encode(sink, picture, extension).error, SaveError::DiskFull) << extension;
        EXPECT_EQ(sink.calls_, 1) << extension;
    }
}

}  // namespace
}  // namespace orv::test
