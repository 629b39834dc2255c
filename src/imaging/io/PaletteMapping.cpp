#include "imaging/io/PaletteMapping.h"

#include "imaging/io/NearestColourTable.h"

#include <algorithm>

namespace orv::detail {

namespace {

// Below this many pixels a picture is mapped on the calling thread.
constexpr qint64 kThreadedPixels = qint64(1) << 20;
// A helper reports its progress after each group of this many rows.
constexpr int kRowsPerReport = 16;

}  // namespace

PaletteMapping::PaletteMapping(const QImage& picture, const QList<QRgb>& palette)
    : picture_(picture), palette_(palette) {
    indices_.resize(qsizetype(picture_.width()) * picture_.height());
    out_ = reinterpret_cast<uint8_t*>(indices_.data());
    const qint64 pixels = qint64(picture_.width()) * picture_.height();
    const int count =
        pixels < kThreadedPixels ? 1 : int(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
    bands_.resize(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        Band& band = bands_[std::size_t(i)];
        band.first = band.mapped = picture_.height() * i / count;
        band.last = picture_.height() * (i + 1) / count;
    }
    if (pixels < kThreadedPixels) {
        MapBand(bands_.front());
        return;
    }
    for (Band& band : bands_) helpers_.emplace_back(&PaletteMapping::MapBand, this, std::ref(band));
}

PaletteMapping::~PaletteMapping() {
    stop_ = true;
    for (std::thread& helper : helpers_) helper.join();
}

void PaletteMapping::MapBand(Band& band) {
    NearestColourTable nearest(palette_);
    const int width = picture_.width();
    uint8_t* out = out_ + qsizetype(band.first) * width;
    for (int y = band.first; y < band.last && !stop_;) {
        const int end = std::min(band.last, y + kRowsPerReport);
        for (; y < end; ++y) {
            const auto* pixels = reinterpret_cast<const QRgb*>(picture_.constScanLine(y));
            // Runs of one colour (flat areas of a UI picture) are looked up once.
            QRgb previous = ~pixels[0];
            uint8_t index = 0;
            for (int x = 0; x < width; ++x) {
                if (pixels[x] != previous) {
                    previous = pixels[x];
                    index = nearest(previous);
                }
                *out++ = index;
            }
        }
        {
            const std::lock_guard lock(mutex_);
            band.mapped = end;
        }
        progress_.notify_all();
    }
}

const uint8_t* PaletteMapping::Row(int y) {
    auto band = std::find_if(bands_.begin(), bands_.end(),
                             [y](const Band& candidate) { return y < candidate.last; });
    if (y < 0 || band == bands_.end()) return nullptr;
    std::unique_lock lock(mutex_);
    progress_.wait(lock, [&] { return band->mapped > y; });
    return out_ + qsizetype(y) * picture_.width();
}

QByteArray PaletteMapping::TakeAll() {
    for (Band& band : bands_) {
        if (band.last > band.first) Row(band.last - 1);
    }
    return std::move(indices_);
}

}  // namespace orv::detail
