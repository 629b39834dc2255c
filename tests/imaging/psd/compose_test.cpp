// Files whose merged picture is missing, empty or black while layers show something are
// composed from their layers; nothing composed means no picture. The large document format
// (PSB) gives the same pixels and layers as the PSD of the same content.
#include <gtest/gtest.h>

#include "imaging/psd/psd_compose.h"
#include "imaging/psd/psd_decoder.h"
#include "imaging/psd/psd_layers.h"
#include "imaging/psd/psd_writer.h"

namespace orv::psd {
namespace {

using Bytes = std::vector<uint8_t>;
constexpr int W = 12, H = 8;

Bytes Fill(int w, int h, uint8_t b, uint8_t g, uint8_t r, uint8_t a) {
    Bytes p(std::size_t(w) * h * 4);
    for (std::size_t i = 0; i < p.size(); i += 4) {
        p[i] = b;
        p[i + 1] = g;
        p[i + 2] = r;
        p[i + 3] = a;
    }
    return p;
}

struct Doc {
    Bytes composite = Fill(W, H, 0, 0, 0, 255);  // black: what writers leave for "none"
    Bytes base = Fill(W, H, 200, 100, 50, 255);
    Bytes half = Fill(4, 4, 0, 0, 255, 128);  // red, half covered
    Bytes hidden = Fill(W, H, 0, 255, 0, 255);
    DocumentLayout layout;
    Doc() {
        layout.composite = {composite.data(), W, H, W * 4};
        layout.layers = {{"base", 0, 0, {base.data(), W, H, W * 4}},
                         {"half", 2, 3, {half.data(), 4, 4, 16}, 255},
                         {"hidden", 0, 0, {hidden.data(), W, H, W * 4}, 255, false}};
    }
    Bytes Write() const {
        Bytes out;
        std::string why;
        EXPECT_TRUE(WriteDocument(layout, out, why)) << why;
        return out;
    }
};

// Where a written file's layer section ends: header, colour mode data and resources are
// skipped by their lengths.
std::size_t LayersEnd(const Bytes& f, bool large) {
    auto u32 = [&](std::size_t at) {
        return std::size_t(f[at]) << 24 | std::size_t(f[at + 1]) << 16 |
               std::size_t(f[at + 2]) << 8 | f[at + 3];
    };
    std::size_t at = 26;
    at += 4 + u32(at);
    at += 4 + u32(at);
    return large ? at + 8 + (u32(at) << 32 | u32(at + 4)) : at + 4 + u32(at);
}

// The pixel at x, y of a decoded picture as 0xRRGGBB.
uint32_t At(const Bytes& px, int x, int y) {
    const uint8_t* p = px.data() + (std::size_t(y) * W + x) * 4;
    return uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
}

TEST(ComposeFromLayers, ABlackOrMissingMergedPictureIsComposedFromTheVisibleLayers) {
    const Doc doc;
    const Bytes black = doc.Write();
    const Bytes missing(black.begin(), black.begin() + long(LayersEnd(black, false)));
    for (const Bytes* file : {&black, &missing}) {
        Decoder d;
        Bytes px;
        ASSERT_TRUE(d.Decode(*file, px));
        EXPECT_TRUE(d.ComposedFromLayers());
        EXPECT_FALSE(d.Approximated());
        EXPECT_EQ(At(px, 0, 0), 0x3264C8u);  // the base; the hidden green layer stays out
        EXPECT_EQ(At(px, 11, 7), 0x3264C8u);
        // Half red over the base: (255 * 128 + 50 * 127 + 127) / 255 and so on.
        EXPECT_EQ(At(px, 2, 3), uint32_t{153} << 16 | uint32_t{50} << 8 | 100);
        EXPECT_EQ(At(px, 5, 6), At(px, 2, 3));
        EXPECT_EQ(At(px, 6, 6), 0x3264C8u);
    }
    // A merged picture that is really there is what the file shows.
    Doc stored;
    stored.composite = Fill(W, H, 9, 8, 7, 255);
    stored.layout.composite.data = stored.composite.data();
    Decoder d;
    Bytes px;
    ASSERT_TRUE(d.Decode(stored.Write(), px));
    EXPECT_FALSE(d.ComposedFromLayers());
    EXPECT_EQ(At(px, 2, 3), 0x070809u);
}

TEST(ComposeFromLayers, NothingToComposeIsNoPictureAndOtherBlendingIsFlagged) {
    Doc doc;
    doc.layout.layers[0].visible = false;
    doc.layout.layers[1].visible = false;
    Bytes px;
    const Bytes allHidden = doc.Write();
    Bytes cut(allHidden.begin(), allHidden.begin() + long(LayersEnd(allHidden, false)));
    EXPECT_FALSE(Decoder().Decode(cut, px));
    // With a black merged picture stored, that picture is what the file shows.
    Decoder stays;
    ASSERT_TRUE(stays.Decode(allHidden, px));
    EXPECT_FALSE(stays.ComposedFromLayers());
    EXPECT_EQ(At(px, 3, 3), 0u);
    EXPECT_EQ(px[3], 255);
    // Without layers, a file that ends before its picture is still refused, and a black one
    // is just black.
    Doc flat;
    flat.layout.layers.clear();
    const Bytes plain = flat.Write();
    Decoder d;
    ASSERT_TRUE(d.Decode(plain, px));
    EXPECT_FALSE(d.ComposedFromLayers());
    EXPECT_EQ(At(px, 3, 3), 0u);
    EXPECT_FALSE(
        Decoder().Decode(Bytes(plain.begin(), plain.begin() + long(LayersEnd(plain, false))), px));

    // A layer in another blend mode is drawn normally, and that is said.
    Bytes screen = Doc().Write();
    const std::string norm = "8BIMnorm";
    const auto second =
        std::search(std::search(screen.begin(), screen.end(), norm.begin(), norm.end()) + 1,
                    screen.end(), norm.begin(), norm.end());
    ASSERT_NE(second, screen.end());
    std::copy_n("scrn", 4, second + 4);
    Decoder blended;
    ASSERT_TRUE(blended.Decode(screen, px));
    EXPECT_TRUE(blended.ComposedFromLayers());
    EXPECT_TRUE(blended.Approximated());
}

TEST(ComposeFromLayers, HiddenGroupsHideTheirLayers) {
    LayerPixels end, member, group, top;
    end.section = LayerSection::GroupEnd;
    group.section = LayerSection::Group;
    group.blendMode = kPassThrough;
    group.visible = false;
    member.width = member.height = 1;
    top = member;
    bool approximated = true;
    EXPECT_EQ(ShownLayers({end, member, group, top}, approximated),
              (std::vector<bool>{false, false, false, true}));
    EXPECT_FALSE(approximated);
    group.visible = true;
    group.blendMode = kNormal;  // a group with its own blending
    EXPECT_EQ(ShownLayers({end, member, group, top}, approximated),
              (std::vector<bool>{false, true, false, true}));
    EXPECT_TRUE(approximated);
}

// Drawing a layer a row at a time as the file's rows come gives the pixels drawing it whole
// gives: every alpha from none to full, at full and partial opacity, a layer reaching past
// every edge, one wholly outside, and rows with nothing painted.
TEST(ComposeFromLayers, ALayerDrawnRowByRowIsTheLayerDrawnWhole) {
    Bytes shaded = Fill(15, 11, 0, 0, 0, 0);
    for (std::size_t i = 0; i < shaded.size(); i += 4) {
        const std::size_t p = i / 4;
        if (p / 15 == 4) continue;  // a row with nothing painted
        shaded[i] = uint8_t(p * 7);
        shaded[i + 1] = uint8_t(p * 13);
        shaded[i + 2] = uint8_t(255 - p);
        shaded[i + 3] = uint8_t(p * 37 % 256);
    }
    const Bytes base = Fill(W, H, 200, 100, 50, 255);
    for (const uint8_t opacity : {uint8_t(255), uint8_t(140), uint8_t(0)}) {
        for (const auto& [left, top] : {std::pair{-2, -3}, std::pair{0, 0}, std::pair{20, 1}}) {
            SCOPED_TRACE(::testing::Message() << int(opacity) << " at " << left << "," << top);
            DocumentLayout layout;
            layout.composite = {base.data(), W, H, W * 4};
            layout.layers = {{"base", 0, 0, {base.data(), W, H, W * 4}},
                             {"shaded", left, top, {shaded.data(), 15, 11, 60}, opacity}};
            Bytes file;
            std::string why;
            ASSERT_TRUE(WriteDocument(layout, file, why)) << why;
            std::vector<LayerPixels> layers;
            ASSERT_TRUE(ReadLayers(file, layers));
            Bytes whole = base, rows = base;
            BlendNormal(layers[1], whole.data(), W, H);
            ASSERT_TRUE(VisitDocumentRows(
                file, [](const std::vector<LayerPixels>&) {},
                [&](std::size_t i, int32_t y, const uint8_t* const* row) {
                    if (i == 1) BlendNormalRow(layers[1], y, row, rows.data(), W, H);
                }));
            EXPECT_EQ(rows, whole);
            if (opacity == 255 && left == 0) {
                EXPECT_NE(whole, base);
            }
        }
    }
}

// A file that is not in memory: handed out in reads of its own, the largest one recorded.
class PiecedSource final : public ByteSource {
  public:
    explicit PiecedSource(const Bytes& bytes) : bytes_(bytes) {}
    uint64_t size() const override { return bytes_.size(); }
    const uint8_t* Fetch(uint64_t offset, std::size_t n) override {
        window_.resize(n);
        return ReadAt(offset, window_.data(), n) ? window_.data() : nullptr;
    }
    bool ReadAt(uint64_t offset, uint8_t* out, std::size_t n) override {
        largest = std::max(largest, n);
        if (offset > bytes_.size() || n > bytes_.size() - offset) return false;
        std::copy_n(bytes_.data() + offset, n, out);
        return true;
    }
    std::size_t largest = 0;

