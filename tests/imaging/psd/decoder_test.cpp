// The pure decoder on files made by the test writer: conversions, PackBits data, and short,
// cut or lying files refused without reading outside the buffer or allocating what the file
// cannot fill.
#include <gtest/gtest.h>

#include <array>
#include <random>

#include "psd_decoder.h"
#include "psd_writer.h"

namespace orv::psd {
namespace {

using namespace psdtest;
using Rgb = std::array<int, 3>;

// Red, green and blue of pixel i, with the fourth byte checked to be opaque.
Rgb PixelAt(const Bytes& px, std::size_t i) {
    EXPECT_EQ(px.at(4 * i + 3), 255);
    return {px.at(4 * i + 2), px.at(4 * i + 1), px.at(4 * i)};
}

Bytes Decoded(Decoder& d, const Bytes& file) {
    Bytes px;
    EXPECT_TRUE(d.Decode(file, px));
    return px;
}

Bytes Decoded(const Bytes& file) {
    Decoder d;
    return Decoded(d, file);
}

bool Decodes(const Bytes& file) {
    Bytes px;
    return Decoder().Decode(file, px);
}

// Noise with long runs, so that PackBits uses literals and repeats.
Bytes TestPlane(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    Bytes p(n);
    for (std::size_t i = 0; i < n; ++i) p[i] = (i / 7) % 3 == 0 ? 200 : static_cast<uint8_t>(rng());
    return p;
}

// Raw data, PackBits row by row, and PackBits as one stream whose runs start at odd offsets
// and cross row and plane ends, all give each sample's high byte.
TEST(PsdDecoder, RawAndPackBitsGiveTheHighByteOfEverySample) {
    const int w = 45, h = 7;  // rows long enough for the chunked run copies
    for (uint16_t depth : {8, 16}) {
        SCOPED_TRACE(depth);
        const std::size_t n = std::size_t{w} * h * (depth / 8);
        PsdFile f = Planes8(kRgb, w, h, {TestPlane(n, 4), TestPlane(n, 5), TestPlane(n, 6)});
        f.depth = depth;
        const Bytes raw = Decoded(Build(f));
        ASSERT_EQ(raw.size(), std::size_t{w} * h * 4);
        for (std::size_t i = 0; i < std::size_t{w} * h; ++i) {
            const std::size_t s = i * (depth / 8);
            ASSERT_EQ(PixelAt(raw, i), (Rgb{f.planes[s], f.planes[n + s], f.planes[2 * n + s]}));
        }
        f.compression = 1;
        EXPECT_EQ(Decoded(Build(f)), raw);

        PsdFile header = f;
        header.planes.clear();
        Bytes file = Build(header);
        file.insert(file.end(), 3 * h * 2, 0);  // per-row byte counts, not used
        // A one-byte literal shifts the rest; header byte 128 produces nothing.
        file.insert(file.end(), {0x00, f.planes[0], 0x80});
        const Bytes stream = PackRow(f.planes.data() + 1, f.planes.size() - 1);
        file.insert(file.end(), stream.begin(), stream.end());
        file.push_back(0x80);
        EXPECT_EQ(Decoded(file), raw);
    }
}

TEST(PsdDecoder, EachModeConvertsItsPlanes) {
    Bytes palette(768);
    for (int i = 0; i < 768; ++i) palette[i] = static_cast<uint8_t>(i * 7 + i / 256);
    PsdFile indexed = Planes8(kIndexed, 3, 1, {{0, 5, 255}});
    indexed.colourData = palette;
    PsdFile duotone = Planes8(kDuotone, 2, 1, {{0, 173}});
    duotone.colourData = Bytes(524, 1);  // duotone ink data; the composite is grayscale
    PsdFile bitmap = Planes8(kBitmap, 10, 2, {{0b10100000, 0b01000000, 0xFF, 0x00}});
    bitmap.depth = 1;  // rows of two bytes; a set bit is black
    const Rgb k{0, 0, 0}, w{255, 255, 255};
    const struct {
        const char* name;
        PsdFile file;
        std::vector<Rgb> want;
    } cases[] = {
        {"gray", Planes8(kGray, 2, 1, {{0, 173}}), {k, {173, 173, 173}}},
        {"duotone", duotone, {k, {173, 173, 173}}},
        // Red, green and blue from bytes v, 256 + v and 512 + v of the table.
        {"indexed",
         indexed,
         {{palette[0], palette[256], palette[512]},
          {palette[5], palette[261], palette[517]},
          {palette[255], palette[511], palette[767]}}},
        {"rgba",  // the transparency channel does not show
         Planes8(kRgb, 2, 1, {{10, 20}, {30, 40}, {50, 60}, {0, 0}}),
         {{10, 30, 50}, {20, 40, 60}}},
        // No ink is white, K 0 is black, sums below 0 are clamped.
        {"cmyk",
         Planes8(kCmyk, 3, 1, {{255, 255, 200}, {255, 255, 100}, {255, 255, 255}, {255, 0, 150}}),
         {w, k, {95, 0, 150}}},
        {"lab",
         Planes8(kLab, 3, 1, {{255, 0, 128}, {128, 128, 128}, {128, 128, 128}}),
         {w, {9, 9, 9}, {119, 119, 119}}},
        {"bitmap", bitmap, {k, w, k, w, w, w, w, w, w, k, k, k, k, k, k, k, k, k, w, w}},
    };
    for (const auto& c : cases) {
        for (uint16_t compression : {0, 1}) {
            SCOPED_TRACE(::testing::Message() << c.name << ", compression " << compression);
            PsdFile f = c.file;
            f.compression = compression;
            const Bytes px = Decoded(Build(f));
            ASSERT_EQ(px.size(), c.want.size() * 4);
            for (std::size_t i = 0; i < c.want.size(); ++i) EXPECT_EQ(PixelAt(px, i), c.want[i]);
        }
    }
    // Large a is magenta; large b on a light green pixel leaves no blue at all.
    const auto magenta = LabToRgb(128, 255, 128);
    EXPECT_GT(magenta[0], magenta[1]);
    EXPECT_GT(magenta[2], magenta[1]);
    EXPECT_EQ(LabToRgb(255, 0, 255)[2], 0);
}

// Values past a short colour table are black, whatever table an earlier file had.
TEST(PsdDecoder, ShortColourTableLeavesLaterValuesBlack) {
    Decoder d;
    PsdFile full = Planes8(kIndexed, 1, 1, {{3}});
    full.colourData = Bytes(768, 200);
    ASSERT_EQ(PixelAt(Decoded(d, Build(full)), 0), (Rgb{200, 200, 200}));
    PsdFile small = Planes8(kIndexed, 2, 1, {{1, 3}});
    small.colourData = {1, 2, 3, 4, 5, 6};  // reds, greens, blues of two entries
    const Bytes px = Decoded(d, Build(small));
    EXPECT_EQ(PixelAt(px, 0), (Rgb{2, 4, 6}));
    EXPECT_EQ(PixelAt(px, 1), (Rgb{0, 0, 0}));
}

// Multichannel and unknown modes, ZIP, 32-bit samples, a colour table over 256 entries or
// none, 1-bit grayscale, lying channel counts, six channels of PackBits data (five are taken,
// see the cuts below): refused, never converted with the kind of the file before.
TEST(PsdDecoder, UndecodedInputsAreRefusedEvenAfterAGoodFile) {
    const PsdFile rgb = Planes8(kRgb, 1, 1, {{1}, {2}, {3}});
    std::vector<PsdFile> refused(9, rgb);
    refused[0].mode = kMultichannel, refused[1].mode = 5;
    refused[2].mode = kCmyk;                                 // three planes cannot make CMYK
    refused[3].compression = 2, refused[4].compression = 3;  // the ZIP methods
    refused[5].depth = 32, refused[5].planes = Bytes(12);
    refused[6].mode = kIndexed;  // no colour table
    refused[7].mode = kIndexed, refused[7].colourData = Bytes(771, 0);
    refused[8].mode = kGray, refused[8].depth = 1;
    for (uint16_t channels : {0, 2, 17, 56, 57, 65535})
        refused.emplace_back(rgb).channels = channels;
    refused.push_back(Planes8(kRgb, 1, 1, {{1}, {2}, {3}, {4}, {5}, {6}}));
    ASSERT_TRUE(Decodes(Build(refused.back())));  // as raw data, six channels are fine
    refused.back().compression = 1;
    Decoder d;
    for (PsdFile f : refused) {
        for (uint16_t packed : {0, 1}) {
            if (f.compression == 0) f.compression = packed;
            Decoded(d, Build(rgb));
            Bytes px;
            EXPECT_FALSE(d.Decode(Build(f), px))
                << "mode " << f.mode << ", depth " << f.depth << ", " << f.channels
                << " channels, compression " << f.compression;
        }
    }
}

TEST(PsdMalformed, EveryCutOfAValidFileIsRefused) {
    Bytes plane(6 * 4);
    for (std::size_t i = 0; i < plane.size(); ++i) plane[i] = static_cast<uint8_t>(i * 37 % 5);
    PsdFile f = Planes8(kRgb, 6, 4, {plane, plane, plane, plane, plane});
    f.resources = Bytes(12, 1);
    f.layers = Bytes(8, 2);
    for (uint16_t compression : {0, 1}) {
        f.compression = compression;
        const Bytes file = Build(f);
        ASSERT_TRUE(Decodes(file));
        for (std::size_t n = 0; n < file.size(); ++n) {
            // A copy of exactly n bytes, so that a sanitizer sees any read past the cut.
            const Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n));
            EXPECT_FALSE(Decodes(cut)) << "compression " << compression << ", cut at " << n;
        }
        if (compression == 1) continue;
        // Section lengths (colour data, resources, layers) with the top bit or past the end.
        for (std::size_t at : {kColourLengthAt, kColourLengthAt + 4, kColourLengthAt + 20}) {
            for (uint32_t v : {0x80000000u, 0xFFFFFFFFu, 0x80000004u, uint32_t(file.size())}) {
                Bytes bad = file;
                PutU32At(bad, at, v);
                EXPECT_FALSE(Decodes(bad)) << "length at " << at << " = " << v;
            }
        }
    }
}

