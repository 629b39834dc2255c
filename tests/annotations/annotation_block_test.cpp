// The annotation block against the layers of the file it is in: a layer check survives what
// other programs do when they save layers back unchanged and sees any real change; a block
// reads back through the pad bytes other writers add; and on reopening only annotations whose
// layers are still there unchanged come back live.
#include "annotations/AnnotationBlock.h"

#include <gtest/gtest.h>

#include "imaging/psd/psd_layers.h"
#include "imaging/psd/psd_writer.h"

#include "LayerSpecs.h"

namespace orv {
namespace {

// A layer of w x h transparent pixels at (left, top) with a 2 x 2 red square at (sx, sy).
psd::LayerPixels Square(const std::string& name, int left, int top, int w, int h, int sx, int sy) {
    psd::LayerPixels l;
    l.name = name;
    l.left = left;
    l.top = top;
    l.width = w;
    l.height = h;
    l.bgra.assign(std::size_t(w) * h * 4, 0);
    for (int y = sy; y < sy + 2; ++y)
        for (int x = sx; x < sx + 2; ++x) {
            uint8_t* p = l.bgra.data() + (std::size_t(y) * w + x) * 4;
            p[2] = 255;
            p[3] = 200;
        }
    return l;
}

psd::LayerPixels Picture(int w, int h) {
    psd::LayerPixels l;
    l.name = "Picture";
    l.width = w;
    l.height = h;
    l.bgra.assign(std::size_t(w) * h * 4, 255);
    return l;
}

TEST(LayerCheck, IgnoresTrimmedMarginsAndHiddenColourButSeesEveryRealChange) {
    const LayerCheck saved = CheckOfLayer(Square("Note 1", 10, 10, 8, 8, 3, 4), 40, 30);
    EXPECT_EQ(saved.left, 13);
    EXPECT_EQ(saved.top, 14);
    EXPECT_EQ(saved.width, 2);
    EXPECT_EQ(saved.height, 2);
    // Saved back trimmed to the painted pixels, with colour left under alpha 0 elsewhere.
    psd::LayerPixels trimmed = Square("Note 1", 12, 13, 4, 4, 1, 1);
    trimmed.bgra[0] = 77;  // a transparent pixel's blue
    EXPECT_EQ(CheckOfLayer(trimmed, 40, 30), saved);

    psd::LayerPixels moved = Square("Note 1", 11, 10, 8, 8, 3, 4);
    EXPECT_NE(CheckOfLayer(moved, 40, 30), saved);
    psd::LayerPixels recoloured = Square("Note 1", 10, 10, 8, 8, 3, 4);
    recoloured.bgra[(4 * 8 + 3) * 4 + 1] = 1;  // green of a painted pixel
    EXPECT_NE(CheckOfLayer(recoloured, 40, 30), saved);
    // What lies outside the document is not part of the layer.
    EXPECT_EQ(CheckOfLayer(Square("Note 1", 10, 10, 8, 8, 3, 4), 14, 30).width, 1);
    const LayerCheck empty = CheckOfLayer(Square("x", 50, 50, 8, 8, 3, 4), 40, 30);
    EXPECT_EQ(empty.width * empty.height, 0);
}

AnnotationSnapshot ThreeNotes() {
    AnnotationSnapshot s;
    for (int i = 1; i <= 3; ++i) {
        NoteState n;
        n.Index = i;
        n.Box.Text = QStringLiteral("note %1").arg(i);
        s.Items.push_back(n);
    }
    s.wwww = 4;
    return s;
}

struct Saved {
    AnnotationSnapshot snapshot = ThreeNotes();
    std::vector<psd::LayerPixels> layers;
    AnnotationBlock block;
};

Saved SaveThreeNotes() {
    Saved s;
    s.layers = {Picture(40, 30), Square("Note 1", 0, 0, 10, 10, 1, 1),
                Square("Note 2", 10, 0, 10, 10, 2, 2), Square("Note 3", 20, 10, 10, 10, 3, 3)};
    SavedLayers saved;
    saved.picture = CheckOfLayer(s.layers[0], 40, 30);
    for (std::size_t i = 1; i < 4; ++i)
        saved.annotations.push_back(CheckOfLayer(s.layers[i], 40, 30));
    const QByteArray json = AnnotationBlockToJson(s.snapshot, saved);
    EXPECT_EQ(json.size() % 2, 0);
    QString why;
    // Read back through the NUL pad another writer counted in the block.
    EXPECT_EQ(AnnotationBlockFromJson(json + QByteArray(1, '\0'), s.block, why),
              AnnotationJsonError::None)
        << why.toStdString();
    EXPECT_TRUE(s.block.hasSaved);
    EXPECT_EQ(s.block.snapshot, s.snapshot);
    return s;
}

TEST(AnnotationBlock, OnlyAnnotationsWhoseLayersAreUnchangedComeBackLive) {
    Saved s = SaveThreeNotes();
    BlockVerdict v = CheckBlock(s.block, s.layers, 40, 30);
    EXPECT_EQ(v.live, s.snapshot);
    EXPECT_EQ(v.pictureLayer, 0);
    EXPECT_TRUE(v.flatLayers.empty());
    EXPECT_TRUE(BlockVerdictNote(v).isEmpty());

    // Note 2 deleted, note 3 painted on, a layer of someone else's added, the picture retouched.
    std::vector<psd::LayerPixels> edited = s.layers;
    edited.erase(edited.begin() + 2);
    edited[2].bgra[(5 * 10 + 5) * 4 + 3] = 255;
    edited.push_back(Square("Arrow", 0, 20, 10, 10, 0, 0));
    edited[0].bgra[0] = 0;
    v = CheckBlock(s.block, edited, 40, 30);
    ASSERT_EQ(v.live.Items.size(), 1u);
    EXPECT_EQ(std::get<NoteState>(v.live.Items[0]).Index, 1);
    EXPECT_EQ(v.live.wwww, 4);
    EXPECT_EQ(v.dropped, 1);
    EXPECT_EQ(v.leftFlat, 1);
    EXPECT_EQ(v.pictureLayer, 0);
    EXPECT_EQ(v.flatLayers, (std::vector<int>{2, 3}));
    EXPECT_FALSE(BlockVerdictNote(v).isEmpty());

    // A hidden layer or one at lower opacity no longer shows its annotation as saved.
    edited = s.layers;
    edited[1].visible = false;
    edited[3].opacity = 128;
    v = CheckBlock(s.block, edited, 40, 30);
    EXPECT_EQ(v.live.Items.size(), 1u);
    EXPECT_EQ(v.dropped, 1);
    EXPECT_EQ(v.leftFlat, 1);
    EXPECT_EQ(v.flatLayers, (std::vector<int>{3}));
}

// The layers written into a 40 x 30 PSD, as another program would save them.
std::vector<uint8_t> FileOf(const std::vector<psd::LayerPixels>& layers) {
    const std::vector<uint8_t> composite(40 * 30 * 4, 90);
    psd::DocumentLayout doc;
    doc.composite = {composite.data(), 40, 30, 40 * 4};
    for (const psd::LayerPixels& l : layers) doc.layers.push_back(test::SpecOf(l));
    std::vector<uint8_t> out;
    std::string why;
    EXPECT_TRUE(psd::WriteDocument(doc, out, why)) << why;
    return out;
}

// Reading the file a layer at a time gives the verdict that matching all its layers held at
// once gives, and the picture layer's pixels, for edits that touch every rule: a deleted,
// a painted-on, a hidden and a faded layer, layers added with an annotation's name before and
// after its own, a second "Picture".
TEST(AnnotationBlock, ReadingTheFileALayerAtATimeGivesTheSameVerdict) {
    const Saved s = SaveThreeNotes();
    std::vector<std::vector<psd::LayerPixels>> edits(5, s.layers);
    edits[1].erase(edits[1].begin() + 2);
    edits[1][2].bgra[(5 * 10 + 5) * 4 + 3] = 255;
    edits[1].push_back(Square("Arrow", 0, 20, 10, 10, 0, 0));
    edits[2][1].visible = false;
    edits[2][3].opacity = 128;
    edits[3].insert(edits[3].begin() + 1, Square("Note 2", 0, 0, 40, 30, 7, 7));
    edits[3].push_back(Square("Note 1", 0, 0, 10, 10, 1, 1));
    edits[4].push_back(Picture(40, 30));
    edits[4].back().bgra[0] = 1;
    for (std::size_t e = 0; e < edits.size(); ++e) {
        SCOPED_TRACE(e);
        const std::vector<uint8_t> file = FileOf(edits[e]);
        std::vector<psd::LayerPixels> all;
        ASSERT_TRUE(psd::ReadLayers(file, all));
        const BlockVerdict held = CheckBlock(s.block, all, 40, 30);
        BlockVerdict visited;
        std::vector<psd::LayerPixels> records;
        std::vector<uint8_t> picture;
        ASSERT_TRUE(CheckBlockInFile(s.block, file, 40, 30, visited, records, &picture));
        EXPECT_EQ(visited.live, held.live);
        EXPECT_EQ(visited.pictureLayer, held.pictureLayer);
        EXPECT_EQ(visited.flatLayers, held.flatLayers);
        EXPECT_EQ(visited.leftFlat, held.leftFlat);
        EXPECT_EQ(visited.dropped, held.dropped);
        ASSERT_EQ(records.size(), all.size());
        for (const psd::LayerPixels& r : records) EXPECT_TRUE(r.bgra.empty());
        ASSERT_GE(held.pictureLayer, 0);
        EXPECT_EQ(picture, all[std::size_t(held.pictureLayer)].bgra);
    }
    // A file whose layers cannot be read gives no picture layer.
    BlockVerdict none;
    std::vector<psd::LayerPixels> records;
    std::vector<uint8_t> cut = FileOf(s.layers);
    cut.resize(cut.size() / 2);
    EXPECT_FALSE(CheckBlockInFile(s.block, cut, 40, 30, none, records));
    EXPECT_EQ(none.pictureLayer, -1);
}

TEST(AnnotationBlock, AVersionOneBlockIsTrustedAsAWholeAndABadSavedPartIsDamage) {
    Saved s = SaveThreeNotes();
    AnnotationBlock v1;
    QString why;
    ASSERT_EQ(AnnotationBlockFromJson(AnnotationsToJson(s.snapshot), v1, why),
              AnnotationJsonError::None);
    EXPECT_FALSE(v1.hasSaved);
    std::vector<psd::LayerPixels> pictureOnly{Picture(40, 30)};
    const BlockVerdict verdict = CheckBlock(v1, pictureOnly, 40, 30);
    EXPECT_EQ(verdict.live, s.snapshot);
    EXPECT_EQ(verdict.dropped, 0);
    EXPECT_EQ(CheckBlock(v1, {}, 40, 30).pictureLayer, -1);

    SavedLayers saved;
    saved.annotations.resize(2);  // one annotation short
    AnnotationBlock out;
    EXPECT_EQ(AnnotationBlockFromJson(AnnotationBlockToJson(s.snapshot, saved), out, why),
              AnnotationJsonError::Damaged);
    QByteArray json = AnnotationBlockToJson(s.snapshot, s.block.saved);
    ASSERT_EQ(AnnotationBlockFromJson(json, out, why), AnnotationJsonError::None);
    // A saved layer that names another annotation than the one in its place.
    const qsizetype at = json.lastIndexOf("\"index\":2,");
    ASSERT_GT(at, json.indexOf("\"saved\""));
    json.replace(at, 10, "\"index\":7,");
    EXPECT_EQ(AnnotationBlockFromJson(json, out, why), AnnotationJsonError::Damaged);
}

}  // namespace
}  // namespace orv
