// The adaptive 256-colour palette of a GIF and the mapping of every pixel onto it.
//
// The palette comes from libimagequant, fed with a histogram we build: every colour of a
// picture with few colours (a UI capture with antialiased text has about a thousand), so the
// common ones come out exact; for a photo-like picture, a sample of the pixels on a regular
// grid of at most 65,536 points, which gives the same palette quality in a fraction of the time.
// The pixels are then mapped to their nearest palette colour (no dithering, so flat areas stay
// flat), with a cache of recent answers because neighbouring pixels repeat colours.
#include "imaging/io/PictureWriters.h"

#include <libimagequant.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace orv::detail {

namespace {

// Up to this many distinct colours, the histogram holds every pixel.
constexpr std::size_t kFullHistogramColours = 1 << 16;
// At most this many of its most common colours are kept exact.
constexpr std::size_t kFixedColours = 64;
// Otherwise it holds at most this many sampled pixels (more make the quantizer slow).
constexpr double kSamples = 65536;

struct LiqDeleter {
    void operator()(liq_attr* attr) const { liq_attr_destroy(attr); }
    void operator()(liq_histogram* histogram) const { liq_histogram_destroy(histogram); }
    void operator()(liq_result* result) const { liq_result_destroy(result); }
};
template <typename T>
using LiqPointer = std::unique_ptr<T, LiqDeleter>;

// Counts the colours of the pixels on every `step`-th row and column; false (with `entries`
// cleared) as soon as there are more than `limit` distinct ones.
bool CountColours(const QImage& picture, int step, std::size_t limit,
                  std::vector<liq_histogram_entry>& entries) {
    entries.clear();
    std::size_t tableSize = 16;
    while (tableSize < 2 * limit) tableSize *= 2;
    std::vector<QRgb> keys(tableSize, 0);  // colours with the alpha byte set; 0 is an empty slot
    std::vector<unsigned> counts(tableSize, 0);
    std::size_t distinct = 0;
    auto add = [&](QRgb colour, unsigned count) {
        std::size_t slot = (colour * 2654435761u) & (tableSize - 1);
        while (keys[slot] != 0 && keys[slot] != colour) slot = (slot + 1) & (tableSize - 1);
        if (keys[slot] == 0) {
            if (++distinct > limit) return false;
            keys[slot] = colour;
        }
        counts[slot] += count;
        return true;
    };
    for (int y = 0; y < picture.height(); y += step) {
        const auto* pixels = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        QRgb run = pixels[0] | 0xff000000u;
        unsigned length = 0;
        for (int x = 0; x < picture.width(); x += step) {
            const QRgb colour = pixels[x] | 0xff000000u;
            if (colour == run) {
                ++length;
                continue;
            }
            if (!add(run, length)) return false;
            run = colour;
            length = 1;
        }
        if (!add(run, length)) return false;
    }
    entries.reserve(distinct);
    for (std::size_t slot = 0; slot < tableSize; ++slot) {
        if (keys[slot] == 0) continue;
        const QRgb colour = keys[slot];
        entries.push_back(
            {liq_color{uint8_t(qRed(colour)), uint8_t(qGreen(colour)), uint8_t(qBlue(colour)), 255},
             counts[slot]});
    }
    return true;
}

// Finds the palette entry nearest to a colour (squared distance in RGB). The entries are
// sorted by green, and the search walks outwards from the query's green, stopping on each side
// once the green difference alone is at least the best distance found.
class NearestColour {
  public:
    explicit NearestColour(const QList<QRgb>& palette) {
        for (qsizetype i = 0; i < palette.size(); ++i) {
            entries_.push_back(
                {qRed(palette[i]), qGreen(palette[i]), qBlue(palette[i]), uint8_t(i)});
        }
        std::stable_sort(entries_.begin(), entries_.end(),
                         [](const Entry& a, const Entry& b) { return a.g < b.g; });
        std::size_t at = 0;
        for (int green = 0; green < 256; ++green) {
            while (at < entries_.size() && entries_[at].g < green) ++at;
            firstAtLeast_[std::size_t(green)] = int(at);
        }
    }

    uint8_t operator()(QRgb colour) const {
        const int r = qRed(colour), g = qGreen(colour), b = qBlue(colour);
        const int count = int(entries_.size());
        int up = firstAtLeast_[std::size_t(g)], down = up - 1;
        int bestDistance = INT32_MAX;
        uint8_t best = 0;
        auto consider = [&](const Entry& entry, int& step, int stop) {
            const int dg = entry.g - g;
            if (dg * dg >= bestDistance) {
                step = stop;
                return;
            }
            const int dr = entry.r - r, db = entry.b - b;
            const int distance = dr * dr + dg * dg + db * db;
            if (distance < bestDistance) {
                bestDistance = distance;
                best = entry.index;
            }
        };
        while ((up < count || down >= 0) && bestDistance > 0) {
            if (up < count) consider(entries_[std::size_t(up)], up, count - 1), ++up;
            if (down >= 0) consider(entries_[std::size_t(down)], down, 0), --down;
        }
        return best;
    }

