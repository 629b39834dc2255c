#include "psd_compose.h"

#include <algorithm>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace orv::psd {

namespace {

// v / 255 rounded to the nearest integer, for v up to 255 * 255: the same as (v + 127) / 255,
// without the division.
inline unsigned Div255(unsigned v) {
    const unsigned t = v + 128;
    return (t + (t >> 8)) >> 8;
}

// An opaque white pixel as the picture holds it (blue, green, red, 255 in memory).
constexpr uint32_t kWhite = 0xFFFFFFFFu;

// Div255 on the two 16-bit halves of v at once (each at most 255 * 255), each result in the
// low byte of its half.
inline uint32_t Div255Pair(uint32_t v) {
    const uint32_t t = v + 0x00800080u;
    return ((t + ((t >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
}

// Pixels from..to of a layer row, given as its blue, green, red and alpha rows, replace the
// pixels at `dst`.
void CopyRow(const uint8_t* const* rows, std::size_t from, std::size_t to, uint32_t* dst) {
    const uint8_t *b = rows[0], *g = rows[1], *r = rows[2];
    for (std::size_t at = from; at < to; ++at)
        *dst++ = uint32_t{b[at]} | uint32_t{g[at]} << 8 | uint32_t{r[at]} << 16 | 0xFF000000u;
}

// The same pixels blended over those at `dst` by their alpha times `opacity`, each channel
// (c * a + under * (255 - a)) / 255 rounded, two channels at a time. With a at 255 this gives
// the layer's pixel and at 0 the pixel under it, so neither needs a case of its own; the
// fourth byte stays 255.
void BlendPixels(const uint8_t* const* rows, unsigned opacity, std::size_t from, std::size_t to,
                 uint32_t* dst) {
    const uint8_t *b = rows[0], *g = rows[1], *r = rows[2], *alpha = rows[3];
    for (std::size_t at = from; at < to; ++at, ++dst) {
        const uint32_t a = Div255(alpha[at] * opacity), keep = 255 - a;
        const uint32_t under = *dst;
        const uint32_t blueRed = uint32_t{b[at]} | uint32_t{r[at]} << 16;
        const uint32_t greenFull = uint32_t{g[at]} | 0x00FF0000u;
        *dst = Div255Pair(blueRed * a + (under & 0x00FF00FFu) * keep) |
               Div255Pair(greenFull * a + ((under >> 8) & 0x00FF00FFu) * keep) << 8;
    }
}

#ifdef __SSE2__
// Div255 on eight 16-bit lanes, each at most 255 * 255.
inline __m128i Div255Lanes(__m128i v) {
    const __m128i t = _mm_add_epi16(v, _mm_set1_epi16(128));
    return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
}

// Two pixels' channels (16 bits each) of the layer and of what lies under it, mixed by a.
inline __m128i Mix(__m128i layer, __m128i under, __m128i a) {
    const __m128i keep = _mm_sub_epi16(_mm_set1_epi16(255), a);
    return Div255Lanes(_mm_add_epi16(_mm_mullo_epi16(layer, a), _mm_mullo_epi16(under, keep)));
}

// BlendPixels eight pixels at a time, with every channel in a 16-bit lane of its own; the
// same rounding, so the same pixels.
void BlendRow(const uint8_t* const* rows, unsigned opacity, std::size_t from, std::size_t to,
              uint32_t* dst) {
    const auto load8 = [](const uint8_t* p) {
        return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
    };
    const __m128i zero = _mm_setzero_si128(), op = _mm_set1_epi16(short(opacity));
    std::size_t at = from;
    for (; at + 8 <= to; at += 8, dst += 8) {
        // Each pixel's a, repeated for its four bytes.
        const __m128i a16 =
            Div255Lanes(_mm_mullo_epi16(_mm_unpacklo_epi8(load8(rows[3] + at), zero), op));
        const __m128i a8 = _mm_packus_epi16(a16, a16);
        const __m128i aa = _mm_unpacklo_epi8(a8, a8);
        const __m128i aQuads[2] = {_mm_unpacklo_epi16(aa, aa), _mm_unpackhi_epi16(aa, aa)};
        // The layer's pixels as the picture holds them: blue, green, red, 255.
        const __m128i bg = _mm_unpacklo_epi8(load8(rows[0] + at), load8(rows[1] + at));
        const __m128i rf = _mm_unpacklo_epi8(load8(rows[2] + at), _mm_set1_epi8(-1));
        const __m128i layer[2] = {_mm_unpacklo_epi16(bg, rf), _mm_unpackhi_epi16(bg, rf)};
        auto* out = reinterpret_cast<__m128i*>(dst);
        for (int half = 0; half < 2; ++half) {
            const __m128i under = _mm_loadu_si128(out + half), a = aQuads[half];
            const __m128i low = Mix(_mm_unpacklo_epi8(layer[half], zero),
                                    _mm_unpacklo_epi8(under, zero), _mm_unpacklo_epi8(a, zero));
            const __m128i high = Mix(_mm_unpackhi_epi8(layer[half], zero),
                                     _mm_unpackhi_epi8(under, zero), _mm_unpackhi_epi8(a, zero));
            _mm_storeu_si128(out + half, _mm_packus_epi16(low, high));
        }
    }
    BlendPixels(rows, opacity, at, to, dst);
}
#else
void BlendRow(const uint8_t* const* rows, unsigned opacity, std::size_t from, std::size_t to,
              uint32_t* dst) {
    BlendPixels(rows, opacity, from, to, dst);
}
#endif

}  // namespace

void BlendNormal(const LayerPixels& layer, uint8_t* out, int32_t width, int32_t height) {
    const int64_t x0 = std::max<int64_t>(layer.left, 0);
    const int64_t y0 = std::max<int64_t>(layer.top, 0);
    const int64_t x1 = std::min<int64_t>(int64_t{layer.left} + layer.width, width);
    const int64_t y1 = std::min<int64_t>(int64_t{layer.top} + layer.height, height);
    if (x0 >= x1 || y0 >= y1 || layer.bgra.size() < std::size_t(layer.width) * layer.height * 4)
        return;
    const unsigned opacity = layer.opacity;
    for (int64_t y = y0; y < y1; ++y) {
        const uint8_t* src =
            layer.bgra.data() +
            (std::size_t(y - layer.top) * std::size_t(layer.width) + std::size_t(x0 - layer.left)) *
                4;
        uint8_t* dst = out + (std::size_t(y) * std::size_t(width) + std::size_t(x0)) * 4;
        for (int64_t x = x0; x < x1; ++x, src += 4, dst += 4) {
            const unsigned a = (src[3] * opacity + 127) / 255;
            if (a == 255) {
                std::memcpy(dst, src, 3);
            } else if (a != 0) {
                for (int c = 0; c < 3; ++c)
                    dst[c] = static_cast<uint8_t>((src[c] * a + dst[c] * (255 - a) + 127) / 255);
            }
        }
    }
}

void BlendNormalRow(const LayerPixels& layer, int32_t y, const uint8_t* const* rows, uint8_t* out,
                    int32_t width, int32_t height) {
    const int64_t docY = int64_t{layer.top} + y;
    const int64_t x0 = std::max<int64_t>(layer.left, 0);
    const int64_t x1 = std::min<int64_t>(int64_t{layer.left} + layer.width, width);
    if (docY < 0 || docY >= height || x0 >= x1) return;
    const std::size_t from = std::size_t(x0 - layer.left), to = std::size_t(x1 - layer.left);
    const uint8_t* alpha = rows[3];
    // A row with nothing painted (most of a layer added over part of the picture) changes
    // nothing.
    if (layer.opacity == 0 ||
        std::all_of(alpha + from, alpha + to, [](uint8_t a) { return a == 0; }))
        return;
    const unsigned opacity = layer.opacity;
    uint8_t* dst = out + (std::size_t(docY) * std::size_t(width) + std::size_t(x0)) * 4;
    for (std::size_t at = from; at < to; ++at, dst += 4) {
        const unsigned a = (alpha[at] * opacity + 127) / 255;
        if (a == 255) {
            dst[0] = rows[0][at];
            dst[1] = rows[1][at];
            dst[2] = rows[2][at];
        } else if (a != 0) {
            for (int c = 0; c < 3; ++c)
                dst[c] = static_cast<uint8_t>((rows[c][at] * a + dst[c] * (255 - a) + 127) / 255);
        }
    }
}

std::vector<bool> ShownLayers(const std::vector<LayerPixels>& layers, bool& approximated) {
    approximated = false;
    // Walked from the top, a group's own record comes before its members and its end marker
    // after them.
    std::vector<bool> shown(layers.size(), false);
    std::vector<bool> groups;  // visibility of the groups open at this point, outermost first
    for (std::size_t i = layers.size(); i-- > 0;) {
        const LayerPixels& l = layers[i];
        const bool inside = std::find(groups.begin(), groups.end(), false) == groups.end();
        if (l.section == LayerSection::GroupEnd) {
            if (!groups.empty()) groups.pop_back();
        } else if (l.section == LayerSection::Group) {
            groups.push_back(l.visible);
            if (inside && l.visible && (l.blendMode != kPassThrough || l.opacity != 255))
                approximated = true;
        } else {
            shown[i] = inside && l.visible;
            if (shown[i] && (l.blendMode != kNormal || l.clipping || l.hasMask || l.hasEffects))
                approximated = true;
        }
    }
    return shown;
}

bool ComposeSection(ByteSource& source, uint64_t at, uint64_t length, bool large, int32_t width,
                    int32_t height, uint8_t* out, bool& approximated) {
    approximated = false;
    const auto w = std::size_t(width);
    auto* const pixels = reinterpret_cast<uint32_t*>(out);
    // Rows start white the first time a layer reaches them, unless an opaque row of the full
    // width covers them anyway (the picture layer most often): the picture is written once.
    std::vector<uint8_t> started(std::size_t(height), 0);
    std::vector<LayerPixels> layers;
    std::vector<bool> shown;
    bool drew = false;
    const bool read = VisitDocumentRowsInOrder(
        source, at, length, large, uint64_t(width), uint64_t(height),
        [&](const std::vector<LayerPixels>& records) {
            layers = records;
            shown = ShownLayers(layers, approximated);
        },
        [&](std::size_t i, int32_t y, const uint8_t* const* rows) {
            const LayerPixels& l = layers[i];
            const int64_t docY = int64_t{l.top} + y;
            if (!shown[i] || docY < 0 || docY >= height) return;
            drew = true;
            const int64_t x0 = std::max<int64_t>(l.left, 0);
            const int64_t x1 = std::min<int64_t>(int64_t{l.left} + l.width, width);
            uint32_t* const line = pixels + std::size_t(docY) * w;
            const std::size_t from = std::size_t(x0 - l.left), to = std::size_t(x1 - l.left);
            uint8_t all = 255, any = 0;  // alpha of the row's pixels, and-ed and or-ed
            for (std::size_t x = from; x < to; ++x) {
                all &= rows[3][x];
                any |= rows[3][x];
            }
            const bool opaque = x0 < x1 && l.opacity == 255 && all == 255;
            if (!started[std::size_t(docY)]) {
                started[std::size_t(docY)] = 1;
                if (!opaque || x0 != 0 || x1 != width) std::fill(line, line + w, kWhite);
            }
            if (x0 >= x1) return;
            if (opaque)
                CopyRow(rows, from, to, line + x0);
            else if (l.opacity != 0 && any != 0)
                BlendRow(rows, l.opacity, from, to, line + x0);
        });
    for (std::size_t y = 0; y < std::size_t(height); ++y)
        if (!started[y]) std::fill(pixels + y * w, pixels + (y + 1) * w, kWhite);
    return read && drew;
}

}  // namespace orv::psd
