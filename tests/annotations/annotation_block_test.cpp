// The annotation block against the layers of the file it is in: a layer check survives what
// other programs do when they save layers back unchanged and sees any real change; a block
// reads back through the pad bytes other writers add; and on reopening only annotations whose
// layers are still there unchanged come back live.
#include "annotations/AnnotationBlock.h"

#include <gtest/gtest.h>

#include "imaging/psd/psd_layers.h"

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
