// Conversions and compressions of the pure decoder, on files made by the test writer.
#include <gtest/gtest.h>

#include <array>
#include <random>

#include "psd_decoder.h"
#include "psd_packbits.h"
#include "psd_writer.h"

namespace orv::psd {
namespace {

using psdtest::Build;
using psdtest::Bytes;
using psdtest::Planes8;
using psdtest::PsdFile;
using Rgb = std::array<int, 3>;

// Red, green and blue of pixel i, with the fourth byte checked to be opaque.
Rgb PixelAt(const Bytes& px, std::size_t i) {
    EXPECT_EQ(px.at(4 * i + 3), 255);
    return {px.at(4 * i + 2), px.at(4 * i + 1), px.at(4 * i)};
}

Bytes DecodeOrFail(Decoder& d, const PsdFile& f) {
    const Bytes file = Build(f);
    Bytes px;
    EXPECT_TRUE(d.Decode(file, px));
    return px;
}

Bytes DecodeOrFail(const PsdFile& f) {
    Decoder d;
    return DecodeOrFail(d, f);
}

// A picture with both noise and long runs, so that PackBits uses literals and repeats.
Bytes TestPlane(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    Bytes p(n);
    for (std::size_t i = 0; i < n; ++i) p[i] = (i / 7) % 3 == 0 ? 200 : static_cast<uint8_t>(rng());
    return p;
}

TEST(PsdDecoderRgb, RawAndPackBitsGiveTheStoredColours) {
    const int w = 37, h = 11;
    const std::size_t n = w * h;
    PsdFile f = Planes8(psdtest::kRgb, w, h, {TestPlane(n, 1), TestPlane(n, 2), TestPlane(n, 3)});
    const Bytes raw = DecodeOrFail(f);
    f.compression = 1;
    const Bytes packed = DecodeOrFail(f);
    ASSERT_EQ(raw.size(), n * 4);
    EXPECT_EQ(raw, packed);
    for (std::size_t i : {std::size_t{0}, std::size_t{w - 1}, n / 2, n - 1})
        EXPECT_EQ(PixelAt(raw, i), (Rgb{f.planes[i], f.planes[n + i], f.planes[2 * n + i]}));
}

TEST(PsdDecoderRgb, SixteenBitSamplesShowTheirHighBytes) {
    PsdFile f = Planes8(psdtest::kRgb, 2, 1, {});
    f.depth = 16;
    f.channels = 3;
    f.planes = {0x12, 0xFF, 0xAB, 0x00, 0x34, 0x01, 0xCD, 0x80, 0x56, 0x7F, 0xEF, 0xFE};
    for (uint16_t compression : {0, 1}) {
        f.compression = compression;
        const Bytes px = DecodeOrFail(f);
        EXPECT_EQ(PixelAt(px, 0), (Rgb{0x12, 0x34, 0x56}));
        EXPECT_EQ(PixelAt(px, 1), (Rgb{0xAB, 0xCD, 0xEF}));
    }
}

TEST(PsdDecoderRgb, WideRowsUnpackLikeRawOnesAtBothDepths) {
    // Rows long enough for the chunked run copies, packed row by row and as one stream
    // whose runs start at odd row offsets and cross row and plane ends.
    const int w = 45, h = 7;
    for (uint16_t depth : {8, 16}) {
        const std::size_t n = std::size_t{w} * h * (depth / 8);
        PsdFile f =
            Planes8(psdtest::kRgb, w, h, {TestPlane(n, 4), TestPlane(n, 5), TestPlane(n, 6)});
        f.depth = depth;
        const Bytes raw = DecodeOrFail(f);
        f.compression = 1;
        EXPECT_EQ(DecodeOrFail(f), raw) << depth;

        PsdFile header = f;
        header.planes.clear();
        Bytes file = Build(header);
        file.insert(file.end(), 3 * h * 2, 0);  // per-row byte counts, not used
        const Bytes body(f.planes.begin() + 1, f.planes.end());
        const Bytes stream = psdtest::PackRow(body.data(), body.size());
        file.insert(file.end(), {0x00, f.planes[0]});  // a one-byte literal shifts the rest
        file.insert(file.end(), stream.begin(), stream.end());
        Decoder d;
        Bytes px;
        ASSERT_TRUE(d.Decode(file, px)) << depth;
        EXPECT_EQ(px, raw) << depth;
        for (std::size_t i : {std::size_t{0}, std::size_t{w} * h - 1}) {
            const std::size_t s = i * (depth / 8);
            EXPECT_EQ(PixelAt(raw, i), (Rgb{f.planes[s], f.planes[n + s], f.planes[2 * n + s]}));
        }
    }
}

TEST(PsdDecoderRgb, ExtraChannelsAndLayersDoNotShow) {
    // RGB plus a transparency channel and a layer section full of other pixels.
    PsdFile f = Planes8(psdtest::kRgb, 2, 1, {{10, 20}, {30, 40}, {50, 60}, {0, 0}});
    f.layers = Bytes(64, 0xEE);
    f.resources = Bytes(20, 0x77);
    for (uint16_t compression : {0, 1}) {
        f.compression = compression;
        const Bytes px = DecodeOrFail(f);
        EXPECT_EQ(PixelAt(px, 0), (Rgb{10, 30, 50}));
        EXPECT_EQ(PixelAt(px, 1), (Rgb{20, 40, 60}));
    }
}

TEST(PsdDecoderRgb, PackBitsTakesFiveChannelsButNotSix) {
    PsdFile f = Planes8(psdtest::kRgb, 4, 3, {});
    f.compression = 1;
    f.channels = 5;
    f.planes = TestPlane(4 * 3 * 5, 9);
    Decoder d;
    Bytes px;
    EXPECT_TRUE(d.Decode(Build(f), px));
    f.channels = 6;
    f.planes = TestPlane(4 * 3 * 6, 9);
    EXPECT_FALSE(d.Decode(Build(f), px));
    f.compression = 0;  // raw data has no such limit
    EXPECT_TRUE(d.Decode(Build(f), px));
}

TEST(PsdDecoderPackBits, HeaderByte128ProducesNothing) {
    const Bytes in = {0x80, 0x01, 'a', 'b', 0x80, 0xFE, 'c', 0x80};
    Bytes out(5);
    const UnpackResult r = UnpackBits(in, out, 100);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.total, 5u);
    EXPECT_EQ(out, (Bytes{'a', 'b', 'c', 'c', 'c'}));

