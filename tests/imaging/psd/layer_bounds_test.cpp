// The layer reader against files whose layers claim far more pixels than they carry: only the
// layers asked for are unpacked, so a small file cannot make the reader hold hundreds of
// full-size layers, and records that claim more than a bound of the document's area are
// refused before any pixels are made.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include "ChildProcess.h"
#include "imaging/psd/psd_decoder.h"
#include "imaging/psd/psd_layers.h"
#include "imaging/psd/psd_writer.h"

namespace orv::psd {
namespace {

using Bytes = std::vector<uint8_t>;

// A document of w × h pixels with `count` layers that each cover all of it, every one the same
// flat colour (so PackBits keeps the file small), the first named "Picture".
Bytes ManyFullLayers(int w, int h, int count, const Bytes& flat) {
    DocumentLayout doc;
    doc.composite = {flat.data(), w, h, std::size_t(w) * 4};
    for (int i = 0; i < count; ++i)
        doc.layers.push_back(
            {i == 0 ? "Picture" : "Layer " + std::to_string(i), 0, 0, doc.composite, 255, true});
    Bytes out;
    std::string why;
    EXPECT_TRUE(WriteDocument(doc, out, why)) << why;
    return out;
}

long OwnPeakKb() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST(LayerBounds, OnlyTheWantedLayerIsUnpackedFromTwoHundredFullSizeOnes) {
    const int w = 1920, h = 1080;
    const Bytes flat(std::size_t(w) * h * 4, 0x80);
    const Bytes file = ManyFullLayers(w, h, 200, flat);
    EXPECT_LT(file.size(), std::size_t(32) << 20);  // a small file claiming 1.6 GB of layers
    const long before = OwnPeakKb();
    const orv::test::ChildEnd end = orv::test::RunInChild(
        [&] {
            std::vector<LayerPixels> layers;
            const bool read =
                ReadLayers(file, layers, [](const LayerPixels& l) { return l.name == "Picture"; });
            if (!read || layers.size() != 200) return 1;
            if (layers[0].bgra.size() != std::size_t(w) * h * 4 || layers[0].bgra[0] != 0x80)
                return 2;
            for (std::size_t i = 1; i < layers.size(); ++i)
                if (!layers[i].bgra.empty() || layers[i].width != w) return 3;
            return 0;
        },
        60);
    ASSERT_TRUE(end.ended);
    EXPECT_EQ(end.status, 0);
    // The picture layer is 8 MB; nothing near 200 of them was ever held.
    if (orv::test::kPeakMemoryIsMeaningful) {
        EXPECT_LT(end.peakKb - before, 200 * 1024) << end.peakKb << " KB at the peak";
    }
}

// Composing those layers, when the merged picture is black as writers leave it for "none", holds
// every layer open at once but a row of each only.
TEST(LayerBounds, ComposingTwoHundredFullSizeLayersHoldsARowOfEach) {
    const int w = 1920, h = 1080;
    Bytes flat(std::size_t(w) * h * 4, 0x80);
    for (std::size_t i = 3; i < flat.size(); i += 4) flat[i] = 255;
    const Bytes black(std::size_t(w) * h * 4, 0);
    DocumentLayout doc;
    doc.composite = {black.data(), w, h, std::size_t(w) * 4};
    for (int i = 0; i < 200; ++i)
        doc.layers.push_back({"Layer " + std::to_string(i),
                              0,
                              0,
                              {flat.data(), w, h, std::size_t(w) * 4},
                              uint8_t(100 + i % 100)});
    Bytes file;
    std::string why;
    ASSERT_TRUE(WriteDocument(doc, file, why)) << why;
    const long before = OwnPeakKb();
    const orv::test::ChildEnd end = orv::test::RunInChild(
        [&] {
            Decoder decoder;
            Bytes px;
            if (!decoder.Decode(file, px) || !decoder.ComposedFromLayers()) return 1;
            return px[0] == 0x80 && px[3] == 255 ? 0 : 2;
        },
        60);
    ASSERT_TRUE(end.ended);
    EXPECT_EQ(end.status, 0);
    // The picture is 8 MB, and so is each layer: nothing near 200 of them was ever held.
    if (orv::test::kPeakMemoryIsMeaningful) {
        EXPECT_LT(end.peakKb - before, 100 * 1024) << end.peakKb << " KB at the peak";
    }
}

TEST(LayerBounds, RecordsClaimingMoreThanTheBoundAreRefused) {
    const int w = 16, h = 16;
    const Bytes flat(std::size_t(w) * h * 4, 0x40);
    std::vector<LayerPixels> layers;
    // At the bound the file reads; one layer more and it is refused, wanted or not.
    const Bytes atBound = ManyFullLayers(w, h, int(kMaxLayerAreas), flat);
    EXPECT_TRUE(ReadLayers(atBound, layers, [](const LayerPixels&) { return false; }));
    EXPECT_EQ(layers.size(), kMaxLayerAreas);
    const Bytes over = ManyFullLayers(w, h, int(kMaxLayerAreas) + 1, flat);
    EXPECT_FALSE(ReadLayers(over, layers, [](const LayerPixels&) { return false; }));
    EXPECT_FALSE(ReadLayers(over, layers));
    EXPECT_TRUE(layers.empty());
    // Without a filter every layer is unpacked, as before.
    ASSERT_TRUE(ReadLayers(ManyFullLayers(w, h, 3, flat), layers));
    ASSERT_EQ(layers.size(), 3u);
    for (const LayerPixels& l : layers) EXPECT_EQ(l.bgra.size(), std::size_t(w) * h * 4);
}

}  // namespace
}  // namespace orv::psd
