// Image data, raw or PackBits, is read from the source a bounded piece at a time, never whole: the
// pixels equal the raw file's, whatever pieces the runs straddle, with a fourth channel after
// the ones converted, and for 16-bit samples.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "psd_decoder.h"
#include "psd_writer.h"

namespace orv::psd {
namespace {

using namespace psdtest;

// A file held in memory that hands out only small windows and records the largest read.
class MeteredSource final : public ByteSource {
  public:
    explicit MeteredSource(const Bytes& bytes) : bytes_(bytes) {}
    uint64_t size() const override { return bytes_.size(); }
    const uint8_t* Fetch(uint64_t offset, std::size_t n) override {
        largest = std::max(largest, n);
        if (offset > bytes_.size() || n > bytes_.size() - offset) return nullptr;
        return bytes_.data() + offset;
    }
    bool ReadAt(uint64_t offset, uint8_t* out, std::size_t n) override {
        largest = std::max(largest, n);
        read += n;
        if (offset > bytes_.size() || n > bytes_.size() - offset) return false;
        std::memcpy(out, bytes_.data() + offset, n);
        return true;
    }
    std::size_t largest = 0;
    uint64_t read = 0;

  private:
    const Bytes& bytes_;
};

// A file whose reads fail from a given byte on, as a file cut while it is read or one on a
// mount that goes away does; the size it reports stays the whole file's.
class FailingSource final : public ByteSource {
  public:
    FailingSource(const Bytes& bytes, uint64_t failFrom) : bytes_(bytes), failFrom_(failFrom) {}
    uint64_t size() const override { return bytes_.size(); }
    const uint8_t* Fetch(uint64_t offset, std::size_t n) override {
        if (offset > bytes_.size() || n > bytes_.size() - offset || offset + n > failFrom_)
            return nullptr;
        return bytes_.data() + offset;
    }
    bool ReadAt(uint64_t offset, uint8_t* out, std::size_t n) override {
        const uint8_t* p = Fetch(offset, n);
        if (!p) return false;
        std::memcpy(out, p, n);
        return true;
    }