    // The same padding inside a file's image data leaves the picture unchanged.
    PsdFile f = Planes8(psdtest::kGray, 3, 1, {});
    f.compression = 1;
    f.channels = 1;
    f.planes = {7, 8, 9};
    Bytes file = Build(f);
    file.insert(file.end() - 4, 0x80);  // before the literal run of three
    file.push_back(0x80);
    Decoder d;
    Bytes px;
    ASSERT_TRUE(d.Decode(file, px));
    EXPECT_EQ(PixelAt(px, 0), (Rgb{7, 7, 7}));
    EXPECT_EQ(PixelAt(px, 2), (Rgb{9, 9, 9}));
}

TEST(PsdDecoderPackBits, StreamIgnoresRowBoundariesAndStopsAtTheLimit) {
    // One repeat covering two rows of a 2 x 2 image.
    Bytes out(4);
    EXPECT_TRUE(UnpackBits(Bytes{0xFD, 5}, out, 4).ok);
    EXPECT_EQ(out, (Bytes{5, 5, 5, 5}));
    EXPECT_FALSE(UnpackBits(Bytes{0xFD, 5, 0x00, 1}, out, 4).ok);  // fifth byte past the limit
    EXPECT_FALSE(UnpackBits(Bytes{0x03, 1, 2}, out, 100).ok);      // literal cut short
    EXPECT_FALSE(UnpackBits(Bytes{0x00, 1, 0xFF}, out, 100).ok);   // repeat without its byte
    // Output beyond the buffer is counted, not written.
    Bytes small(2, 0);
    const UnpackResult r = UnpackBits(Bytes{0xFB, 9}, small, 100);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.total, 6u);
    EXPECT_EQ(small, (Bytes{9, 9}));
}

