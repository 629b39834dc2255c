#include "psd_compose.h"

#include <algorithm>
#include <cstring>

namespace orv::psd {

namespace {

// v / 255 rounded to the nearest integer, for v up to 255 * 255: the same as (v + 127) / 255,
// without the division.
inline unsigned Div255(unsigned v) {
    const unsigned t = v + 128;
    return (t + (t >> 8)) >> 8;
}

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

bool ComposeSection(std::span<const uint8_t> section, bool large, int32_t width, int32_t height,
                    uint8_t* out, bool& approximated) {
    approximated = false;
    std::fill(out, out + std::size_t(width) * std::size_t(height) * 4, uint8_t{255});
    std::vector<LayerPixels> layers;
    std::vector<bool> shown;
    bool drew = false;
    const bool read = VisitLayerRows(
        section, large, uint64_t(width), uint64_t(height),
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
            uint8_t* dst = out + (std::size_t(docY) * std::size_t(width) + std::size_t(x0)) * 4;
            const unsigned opacity = l.opacity;
            const std::size_t from = std::size_t(x0 - l.left), to = std::size_t(x1 - l.left);
            if (opacity == 255 &&
                std::all_of(rows[3] + from, rows[3] + to, [](uint8_t a) { return a == 255; })) {
                // An opaque row (most of a picture layer) replaces what lies under it.
                const uint8_t *b = rows[0], *g = rows[1], *r = rows[2];
                for (std::size_t at = from; at < to; ++at, dst += 4) {
                    dst[0] = b[at];
                    dst[1] = g[at];
                    dst[2] = r[at];
                }
                return;
            }
            const uint8_t *b = rows[0], *g = rows[1], *r = rows[2], *alpha = rows[3];
            for (std::size_t at = from; at < to; ++at, dst += 4) {
                const unsigned a = Div255(alpha[at] * opacity);
                dst[0] = static_cast<uint8_t>(Div255(b[at] * a + dst[0] * (255 - a)));
                dst[1] = static_cast<uint8_t>(Div255(g[at] * a + dst[1] * (255 - a)));
                dst[2] = static_cast<uint8_t>(Div255(r[at] * a + dst[2] * (255 - a)));
            }
        });
    return read && drew;
}

}  // namespace orv::psd
