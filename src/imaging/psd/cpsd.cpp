#include "cpsd.h"

#include <QFile>
#include <QPainter>
#include <memory>
#include <new>

namespace orv {

namespace {

// The whole file in one buffer, read with one call where the system allows it.
std::unique_ptr<uint8_t[]> ReadWholeFile(const QString& fileName, std::size_t& size) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) return nullptr;
    const qint64 length = file.size();
    if (length <= 0) return nullptr;
    size = static_cast<std::size_t>(length);
    std::unique_ptr<uint8_t[]> data(new (std::nothrow) uint8_t[size]);
    if (!data) return nullptr;
    std::size_t done = 0;
    while (done < size) {
        const qint64 got =
            file.read(reinterpret_cast<char*>(data.get()) + done, static_cast<qint64>(size - done));
        if (got <= 0) return nullptr;
        done += static_cast<std::size_t>(got);
    }
    return data;
}

}  // namespace

bool cpsd::LoadPsdFile(const QString& fileName) {
    std::size_t size = 0;
    const std::unique_ptr<uint8_t[]> file = ReadWholeFile(fileName, size);
    if (!file || !decoder_.Parse({file.get(), size})) return false;
    // The new picture replaces the old one: release it before allocating.
    FreePsd();
    if (!BuildDibSection()) return false;
    decoder_.Convert(bitmap_.bits());
    return true;
}

bool cpsd::BuildDibSection() {
    bitmapHeader_ = BitmapInfoHeader{};
    bitmapHeader_.biWidth = Width();
    bitmapHeader_.biHeight = Height();
    bitmapHeader_.biBitCount = 32;
    bitmapHeader_.biSizeImage = static_cast<uint32_t>(Height()) * static_cast<uint32_t>(Scanline());
    // Rows of a 32-bit picture need no padding, so the pixels are written straight into
    // the picture's own memory.
    bitmap_ = QImage(bitmapHeader_.biWidth, bitmapHeader_.biHeight, QImage::Format_RGB32);
    if (bitmap_.isNull() || bitmap_.bytesPerLine() != Scanline()) {
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
    bitmapHeader_.biWidth = 0;
    bitmapHeader_.biHeight = 0;
    bitmapHeader_.biBitCount = 0;
    bitmapHeader_.biSizeImage = 0;
    return true;
}

}  // namespace orv
