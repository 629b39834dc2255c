// The layered PSD writer: what it writes must come back through our own readers (composite,
// layers, private resource), be the same bytes every time, and be refused cleanly when it
// cannot be written; the PackBits encoder must invert exactly.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "imaging/psd/psd_decoder.h"
#include "imaging/psd/psd_layers.h"
#include "imaging/psd/psd_writer.h"

namespace orv::psd {
namespace {

using Bytes = std::vector<uint8_t>;

// A picture of w × h pixels in blue, green, red, alpha order, with some flat areas (runs) and
// some noise (literals), alpha from `alpha`.
Bytes Pixels(int w, int h, uint32_t seed, bool varyAlpha) {
    std::mt19937 random(seed);
    Bytes p(std::size_t(w) * std::size_t(h) * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* px = &p[(std::size_t(y) * std::size_t(w) + std::size_t(x)) * 4];
            const bool flat = (x / 5 + y) % 3 == 0;
            for (int c = 0; c < 3; ++c)
                px[c] = flat ? static_cast<uint8_t>(40 * c + y) : static_cast<uint8_t>(random());
            px[3] = varyAlpha ? static_cast<uint8_t>(x * 37 % 256) : 255;
        }
    return p;
}

PixelView View(const Bytes& p, int w, int h) {
    return {p.data(), w, h, std::size_t(w) * 4};
}

Bytes Unpack(const Bytes& packed, std::size_t n) {
    Bytes out;
    for (std::size_t i = 0; i < packed.size();) {
        const unsigned h = packed[i++];
        if (h < 128) {
            out.insert(out.end(), packed.begin() + long(i), packed.begin() + long(i + h + 1));
            i += h + 1;
        } else if (h > 128) {
            out.insert(out.end(), 257 - h, packed[i++]);
        }
    }
    EXPECT_EQ(out.size(), n);
    return out;
}

TEST(PackBitsRow, InvertsExactlyAndStaysWithinTheWorstCase) {
    std::vector<Bytes> rows = {{}, {7}, {7, 7}, {7, 7, 7}, {1, 2, 2, 3, 3, 3, 4}};
    for (std::size_t n : {127u, 128u, 129u, 130u, 256u, 257u, 3840u}) {
        rows.push_back(Bytes(n, 9));  // one long run across the 128-byte limit
        Bytes noise(n);
        for (std::size_t i = 0; i < n; ++i) noise[i] = static_cast<uint8_t>(i * 131 + i / 7);
        rows.push_back(noise);  // literals across the limit
        Bytes pairs(n);
        for (std::size_t i = 0; i < n; ++i) pairs[i] = static_cast<uint8_t>(i / 2);
        rows.push_back(pairs);  // runs of two, which stay literal
    }
    for (const Bytes& row : rows) {
        SCOPED_TRACE(row.size());
        Bytes packed = {0xAA};  // appends after what is there
        const std::size_t n = PackBitsRow(row.data(), row.size(), packed);
        EXPECT_EQ(n, packed.size() - 1);
        EXPECT_LE(n, row.size() + (row.size() + 127) / 128);
        EXPECT_EQ(Unpack(Bytes(packed.begin() + 1, packed.end()), row.size()), row);
    }
    Bytes packed;
    const Bytes run(3840, 0);
    EXPECT_EQ(PackBitsRow(run.data(), run.size(), packed), 60u);  // 30 runs of 128
}

struct Doc {
    Bytes merged = Pixels(37, 21, 1, false);
    Bytes picture = Pixels(37, 21, 1, false);
    Bytes mark = Pixels(9, 4, 2, true);
    DocumentLayout layout;