TEST(PsdDecoderPackBits, RunsMayCrossRowAndPlaneBoundaries) {
    // RGB 3 x 2: one repeat fills red's two rows and the first green row; one literal
    // holds the second green row and the first blue row; a repeat ends blue.
    PsdFile f = Planes8(psdtest::kRgb, 3, 2, {});
    f.channels = 3;
    Bytes file = Build(f);                  // no planes: the stream is appended by hand below
    file.insert(file.end(), 3 * 2 * 2, 0);  // per-row byte counts, not used
    file.insert(file.end(), {0xF8, 40, 0x05, 1, 2, 3, 4, 5, 6, 0x80, 0xFE, 9});
    file[39] = 1;  // compression: PackBits
    Decoder d;
    Bytes px;
    ASSERT_TRUE(d.Decode(file, px));
    EXPECT_EQ(PixelAt(px, 0), (Rgb{40, 40, 4}));
    EXPECT_EQ(PixelAt(px, 2), (Rgb{40, 40, 6}));
    EXPECT_EQ(PixelAt(px, 3), (Rgb{40, 1, 9}));
    EXPECT_EQ(PixelAt(px, 5), (Rgb{40, 3, 9}));
}

TEST(PsdDecoderModes, GrayscaleAndDuotoneRepeatTheSample) {
    for (uint16_t mode : {psdtest::kGray, psdtest::kDuotone}) {
        PsdFile f = Planes8(mode, 2, 1, {{0, 173}});
        if (mode == psdtest::kDuotone) f.colourData = Bytes(524, 1);  // duotone ink data
        const Bytes px = DecodeOrFail(f);
        EXPECT_EQ(PixelAt(px, 0), (Rgb{0, 0, 0}));
        EXPECT_EQ(PixelAt(px, 1), (Rgb{173, 173, 173}));
    }
}

TEST(PsdDecoderModes, IndexedTakesTheThreeRunsOfTheTable) {
    PsdFile f = Planes8(psdtest::kIndexed, 3, 1, {{0, 5, 255}});
    f.colourData.resize(768);
    for (int i = 0; i < 768; ++i) f.colourData[i] = static_cast<uint8_t>(i * 7 + i / 256);
    const Bytes px = DecodeOrFail(f);
    for (int i = 0; i < 3; ++i) {
        const int v = f.planes[i];
        EXPECT_EQ(PixelAt(px, i),
                  (Rgb{f.colourData[v], f.colourData[256 + v], f.colourData[512 + v]}));
    }
}

TEST(PsdDecoderModes, ShortColourTableKeepsLaterEntriesOfTheLastFile) {
    Decoder d;
    PsdFile full = Planes8(psdtest::kIndexed, 1, 1, {{3}});
    full.colourData = Bytes(768, 0);
    full.colourData[3] = 11;
    full.colourData[259] = 22;
    full.colourData[515] = 33;
    DecodeOrFail(d, full);
    // Two entries: reds, greens, blues of two colours each.
    PsdFile small = Planes8(psdtest::kIndexed, 2, 1, {{1, 3}});
    small.colourData = {1, 2, 3, 4, 5, 6};
    const Bytes px = DecodeOrFail(d, small);
    EXPECT_EQ(PixelAt(px, 0), (Rgb{2, 4, 6}));
    EXPECT_EQ(PixelAt(px, 1), (Rgb{11, 22, 33}));
}

