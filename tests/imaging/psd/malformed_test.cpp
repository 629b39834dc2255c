// Short, cut and lying files: the decoder refuses them without reading outside its buffer
// and without allocating what the file cannot fill.
#include <gtest/gtest.h>

#include "psd_decoder.h"
#include "psd_writer.h"

namespace orv::psd {
namespace {

using psdtest::Build;
using psdtest::Bytes;
using psdtest::Planes8;
using psdtest::PsdFile;

// Offsets in a file written by Build.
constexpr std::size_t kHeightAt = 14;
constexpr std::size_t kWidthAt = 18;
constexpr std::size_t kColourLengthAt = 26;

void PutU32At(Bytes& b, std::size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

bool Decodes(const Bytes& file) {
    Decoder d;
    Bytes px;
    return d.Decode(file, px);
}

PsdFile RgbaFile(uint16_t compression) {
    Bytes plane(6 * 4);
    for (std::size_t i = 0; i < plane.size(); ++i) plane[i] = static_cast<uint8_t>(i * 37 % 5);
    PsdFile f = Planes8(psdtest::kRgb, 6, 4, {plane, plane, plane, plane});
    f.compression = compression;
    f.resources = Bytes(12, 1);
    f.layers = Bytes(8, 2);
    return f;
}

TEST(PsdMalformed, EveryCutOfAValidFileIsRefused) {
    for (uint16_t compression : {0, 1}) {
        const Bytes file = Build(RgbaFile(compression));
        ASSERT_TRUE(Decodes(file));
        for (std::size_t n = 0; n < file.size(); ++n) {
            // A copy of exactly n bytes, so that a sanitizer sees any read past the cut.
            const Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n));
            EXPECT_FALSE(Decodes(cut)) << "compression " << compression << ", cut at " << n;
        }
    }
}

TEST(PsdMalformed, TenByteFileFailsAndKeepsTheSizeOfTheLastHeader) {
    Decoder d;
    Bytes px;
    ASSERT_TRUE(d.Decode(Build(Planes8(psdtest::kGray, 3, 2, {Bytes(6, 1)})), px));
    EXPECT_FALSE(d.Decode(Bytes{'8', 'B', 'P', 'S', 0, 1, 0, 0, 0, 0}, px));
    EXPECT_EQ(d.header().width, 3);
    EXPECT_EQ(d.header().height, 2);

    // Width and height read before a later failure stay visible.
    PsdFile f = Planes8(psdtest::kGray, 40, 50, {Bytes(10, 1)});
    EXPECT_FALSE(d.Decode(Build(f), px));
    EXPECT_EQ(d.header().width, 40);
    EXPECT_EQ(d.header().height, 50);
}

TEST(PsdMalformed, SectionLengthsWithTheTopBitOrPastTheEndAreRefused) {
    const Bytes good = Build(RgbaFile(0));
    // Offsets of the colour mode data, image resources and layer section lengths.
    for (std::size_t at : {kColourLengthAt, kColourLengthAt + 4, kColourLengthAt + 4 + 12 + 4}) {
        for (uint32_t v :
             {0x80000000u, 0xFFFFFFFFu, 0x80000004u, static_cast<uint32_t>(good.size())}) {
            Bytes bad = good;
            PutU32At(bad, at, v);
            EXPECT_FALSE(Decodes(bad)) << "length at " << at << " = " << v;
        }
    }
    for (std::size_t at : {kHeightAt, kWidthAt}) {
        Bytes bad = good;
        PutU32At(bad, at, 0x80000006u);
        EXPECT_FALSE(Decodes(bad));
    }
}

TEST(PsdMalformed, LyingChannelCountsAreRefused) {
    for (uint16_t compression : {0, 1}) {
        const PsdFile rgb =
            Planes8(psdtest::kRgb, 4, 4, {Bytes(16, 9), Bytes(16, 8), Bytes(16, 7)});
        for (uint16_t channels : {0, 2, 17, 56, 57, 65535}) {
            PsdFile f = rgb;
            f.compression = compression;
            f.channels = channels;
            EXPECT_FALSE(Decodes(Build(f))) << channels << " channels, compression " << compression;
        }
        PsdFile cmyk = rgb;
        cmyk.mode = psdtest::kCmyk;  // three planes cannot make CMYK
        cmyk.compression = compression;
        EXPECT_FALSE(Decodes(Build(cmyk)));
    }
}

TEST(PsdMalformed, ImpossibleSizesAreRefusedBeforeAllocating) {
    const PsdFile small = Planes8(psdtest::kRgb, 2, 2, {Bytes(4, 1), Bytes(4, 2), Bytes(4, 3)});
    struct Case {
        int32_t width, height;
    };
    // Zero sides, sides over the format's limit, a product past 32 bits, and a header that
    // claims far more pixels than the file holds (20000 x 20000 in 62 bytes).
    for (const Case c : {Case{0, 2}, Case{2, 0}, Case{30001, 1}, Case{1, 30001}, Case{30000, 30000},
                         Case{23171, 23171}, Case{20000, 20000}}) {
        for (uint16_t compression : {0, 1}) {
            Bytes file = Build(small);
            PutU32At(file, kWidthAt, static_cast<uint32_t>(c.width));
            PutU32At(file, kHeightAt, static_cast<uint32_t>(c.height));
            file[kColourLengthAt + 12 + 1] = static_cast<uint8_t>(compression);
            Decoder d;
            Bytes px;
            EXPECT_FALSE(d.Decode(file, px)) << c.width << " x " << c.height;
            EXPECT_TRUE(px.empty());
            EXPECT_EQ(d.header().width, c.width);
        }
    }
    Bytes tiny = Build(small);
    PutU32At(tiny, kWidthAt, 20000);
    PutU32At(tiny, kHeightAt, 20000);
    tiny.resize(62);
    EXPECT_FALSE(Decodes(tiny));
}

TEST(PsdMalformed, SizeFieldsDoNotOverflow) {
    Decoder d;
    Bytes px;
    Bytes file = Build(Planes8(psdtest::kGray, 1, 1, {{1}}));
    PutU32At(file, kWidthAt, 0x7FFFFFFF);
    PutU32At(file, kHeightAt, 0x7FFFFFFF);
    EXPECT_FALSE(d.Decode(file, px));
    EXPECT_EQ(d.Scanline(), 0);
    EXPECT_EQ(d.SizeImage(), 0);
    PutU32At(file, kWidthAt, 10000);
    PutU32At(file, kHeightAt, 3000);
    EXPECT_FALSE(d.Decode(file, px));
    EXPECT_EQ(d.Scanline(), 40000);
    EXPECT_EQ(d.SizeImage(), 120000000);
}

TEST(PsdMalformed, PackBitsDataThatDoesNotFillEveryPlaneIsRefused) {
    Bytes file = Build(RgbaFile(1));
    // Header, three empty-ish sections, compression, then 4 channels x 4 rows of counts.
    const std::size_t dataAt = 26 + 4 + (4 + 12) + (4 + 8) + 2 + 4 * 4 * 2;
    file.resize(dataAt);
    // Runs of 24 bytes, one plane each: three planes are not enough for four channels.
    for (int plane = 0; plane < 3; ++plane) file.insert(file.end(), {0xE9, 5});
    EXPECT_FALSE(Decodes(file));
    file.insert(file.end(), {0xE9, 5});
    EXPECT_TRUE(Decodes(file));
}

}  // namespace
}  // namespace orv::psd