  private:
    const Bytes& bytes_;
    Bytes window_;
};

// Noise in colour and alpha, with stretches of fully transparent and fully opaque pixels.
Bytes Noisy(int w, int h, uint32_t seed, bool opaque) {
    Bytes p(std::size_t(w) * h * 4);
    for (std::size_t i = 0; i < p.size(); i += 4) {
        seed = seed * 1664525u + 1013904223u;
        p[i] = uint8_t(seed >> 24);
        p[i + 1] = uint8_t(seed >> 16);
        p[i + 2] = uint8_t(seed >> 8);
        const std::size_t x = i / 4 % std::size_t(w);
        p[i + 3] = opaque || x % 50 < 10 ? 255 : x % 50 < 20 ? 0 : uint8_t(seed);
    }
    return p;
}

// The whole document composed from memory and from a file read in pieces equals each shown
// layer blended whole in turn over white: with and without an opaque picture layer under the
// rest, layers at every offset, partly or wholly outside, hidden, and rows no layer reaches.
// The document written without its merged picture (cut after the layers).
Bytes WithoutMergedPicture(const DocumentLayout& layout) {
    Bytes file;
    std::string why;
    EXPECT_TRUE(WriteDocument(layout, file, why)) << why;
    file.resize(LayersEnd(file, false));
    return file;
}

// The picture as each visible layer of `file` blended whole in turn over white.
Bytes EachBlendedInTurn(const Bytes& file, int w, int h) {
    std::vector<LayerPixels> layers;
    EXPECT_TRUE(ReadLayers(file, layers));
    Bytes expected(std::size_t(w) * h * 4, 255);
    for (const LayerPixels& l : layers)
        if (l.visible) BlendNormal(l, expected.data(), w, h);
    return expected;
}

TEST(ComposeFromLayers, AStackComposesAsEachLayerBlendedWholeInTurn) {
    constexpr int w = 640, h = 420;
    const Bytes base = Noisy(w, h, 1, true), a = Noisy(300, 200, 2, false),
                b = Noisy(250, 500, 3, false), strip = Noisy(100, 40, 4, true);
    for (const bool withBase : {true, false}) {
        SCOPED_TRACE(withBase ? "over a picture layer" : "over nothing");
        DocumentLayout layout;
        layout.composite = {base.data(), w, h, w * 4};
        if (withBase) layout.layers.push_back({"base", 0, 0, {base.data(), w, h, w * 4}});
        layout.layers.push_back({"a", -50, 300, {a.data(), 300, 200, 1200}, 200});
        layout.layers.push_back({"b", 500, -30, {b.data(), 250, 500, 1000}, 255});
        layout.layers.push_back({"hidden", 0, 0, {strip.data(), 100, 40, 400}, 255, false});
        layout.layers.push_back({"strip", 20, 100, {strip.data(), 100, 40, 400}, 255});
        layout.layers.push_back({"outside", 700, 10, {strip.data(), 100, 40, 400}, 90});
        layout.layers.push_back({"above", 10, -60, {strip.data(), 100, 40, 400}, 255});
        layout.layers.push_back({"below", 10, 430, {strip.data(), 100, 40, 400}, 255});
        const Bytes file = WithoutMergedPicture(layout);
        const Bytes expected = EachBlendedInTurn(file, w, h);
        Decoder inMemory, pieced;
        Bytes px;
        ASSERT_TRUE(inMemory.Decode(file, px));
        EXPECT_TRUE(inMemory.ComposedFromLayers());
        EXPECT_TRUE(px == expected);
        PiecedSource source(file);
        ASSERT_TRUE(pieced.Parse(source));
        Bytes read(px.size());
        ASSERT_TRUE(pieced.Convert(read.data()));
        EXPECT_TRUE(read == expected);
        // Read a piece of a channel at a time, never the layers whole.
        EXPECT_LT(source.largest, file.size() / 3) << file.size();
    }
}

// So many layers that reading them all at once would hold too much: they are read one after
// the other instead, to the same picture.
TEST(ComposeFromLayers, ThousandsOfLayersComposeAsEachBlendedWholeInTurn) {
    constexpr int w = 8000, h = 12, count = 2200;
    const Bytes row = Noisy(w, 1, 5, false);
    DocumentLayout layout;
    const Bytes base = Fill(w, h, 10, 20, 30, 255);
    layout.composite = {base.data(), w, h, w * 4};
    for (int i = 0; i < count; ++i)
        layout.layers.push_back({"row", 0, i % h, {row.data(), w, 1, w * 4}, uint8_t(i % 256)});
    const Bytes file = WithoutMergedPicture(layout);
    const Bytes expected = EachBlendedInTurn(file, w, h);
    Decoder d;
    Bytes px;
    ASSERT_TRUE(d.Decode(file, px));
    EXPECT_TRUE(px == expected);
}

TEST(LargeDocument, APsbGivesThePixelsAndLayersOfThePsdOfTheSameContent) {
    Doc doc;
    doc.composite = Fill(W, H, 1, 2, 3, 255);
    doc.composite[5 * 4] = 250;
    doc.layout.composite.data = doc.composite.data();
    doc.layout.privateResource = {'{', '}'};
    for (ChannelCompression compression : {ChannelCompression::Raw, ChannelCompression::PackBits}) {
        doc.layout.compression = compression;
        doc.layout.large = false;
        const Bytes psd = doc.Write();
        doc.layout.large = true;
        const Bytes psb = doc.Write();
        ASSERT_NE(psd, psb);
        Decoder a, b;
        Bytes pa, pb;
        ASSERT_TRUE(a.Decode(psd, pa));
        ASSERT_TRUE(b.Decode(psb, pb)) << int(compression);
        EXPECT_EQ(pa, pb);
        EXPECT_EQ(b.privateResource(), doc.layout.privateResource);
        std::vector<LayerPixels> la, lb;
        ASSERT_TRUE(ReadLayers(psd, la));
        ASSERT_TRUE(ReadLayers(psb, lb));
        ASSERT_EQ(la.size(), 3u);
        ASSERT_EQ(lb.size(), 3u);
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(la[i].name, lb[i].name);
            EXPECT_EQ(la[i].bgra, lb[i].bgra);
            EXPECT_EQ(la[i].left, lb[i].left);
        }
        // Composed from its layers when its picture is missing, as the PSD is.
        Bytes cutA(psd.begin(), psd.begin() + long(LayersEnd(psd, false)));
        Bytes cutB(psb.begin(), psb.begin() + long(LayersEnd(psb, true)));
        ASSERT_TRUE(Decoder().Decode(cutA, pa));
        ASSERT_TRUE(Decoder().Decode(cutB, pb));
        EXPECT_EQ(pa, pb);
    }
    // Beyond the size limit it is too large, not damaged.
    Decoder limited;
    limited.SetSizeLimit(int64_t{W} * H - 1, 30000);
    Bytes px;
    EXPECT_FALSE(limited.Decode(doc.Write(), px));
    EXPECT_TRUE(limited.TooLarge());
}

}  // namespace
}  // namespace orv::psd