// Zero sides, sides with the top bit or over the format's limit, a product past 32 bits, and a
// header that claims far more pixels than the file holds: refused before allocating, with
// the size kept as read.
TEST(PsdMalformed, ImpossibleSizesAreRefusedBeforeAllocating) {
    const PsdFile small = Planes8(kRgb, 2, 2, {Bytes(4, 1), Bytes(4, 2), Bytes(4, 3)});
    const std::pair<uint32_t, uint32_t> sizes[] = {
        {0, 2},          {2, 0},          {30001, 1},
        {1, 30001},      {23171, 23171},  {20000, 20000},
        {2, 0x80000006}, {0x80000006, 2}, {0x7FFFFFFF, 0x7FFFFFFF}};
    for (const auto& [width, height] : sizes) {
        for (uint16_t compression : {0, 1}) {
            Bytes file = Build(small);
            PutU32At(file, kWidthAt, width);
            PutU32At(file, kHeightAt, height);
            file[kColourLengthAt + 12 + 1] = static_cast<uint8_t>(compression);
            Decoder d;
            Bytes px;
            EXPECT_FALSE(d.Decode(file, px)) << width << " x " << height;
            EXPECT_TRUE(px.empty());
            if (width > 0x7FFFFFFF || height > 0x7FFFFFFF) continue;
            EXPECT_EQ(d.header().width, int32_t(width));
            EXPECT_EQ(d.header().height, int32_t(height));
            if (width != 0x7FFFFFFF) continue;
            EXPECT_EQ(d.Scanline(), 0);  // sizes past 32 bits read as 0
            EXPECT_EQ(d.SizeImage(), 0);
        }
    }
}

}  // namespace
}  // namespace orv::psd