  private:
    struct Entry {
        int r, g, b;
        uint8_t index;
    };
    std::vector<Entry> entries_;
    std::array<int, 256> firstAtLeast_{};
};

// The nearest palette entry of each pixel of rows [first, last), cached per colour:
// neighbouring pixels repeat colours.
void MapRows(const QImage& picture, const NearestColour& nearest, int first, int last,
             uint8_t* out) {
    constexpr std::size_t kCacheSlots = std::size_t(1) << 20;
    std::vector<uint32_t> cachedColour(kCacheSlots, 0);  // colour with bit 24 set; 0 is empty
    std::vector<uint8_t> cachedIndex(kCacheSlots, 0);
    for (int y = first; y < last; ++y) {
        const auto* pixels = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            const uint32_t key = (pixels[x] & 0xffffffu) | 0x1000000u;
            const std::size_t slot = ((key * 2654435761u) >> 12) & (kCacheSlots - 1);
            if (cachedColour[slot] != key) {
                cachedColour[slot] = key;
                cachedIndex[slot] = nearest(pixels[x]);
            }
            *out++ = cachedIndex[slot];
        }
    }
}

// Each pixel's nearest palette entry; a large picture is split into bands mapped side by side.
void MapToNearest(const QImage& picture, const QList<QRgb>& palette, QByteArray& indices) {
    const NearestColour nearest(palette);
    indices.resize(qsizetype(picture.width()) * picture.height());
    auto* out = reinterpret_cast<uint8_t*>(indices.data());
    const qint64 pixels = qint64(picture.width()) * picture.height();
    const int bands =
        pixels < (1 << 20) ? 1 : int(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
    std::vector<std::thread> helpers;
    for (int band = 1; band < bands; ++band) {
        const int first = picture.height() * band / bands;
        const int last = picture.height() * (band + 1) / bands;
        helpers.emplace_back(MapRows, std::cref(picture), std::cref(nearest), first, last,
                             out + qsizetype(first) * picture.width());
    }
    MapRows(picture, nearest, 0, picture.height() / bands, out);
    for (std::thread& helper : helpers) helper.join();
}

// Rows and columns between the sampled pixels of a picture with many colours.
int HistogramStep(const QImage& picture) {
    const double pixels = double(picture.width()) * double(picture.height());
    return std::max(1, int(std::ceil(std::sqrt(pixels / kSamples))));
}

}  // namespace

bool QuantizedPalette(const QImage& picture, QList<QRgb>& palette, QByteArray& indices) {
    std::vector<liq_histogram_entry> entries;
    const bool fullHistogram = CountColours(picture, 1, kFullHistogramColours, entries);
    if (!fullHistogram) {
        const int step = HistogramStep(picture);
        const std::size_t samples = std::size_t((picture.width() + step - 1) / step) *
                                    std::size_t((picture.height() + step - 1) / step);
        if (!CountColours(picture, step, samples, entries)) return false;
    }
    LiqPointer<liq_attr> attr(liq_attr_create());
    if (!attr || liq_set_speed(attr.get(), 4) != LIQ_OK) return false;
    LiqPointer<liq_histogram> histogram(liq_histogram_create(attr.get()));
    if (!histogram || liq_histogram_add_colors(histogram.get(), attr.get(), entries.data(),
                                               int(entries.size()), 0) != LIQ_OK) {
        return false;
    }
    if (fullHistogram) {
        // Colours that each cover a thousandth of the picture (flat panels, text) go into the
        // palette as they are, so they stay exact.
        std::sort(entries.begin(), entries.end(),
                  [](const auto& a, const auto& b) { return a.count > b.count; });
        const double pixels = double(picture.width()) * double(picture.height());
        for (std::size_t i = 0;
             i < entries.size() && i < kFixedColours && double(entries[i].count) >= pixels / 1000;
             ++i) {
            if (liq_histogram_add_fixed_color(histogram.get(), entries[i].color, 0) != LIQ_OK) {
                return false;
            }
        }
    }
    liq_result* raw = nullptr;
    if (liq_histogram_quantize(histogram.get(), attr.get(), &raw) != LIQ_OK || raw == nullptr) {
        return false;
    }
    LiqPointer<liq_result> result(raw);
    const liq_palette* colours = liq_get_palette(result.get());
    palette.clear();
    for (unsigned i = 0; i < colours->count && i < 256; ++i) {
        palette.append(qRgb(colours->entries[i].r, colours->entries[i].g, colours->entries[i].b));
    }
    if (palette.isEmpty()) return false;
    MapToNearest(picture, palette, indices);
    return true;
}

}  // namespace orv::detail
