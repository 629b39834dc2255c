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
        // No read holds more than a piece, and the data is read about twice (index, convert).
        EXPECT_LE(packedSource.largest, std::size_t{1} << 20);
        EXPECT_LT(packedSource.read, 2 * packed.size() + (std::size_t{8} << 20));
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

}  // namespace
}  // namespace orv::psd