    Doc() {
        layout.composite = View(merged, 37, 21);
        layout.layers.push_back({"Picture", 0, 0, View(picture, 37, 21), 255, true});
        layout.layers.push_back(
            {"Distance 1 \xE2\x80\x94 311px", 20, 5, View(mark, 9, 4), 255, true});
        layout.layers.push_back({"Note 3 \xE5\xB3\xB0\xE5\x80\xBC \xF0\x9F\x93\x8C", 30, 17,
                                 View(mark, 9, 4), 128, false});
        layout.layers.push_back({"Empty", 3, 4, {}, 255, true});
        layout.privateResource = {'{', '"', 'v', '"', ':', '1', '}'};
    }
};

TEST(LayeredWriter, CompositeLayersAndResourceComeBackFromOurReaders) {
    for (ChannelCompression compression : {ChannelCompression::PackBits, ChannelCompression::Raw}) {
        SCOPED_TRACE(static_cast<int>(compression));
        Doc d;
        d.layout.compression = compression;
        Bytes file;
        std::string why;
        ASSERT_TRUE(WriteDocument(d.layout, file, why)) << why;

        Decoder decoder;
        Bytes pixels;
        ASSERT_TRUE(decoder.Decode(file, pixels));
        EXPECT_EQ(decoder.header().width, 37);
        EXPECT_EQ(decoder.header().height, 21);
        ASSERT_EQ(pixels.size(), d.merged.size());
        for (std::size_t i = 0; i < pixels.size(); i += 4)
            ASSERT_EQ(0, std::memcmp(&pixels[i], &d.merged[i], 3)) << "pixel " << i / 4;
        EXPECT_EQ(decoder.privateResource(), d.layout.privateResource);

        std::vector<LayerPixels> layers;
        ASSERT_TRUE(ReadLayers(file, layers));
        ASSERT_EQ(layers.size(), 4u);
        EXPECT_EQ(layers[0].name, "Picture");
        EXPECT_EQ(layers[0].bgra, d.picture);
        EXPECT_EQ(layers[1].name, "Distance 1 \xE2\x80\x94 311px");  // the Unicode name
        EXPECT_EQ(layers[1].bgra, d.mark);                           // alpha included
        EXPECT_EQ(std::tie(layers[1].left, layers[1].top, layers[1].width, layers[1].height),
                  std::make_tuple(20, 5, 9, 4));
        EXPECT_EQ(layers[2].name, d.layout.layers[2].name);  // CJK and a surrogate pair
        EXPECT_FALSE(layers[2].visible);
        EXPECT_EQ(layers[2].opacity, 128);
        EXPECT_TRUE(layers[1].visible);
        EXPECT_EQ(layers[3].width * layers[3].height, 0);

        Bytes again;
        ASSERT_TRUE(WriteDocument(d.layout, again, why));
        EXPECT_EQ(again, file);
    }
}

// Layers reaching past the document keep only the part on it; one wholly outside is empty.
TEST(LayeredWriter, LayersAreCutToTheDocument) {
    Doc d;
    d.layout.layers = {{"left top", -3, -1, View(d.mark, 9, 4), 255, true},
                       {"right bottom", 33, 19, View(d.mark, 9, 4), 255, true},
                       {"outside", 40, 2, View(d.mark, 9, 4), 255, true}};
    Bytes file;
    std::string why;
    ASSERT_TRUE(WriteDocument(d.layout, file, why)) << why;
    std::vector<LayerPixels> layers;
    ASSERT_TRUE(ReadLayers(file, layers));
    ASSERT_EQ(layers.size(), 3u);
    EXPECT_EQ(std::tie(layers[0].left, layers[0].top, layers[0].width, layers[0].height),
              std::make_tuple(0, 0, 6, 3));
    EXPECT_EQ(std::tie(layers[1].left, layers[1].top, layers[1].width, layers[1].height),
              std::make_tuple(33, 19, 4, 2));
    EXPECT_EQ(layers[2].width * layers[2].height, 0);
    for (int y = 0; y < 3; ++y)  // mark rows 1..3, columns 3..8
        EXPECT_EQ(0, std::memcmp(&layers[0].bgra[std::size_t(y) * 6 * 4],
                                 &d.mark[(std::size_t(y + 1) * 9 + 3) * 4], 6 * 4));
    for (int y = 0; y < 2; ++y)  // mark rows 0..1, columns 0..3
        EXPECT_EQ(0, std::memcmp(&layers[1].bgra[std::size_t(y) * 4 * 4],
                                 &d.mark[std::size_t(y) * 9 * 4], 4 * 4));
}

TEST(LayeredWriter, LegacyNamesAreAsciiAndBounded) {
    EXPECT_EQ(AsciiLayerName("Distance 1 \xE2\x80\x94 311px"), "Distance 1 - 311px");
    EXPECT_EQ(AsciiLayerName("Note 3 \xE2\x80\x94 Peak\xE2\x80\xA6"), "Note 3 - Peak...");
    EXPECT_EQ(AsciiLayerName("\xE5\xB3\xB0\xF0\x9F\x93\x8C\xFF"), "???");
    EXPECT_EQ(AsciiLayerName(std::string(300, 'x')).size(), 255u);
}

TEST(LayeredWriter, RefusesWhatTheFormatCannotHold) {
    const Bytes px = Pixels(4, 4, 3, false);
    std::string why;
    Bytes out = {1, 2, 3};
    DocumentLayout empty;
    EXPECT_FALSE(WriteDocument(empty, out, why));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(why.empty());

    DocumentLayout wide;
    wide.composite = {px.data(), 30001, 1, 30001 * 4};
    EXPECT_FALSE(WriteDocument(wide, out, why));

    DocumentLayout missing;
    missing.composite = View(px, 4, 4);
    missing.layers.push_back({"Gone", 0, 0, {nullptr, 3, 3, 12}, 255, true});
    EXPECT_FALSE(WriteDocument(missing, out, why));

    DocumentLayout narrowStride;
    narrowStride.composite = {px.data(), 4, 4, 8};
    EXPECT_FALSE(WriteDocument(narrowStride, out, why));
}

// Every prefix of a written file, and files with damaged bytes, are read or refused without
// reading outside the buffer (the address sanitizer build watches this).
TEST(LayeredWriter, CutAndDamagedFilesAreRefusedCleanly) {
    Doc d;
    Bytes file;
    std::string why;
    ASSERT_TRUE(WriteDocument(d.layout, file, why));
    std::vector<LayerPixels> layers;
    Decoder decoder;
    Bytes pixels;
    // Where the layer section ends: behind the header, the empty colour data, the resources.
    const auto U32At = [&](std::size_t at) {
        return std::size_t(file[at]) << 24 | std::size_t(file[at + 1]) << 16 |
               std::size_t(file[at + 2]) << 8 | file[at + 3];
    };
    const std::size_t layersAt = 34 + U32At(30);
    const std::size_t layersEnd = layersAt + 4 + U32At(layersAt);
    for (std::size_t n = 0; n < file.size(); n += 7) {
        if (n >= layersEnd) {
            ASSERT_TRUE(ReadLayers({file.data(), n}, layers));
            EXPECT_EQ(layers.size(), 4u);
            // Ending with its layers, the file is composed from them; cut inside its merged
            // picture, it is refused.
            EXPECT_EQ(decoder.Decode({file.data(), n}, pixels), n <= layersEnd + 2) << n;
            continue;
        }
        const std::span<const uint8_t> cut(file.data(), n);
        EXPECT_FALSE(ReadLayers(cut, layers) && layers.size() == 4) << n;
        EXPECT_FALSE(decoder.Decode(cut, pixels)) << n;
    }
    for (std::size_t at = 26; at < 200 && at < file.size(); ++at) {
        Bytes damaged = file;
        damaged[at] ^= 0xFF;
        ReadLayers(damaged, layers);
        for (const LayerPixels& l : layers)
            EXPECT_EQ(l.bgra.size(), std::size_t(l.width) * std::size_t(l.height) * 4);
        // The composite does not depend on the resource block: damage there keeps it readable.
        if (at >= 34 && at < 46) {
            EXPECT_TRUE(decoder.Decode(damaged, pixels)) << at;
        }
    }
}

}  // namespace
}  // namespace orv::psd
