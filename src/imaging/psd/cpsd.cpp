#include "cpsd.h"

#include "imaging/io/DecodedPictures.h"
#include "imaging/io/PictureLoader.h"
#include "platform/LargeMemory.h"
#include "platform/PathBytes.h"
#include "platform/RegularFile.h"

#include <QDateTime>
#include <QFileInfo>

#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

namespace orv {

namespace {

// Hands the picture's memory back when the last QImage sharing it goes.
void FreePicture(void* pixels) {
    ReleaseLarge(pixels);
}

// A PSD file read on demand. Header fields and section lengths come from one small window
// at the start; the image data, which the decoder asks for last, comes in one read of
// exactly its length, so the layers before it (often as large as the picture) are never
// read at all.
class FileSource final : public psd::ByteSource {
  public:
    // Checked on the opened file: a FIFO or device swapped in after the name was looked at
    // is refused without blocking, and nothing of it is read.
    explicit FileSource(const QString& fileName) : fault_(file_.Open(fileName)) {
        if (fault_ == ReadFault::None) size_ = file_.Size();
    }

    ReadFault fault() const { return fault_; }

    uint64_t size() const override { return size_; }

    const uint8_t* Fetch(uint64_t offset, std::size_t n) override {
        if (offset > size_ || n > size_ - offset) return nullptr;
        if (offset >= windowAt_ && offset + n <= windowAt_ + window_.size())
            return window_.data() + (offset - windowAt_);
        if (n <= kWindow) {
            const auto len = static_cast<std::size_t>(std::min<uint64_t>(kWindow, size_ - offset));
            window_.resize(len);
            windowAt_ = offset;
            if (ReadAt(offset, window_.data(), len)) return window_.data();
            window_.clear();
            return nullptr;
        }
        big_ = AllocateLarge(n);
        return big_ && ReadAt(offset, big_.get(), n) ? big_.get() : nullptr;
    }

    bool ReadAt(uint64_t offset, uint8_t* dst, std::size_t n) override {
        if (offset > size_ || n > size_ - offset) return false;
        return file_.ReadAt(offset, dst, n) == static_cast<std::int64_t>(n);
    }

  private:
    static constexpr std::size_t kWindow = 64 * 1024;

    RegularFile file_;
    ReadFault fault_;
    uint64_t size_ = 0;
    std::vector<uint8_t> window_;
    uint64_t windowAt_ = 0;
    LargeBuffer big_;
};

}  // namespace

QString ComposedPictureNote() {
    return QStringLiteral(
        "This file stores no merged picture, so it was composed from its "
        "layers; some of their blend modes, masks or effects could only be "
        "approximated, and the picture may differ from the original.");
}

bool cpsd::LoadPsdFile(const QString& fileName) {
    try {
        return LoadPsdFileUnguarded(fileName);
    } catch (const std::bad_alloc&) {
        // Whatever a file claims, running out of memory is a refusal, never an abort.
        FreePsd();
        NotePictureRefused(QStringLiteral("there is not enough memory for the picture"));
        return false;
    }
}

bool cpsd::LoadPsdFileUnguarded(const QString& fileName) {
    const PathFacts facts = FactsOfPath(fileName);
    // A FIFO, device or socket is never opened: opening a FIFO blocks until a writer comes.
    if (!facts.regular) {
        loaded_ = FileStamp{};
        NotePictureRefused(facts.exists ? QStringLiteral("it is not a regular file")
                                        : QStringLiteral("the file does not exist"));
        return false;
    }
    const FileStamp stamp{QFileInfo(fileName).absoluteFilePath(), facts.size, facts.modifiedMs};
    if (stamp == loaded_ && !bitmap_.isNull()) {
        NotePictureLoaded();
        return true;
    }
    loaded_ = FileStamp{};
    CountDecode();
    decoder_.SetSizeLimit(kMaxPicturePixels, kMaxPictureSide);
    FileSource file(fileName);
    if (file.fault() != ReadFault::None) {
        NotePictureRefused(ReadFaultText(file.fault()));
        return false;
    }
    const QString kDamaged = QStringLiteral("the file is damaged or is not a PSD picture");
    if (!decoder_.Parse(file)) {
        NotePictureRefused(decoder_.TooLarge()
                               ? QStringLiteral("the picture is larger than 16384 x 16384 pixels")
                               : kDamaged);
        return false;
    }
    // The old picture stays until the new one is whole: a file that proves damaged, or that
    // cannot be read to its end (cut, or on a mount that went away), leaves it in place. Only
    // when there is no memory for both is the old one released first.
    QImage previous = std::exchange(bitmap_, QImage());
    const BitmapInfoHeader previousHeader = bitmapHeader_;
    const auto keepPrevious = [&] {
        bitmap_ = std::move(previous);
        bitmapHeader_ = previousHeader;
    };
    if (!BuildDibSection()) {
        previous = QImage();
        if (!BuildDibSection()) {
            NotePictureRefused(QStringLiteral("there is not enough memory for the picture"));
            return false;
        }
    }
    // Packed data is checked to its end while it is converted.
    if (!decoder_.Convert(bitmap_.bits())) {
        keepPrevious();
        NotePictureRefused(decoder_.TriedComposing()
                               ? QStringLiteral("the file holds no merged picture and its layers "
                                                "cannot be composed")
                               : kDamaged);
        return false;
    }
    loaded_ = stamp;
    NotePictureLoaded();
    return true;
}

bool cpsd::BuildDibSection() {
    bitmapHeader_ = BitmapInfoHeader{};
    bitmapHeader_.biWidth = Width();
    bitmapHeader_.biHeight = Height();
    bitmapHeader_.biBitCount = 32;
    bitmapHeader_.biSizeImage = static_cast<uint32_t>(Height()) * static_cast<uint32_t>(Scanline());
    // Rows of a 32-bit picture need no padding, so the pixels are written straight into
    // the picture's own memory, which the picture frees when its last copy goes.
    LargeBuffer pixels = AllocateLarge(bitmapHeader_.biSizeImage);
    if (!pixels) {
        FreePsd();
        return false;
    }
    uint8_t* bits = pixels.release();
    bitmap_ = QImage(bits, bitmapHeader_.biWidth, bitmapHeader_.biHeight, Scanline(),
                     QImage::Format_RGB32, FreePicture, bits);
    if (bitmap_.isNull()) {
        FreePicture(bits);
        FreePsd();
        return false;
    }
    return true;
}

int cpsd::DrawToDC(QPainter& dc, int x, int y) const {
    if (bitmap_.isNull()) return 0;
    const QPainter::CompositionMode mode = dc.compositionMode();
    dc.setCompositionMode(QPainter::CompositionMode_Source);
    dc.drawImage(x, y, bitmap_);
    dc.setCompositionMode(mode);
    return 1;
}

bool cpsd::FreePsd() {
    bitmap_ = QImage();
    loaded_ = FileStamp{};
    bitmapHeader_.biWidth = 0;
    bitmapHeader_.biHeight = 0;
    bitmapHeader_.biBitCount = 0;
    bitmapHeader_.biSizeImage = 0;
    return true;
}

}  // namespace orv