TEST(PsdDecoderModes, CmykInksAreInverted) {
    const Bytes px = DecodeOrFail(Planes8(
        psdtest::kCmyk, 3, 1, {{255, 255, 200}, {255, 255, 100}, {255, 255, 255}, {255, 0, 150}}));
    EXPECT_EQ(PixelAt(px, 0), (Rgb{255, 255, 255}));  // no ink
    EXPECT_EQ(PixelAt(px, 1), (Rgb{0, 0, 0}));        // full black
    EXPECT_EQ(PixelAt(px, 2), (Rgb{95, 0, 150}));     // sums clamped at 0
}

TEST(PsdDecoderModes, LabFollowsThePlainCubeFormula) {
    const Bytes px = DecodeOrFail(
        Planes8(psdtest::kLab, 5, 1,
                {{255, 0, 128, 128, 255}, {128, 128, 128, 255, 0}, {128, 128, 128, 128, 255}}));
    EXPECT_EQ(PixelAt(px, 0), (Rgb{255, 255, 255}));
    EXPECT_EQ(PixelAt(px, 1), (Rgb{9, 9, 9}));
    EXPECT_EQ(PixelAt(px, 2), (Rgb{119, 119, 119}));
    const Rgb magenta = PixelAt(px, 3);  // large a: red and blue above green
    EXPECT_GT(magenta[0], magenta[1]);
    EXPECT_GT(magenta[2], magenta[1]);
    EXPECT_EQ(PixelAt(px, 4)[2], 0);  // large b on a light, green pixel: no blue at all
}

TEST(PsdDecoderModes, BitmapSetBitsAreBlack) {
    PsdFile f = Planes8(psdtest::kBitmap, 10, 2, {});
    f.depth = 1;
    f.channels = 1;
    f.planes = {0b10100000, 0b01000000, 0xFF, 0x00};  // two bytes per row
    for (uint16_t compression : {0, 1}) {
        f.compression = compression;
        const Bytes px = DecodeOrFail(f);
        ASSERT_EQ(px.size(), 10u * 2 * 4);
        EXPECT_EQ(PixelAt(px, 0), (Rgb{0, 0, 0}));
        EXPECT_EQ(PixelAt(px, 1), (Rgb{255, 255, 255}));
        EXPECT_EQ(PixelAt(px, 2), (Rgb{0, 0, 0}));
        EXPECT_EQ(PixelAt(px, 9), (Rgb{0, 0, 0}));
        EXPECT_EQ(PixelAt(px, 10), (Rgb{0, 0, 0}));
        EXPECT_EQ(PixelAt(px, 18), (Rgb{255, 255, 255}));
    }
}

TEST(PsdDecoderModes, UndecodedInputsAreRefusedEvenAfterAGoodFile) {
    Decoder d;
    DecodeOrFail(d, Planes8(psdtest::kRgb, 1, 1, {{1}, {2}, {3}}));
    Bytes px;
    auto refuses = [&](PsdFile f) { return !d.Decode(Build(f), px); };

    EXPECT_TRUE(refuses(Planes8(psdtest::kMultichannel, 1, 1, {{1}, {2}, {3}})));
    EXPECT_TRUE(refuses(Planes8(5, 1, 1, {{1}, {2}, {3}})));
    PsdFile zip = Planes8(psdtest::kRgb, 1, 1, {{1}, {2}, {3}});
    zip.compression = 2;
    EXPECT_TRUE(refuses(zip));
    zip.compression = 3;
    EXPECT_TRUE(refuses(zip));
    PsdFile deep = Planes8(psdtest::kRgb, 1, 1, {Bytes(4), Bytes(4), Bytes(4)});
    deep.depth = 32;
    EXPECT_TRUE(refuses(deep));
    PsdFile bigTable = Planes8(psdtest::kIndexed, 1, 1, {{0}});
    bigTable.colourData = Bytes(771, 0);
    EXPECT_TRUE(refuses(bigTable));
    bigTable.colourData.clear();
    EXPECT_TRUE(refuses(bigTable));
    PsdFile gray1 = Planes8(psdtest::kGray, 8, 1, {{0}});
    gray1.depth = 1;
    EXPECT_TRUE(refuses(gray1));
}

}  // namespace
}  // namespace orv::psd
