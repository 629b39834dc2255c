// The adaptive 256-colour palette of a GIF and the mapping of every pixel onto it.
//
// The palette comes from libimagequant, fed with a histogram we build. A picture with few
// colours (a UI capture with antialiased text has about a thousand) gives it every colour, at a
// careful speed, and its common colours are fixed, so they come out exact. A photo-like picture
// gives it a grid sample of its pixels at its fastest speed, and a few rounds of Lloyd's
// refinement over a finer sample bring the error down to what a slow quantizer reaches, in a
// fraction of the time. The pixels are then mapped to their nearest palette colour (no
// dithering, so flat areas stay flat) by a PaletteMapping.
#include "imaging/io/NearestColourTable.h"
#include "imaging/io/PaletteMapping.h"
#include "imaging/io/PictureWriters.h"

#include <libimagequant.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

namespace orv::detail {

namespace {

// Up to this many distinct colours, the histogram holds every pixel.
constexpr std::size_t kFullHistogramColours = 1 << 16;
// At most this many of its most common colours are kept exact.
constexpr std::size_t kFixedColours = 64;
// Otherwise the palette comes from a grid sample of about this many pixels: the quantizer, at
// its fastest, sees a coarse one, and the refinement rounds a finer one.
constexpr double kQuantizerSamples = 16384;
constexpr double kRefinementSamples = 65536;
constexpr int kRefinementRounds = 6;
// The quantizer's speed (1 slowest and best, 10 fastest) for a few colours, and for a sample.
constexpr int kExactSpeed = 4;
constexpr int kSampledSpeed = 10;

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

// Lloyd's refinement of a palette over a histogram: every entry moves to the mean of the
// colours whose nearest entry it is. A fast quantizer's palette gets most of the way; these
// rounds take it the rest, for a fraction of the time a slower quantizer would spend.
void RefinePalette(const std::vector<liq_histogram_entry>& entries, QList<QRgb>& palette,
                   int rounds) {
    for (int round = 0; round < rounds; ++round) {
        NearestColourTable nearest(palette);
        std::array<std::array<double, 4>, 256> sums{};
        for (const liq_histogram_entry& entry : entries) {
            auto& sum = sums[nearest(qRgb(entry.color.r, entry.color.g, entry.color.b))];
            sum[0] += double(entry.color.r) * entry.count;
            sum[1] += double(entry.color.g) * entry.count;
            sum[2] += double(entry.color.b) * entry.count;
            sum[3] += entry.count;
        }
        for (qsizetype i = 0; i < palette.size(); ++i) {
            const auto& sum = sums[std::size_t(i)];
            if (sum[3] == 0) continue;
            const auto mean = [&](int channel) { return int(std::lround(sum[channel] / sum[3])); };
            palette[i] = qRgb(mean(0), mean(1), mean(2));
        }
    }
}

// The colours of about `samples` pixels on a regular grid.
bool SampleColours(const QImage& picture, double samples,
                   std::vector<liq_histogram_entry>& entries) {
    const double pixels = double(picture.width()) * double(picture.height());
    const int step = std::max(1, int(std::ceil(std::sqrt(pixels / samples))));
    const std::size_t count = std::size_t((picture.width() + step - 1) / step) *
                              std::size_t((picture.height() + step - 1) / step);
    return CountColours(picture, step, count, entries);
}

}  // namespace

bool AdaptivePalette(const QImage& picture, QList<QRgb>& palette) {
    std::vector<liq_histogram_entry> entries;
    const bool fullHistogram = CountColours(picture, 1, kFullHistogramColours, entries);
    if (!fullHistogram && !SampleColours(picture, kQuantizerSamples, entries)) return false;
    LiqPointer<liq_attr> attr(liq_attr_create());
    if (!attr || liq_set_speed(attr.get(), fullHistogram ? kExactSpeed : kSampledSpeed) != LIQ_OK) {
        return false;
    }
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
    if (!fullHistogram) {
        if (!SampleColours(picture, kRefinementSamples, entries)) return false;
        RefinePalette(entries, palette, kRefinementRounds);
    }
    return true;
}

bool QuantizedPalette(const QImage& picture, QList<QRgb>& palette, QByteArray& indices) {
    if (!AdaptivePalette(picture, palette)) return false;
    indices = PaletteMapping(picture, palette).TakeAll();
    return true;
}

}  // namespace orv::detail