  private:
    const Bytes& bytes_;
    uint64_t failFrom_;
};

// Samples with runs and noise, so that PackBits mixes literals and repeats of every length.
Bytes Noise(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    Bytes p(n);
    for (std::size_t i = 0; i < n; ++i)
        p[i] = (i / 97) % 4 == 0 ? uint8_t(i / 500) : static_cast<uint8_t>(rng());
    return p;
}

Bytes Pixels(Decoder& d, ByteSource& source) {
    if (!d.Parse(source)) return {};
    Bytes px(static_cast<std::size_t>(d.SizeImage()));
    d.Convert(px.data());
    return px;
}

TEST(PsdStreaming, PackedDataIsReadInBoundedPiecesAndMatchesRaw) {
    const int w = 1500, h = 900;  // about 4 MB of packed samples per file: several pieces
    for (const uint16_t depth : {8, 16}) {
        SCOPED_TRACE(depth);
        const std::size_t plane = std::size_t(w) * h * (depth / 8);
        PsdFile f;
        f.width = w;
        f.height = h;
        f.depth = depth;
        f.channels = 4;  // RGB and an alpha channel the conversion leaves alone
        for (unsigned c = 0; c < 4; ++c) {
            const Bytes p = Noise(plane, c + depth);
            f.planes.insert(f.planes.end(), p.begin(), p.end());
        }
        const Bytes raw = Build(f);
        f.compression = 1;
        const Bytes packed = Build(f);
        ASSERT_GT(packed.size(), std::size_t{3} << 20);

        Decoder rawDecoder, packedDecoder;
        MeteredSource rawSource(raw), packedSource(packed);
        const Bytes expected = Pixels(rawDecoder, rawSource);
        ASSERT_EQ(expected.size(), std::size_t(w) * h * 4);
        EXPECT_EQ(Pixels(packedDecoder, packedSource), expected);
        // Raw planes too are read a band at a time.
        EXPECT_LE(rawSource.largest, std::size_t{1} << 20);
        // No read holds more than a piece, and rows whose byte counts are right are read once.
        EXPECT_LE(packedSource.largest, std::size_t{1} << 20);
        EXPECT_LT(packedSource.read, packed.size() + (std::size_t{1} << 20));
    }
}

// A read that fails half-way through the image data fails the conversion, raw or packed:
// never a picture with zero bands or rows left from before reported as loaded.
TEST(PsdStreaming, AReadFailingHalfWayThroughThePixelsFailsTheConversion) {
    PsdFile f;
    f.width = 900;
    f.height = 700;
    f.channels = 3;
    for (unsigned c = 0; c < 3; ++c) {
        const Bytes p = Noise(std::size_t(f.width) * f.height, c + 7);
        f.planes.insert(f.planes.end(), p.begin(), p.end());
    }
    for (const uint16_t compression : {0, 1}) {
        SCOPED_TRACE(compression);
        f.compression = compression;
        const Bytes file = Build(f);
        Decoder whole;
        FailingSource never(file, file.size());
        ASSERT_EQ(Pixels(whole, never).size(), std::size_t(f.width) * f.height * 4);
        for (const double at : {0.5, 0.9}) {
            Decoder d;
            FailingSource failing(file, uint64_t(double(file.size()) * at));
            ASSERT_TRUE(d.Parse(failing)) << at;
            Bytes px(static_cast<std::size_t>(d.SizeImage()));
            EXPECT_FALSE(d.Convert(px.data())) << at;
        }
    }
}

TEST(PsdStreaming, PackedDataCutOrOverlongIsRefusedAsBefore) {
    PsdFile f = Planes8(kRgb, 600, 500, {Noise(300000, 1), Noise(300000, 2), Noise(300000, 3)});
    f.compression = 1;
    const Bytes whole = Build(f);
    Decoder d;
    Bytes px;
    EXPECT_TRUE(d.Decode(whole, px));
    // A literal run whose bytes pass the end of the file, in the last piece.
    Bytes cut = whole;
    cut.push_back(5);
    cut.push_back(1);
    EXPECT_FALSE(d.Decode(cut, px));
    for (const std::size_t keep : {whole.size() - 1, whole.size() / 2, whole.size() - 300000}) {
        SCOPED_TRACE(keep);
        EXPECT_FALSE(d.Decode(std::span<const uint8_t>(whole.data(), keep), px));
    }
}

// Where the row byte counts put each plane is only trusted when the stream agrees: counts
// that lie are caught and the stream is walked instead, with the same pixels; rows padded with
// run headers that produce nothing are still read once; damage found while converting fails
// the conversion.
TEST(PsdStreaming, PlanesStartWhereTheCountsSayOnlyWhenTheStreamAgrees) {
    const int w = 600, h = 500;
    const std::size_t plane = std::size_t(w) * h;
    PsdFile f = Planes8(kRgb, w, h, {Noise(plane, 4), Noise(plane, 5), Noise(plane, 6)});
    const Bytes raw = Build(f);
    MeteredSource rawSource(raw);
    Decoder d;
    const Bytes expected = Pixels(d, rawSource);
    ASSERT_EQ(expected.size(), plane * 4);
    f.compression = 1;
    const Bytes packed = Build(f);
    // The counts of plane 0 begin right after the compression field, two bytes per row.
    const std::size_t countsAt = raw.size() - 3 * plane;

    f.padRows = true;
    const Bytes padded = Build(f);
    Bytes shifted = packed;  // one more byte in plane 0's row 7: plane 1 seems to start later
    ++shifted[countsAt + 7 * 2 + 1];
    Bytes zero = packed;  // plane 0 takes no bytes
    std::fill(zero.begin() + countsAt, zero.begin() + countsAt + h * 2, uint8_t{0});
    const struct {
        const char* name;
        const Bytes& file;
        bool readOnce;
    } cases[] = {{"padded rows", padded, true}, {"shifted", shifted, false}, {"zero", zero, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MeteredSource source(c.file);
        EXPECT_EQ(Pixels(d, source), expected);
        EXPECT_EQ(source.read < c.file.size() + (std::size_t{1} << 16), c.readOnce) << source.read;
    }

    // A run of two bytes between planes 0 and 1, counted in plane 0's last row: in the one
    // stream it begins plane 1, so every later sample moves on by two, as the walk (which
    // zeroed counts force) reads it.
    std::size_t plane0 = 0;
    for (int y = 0; y < h; ++y)
        plane0 += packed[countsAt + 2 * y] << 8 | packed[countsAt + 2 * y + 1];
    Bytes between = packed;
    between.insert(between.begin() + std::ptrdiff_t(countsAt + 3 * h * 2 + plane0), {0xFF, 0});
    const std::size_t lastCount = countsAt + 2 * (h - 1);
    const unsigned count = (between[lastCount] << 8 | between[lastCount + 1]) + 2u;
    between[lastCount] = uint8_t(count >> 8);
    between[lastCount + 1] = uint8_t(count);
    Bytes walked = between;
    std::fill(walked.begin() + countsAt, walked.begin() + countsAt + h * 2, uint8_t{0});
    MeteredSource betweenSource(between), walkedSource(walked);
    const Bytes moved = Pixels(d, betweenSource);
    EXPECT_NE(moved, expected);
    EXPECT_EQ(moved, Pixels(d, walkedSource));

    // The last rows cut off: the header and counts are fine, so the damage shows only while
    // converting.
    Bytes damaged = packed;
    damaged.resize(damaged.size() - 20);
    MeteredSource source(damaged);
    ASSERT_TRUE(d.Parse(source));
    Bytes px(plane * 4);
    EXPECT_FALSE(d.Convert(px.data()));
    MeteredSource again(packed);
    EXPECT_EQ(Pixels(d, again), expected);
}

}  // namespace
}  // namespace orv::psd
