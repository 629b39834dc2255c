// The box measure through the handlers the window wires: a drag reads its
// size in picture pixels, a click with the guides showing keeps the flat
// region under it edge to edge, and the box takes part in undo, the
// annotation JSON, the copied measurements and the layered save.

#include <QTemporaryDir>

#include "CanvasFixture.h"
#include "annotations/AnnotationJson.h"
#include "editor/VectorCapture.h"
#include "imaging/psd/psd_layers.h"

namespace orv::test {
namespace {

// The middle of picture pixel p, in twips.
float At(int p) {
    return (static_cast<float>(p) + 0.5f) * 15.0f;
}

class BoxMeasureTest : public CanvasTest {
  protected:
    void SetUp() override {
        CanvasTest::SetUp();
        Picture(300, 200, QColor(240, 240, 240));
    }
    void Key(int key, int shift = 0) { ed().Key(key, shift, true); }
    /// Draws a box through the wired canvas handlers from pixel a to pixel b.
    int DrawBox(QPoint a, QPoint b) {
        Key(Qt::Key_B);
        const int n = ed().annotations.Next().boxes;
        ed().Picture2.MouseDown(Left(At(a.x()), At(a.y())));
        ed().Picture2.MouseMove({1, 0, At((a.x() + b.x()) / 2), At((a.y() + b.y()) / 2)});
        ed().Picture2.MouseMove({1, 0, At(b.x()), At(b.y())});
        ed().Picture2.MouseUp(Left(At(b.x()), At(b.y())));
        return n;
    }
    /// A flat 120 x 36 button at (64, 100) with a one-pixel anti-aliased border round it.
    void Button() {
        QImage img(300, 200, QImage::Format_RGB32);
        img.fill(QColor(240, 240, 240));
        for (int y = 99; y <= 136; ++y)
            for (int x = 63; x <= 184; ++x) img.setPixel(x, y, qRgb(150, 160, 200));
        for (int y = 100; y <= 135; ++y)
            for (int x = 64; x <= 183; ++x) img.setPixel(x, y, qRgb(60, 80, 160));
        ed().Picture2.SetPicture(img);
    }
    /// Alt held over pixel p, then an Alt + click there.
    void SnapAt(QPoint p) {
        Key(Qt::Key_B);
        ed().Picture2.MouseMove({0, kAltMask, At(p.x()), At(p.y())});
        ed().Picture2.MouseDown({1, kAltMask, At(p.x()), At(p.y())});
        ed().Picture2.MouseUp({1, kAltMask, At(p.x()), At(p.y())});
    }
    QRect Frame(int n) {
        const Shape& f = ed().boxFrame(n);
        return QRect(qRound(f.Left / 15), qRound(f.Top / 15), qRound(f.Width / 15),
                     qRound(f.Height / 15));
    }
};

TEST_F(BoxMeasureTest, ADragReadsItsSizeCountingBothEdgePixelsWithTheLabelOutside) {
    const int n = DrawBox({10, 40}, {129, 75});
    EXPECT_EQ(Frame(n), QRect(10, 40, 120, 36));
    const Label& size = ed().boxSize(n);
    EXPECT_EQ(size.Caption(), QStringLiteral("120 × 36px"));
    EXPECT_TRUE(size.Visible);
    EXPECT_TRUE(ed().boxFrame(n).Visible);
    EXPECT_LE(size.Top + size.Height, ed().boxFrame(n).Top);  // above the box: there is room
    EXPECT_EQ(ed().annotations.Next().boxes, n + 1);

    // Dragged up and to the left it measures the same pixels.
    const int m = DrawBox({129, 75}, {10, 40});
    EXPECT_EQ(Frame(m), QRect(10, 40, 120, 36));

    // Copy measurements lists it with its place.
    ed().CopyMeasurements_Click();
    EXPECT_TRUE(
        desktop.clipboardText.contains(QStringLiteral("box %1: 120 × 36px at (10,40)").arg(n)))
        << desktop.clipboardText.toStdString();
}

TEST_F(BoxMeasureTest, AClickWithoutADragLeavesNothingAndKeepsTheNumber) {
    Key(Qt::Key_B);
    const int n = ed().annotations.Next().boxes;
    ed().Picture2.MouseDown(Left(At(20), At(20)));
    ed().Picture2.MouseUp(Left(At(20), At(20)));
    EXPECT_FALSE(ed().boxFrame.Exists(n));
    EXPECT_EQ(ed().annotations.Next().boxes, n);
    EXPECT_EQ(ed().history.UndoCount(), 0u);
}

TEST_F(BoxMeasureTest, ASnappingClickKeepsTheFlatRegionEdgeToEdgeWithTheGuidesTolerance) {
    Button();
    const int n = ed().annotations.Next().boxes;
    SnapAt({100, 120});
    ASSERT_TRUE(ed().boxFrame.Exists(n));
    // The anti-aliased border lies far from the button's colour: it stays outside.
    EXPECT_EQ(Frame(n), QRect(64, 100, 120, 36));
    EXPECT_EQ(ed().boxSize(n).Caption(), QStringLiteral("120 × 36px"));
    EXPECT_TRUE(ed().boxSize(n).Visible);
    EXPECT_EQ(ed().annotations.Next().boxes, n + 1);

    // Raised up the ladder far enough, the border joins the region it blends into.
    ed().Picture2.MouseMove({0, kAltMask, At(100), At(120)});
    for (int k = 0; k < 12; ++k) Key(Qt::Key_BracketRight, kAltMask);
    ASSERT_GE(ed().guides.Tolerance(), 100);
    SnapAt({100, 120});
    EXPECT_EQ(Frame(n + 1), QRect(63, 99, 122, 38));
    // Undo takes the kept box away in one step.
    ed().Key(Qt::Key_Z, kCtrlMask, true);
    EXPECT_FALSE(ed().boxFrame.Exists(n + 1));
    EXPECT_TRUE(ed().boxFrame.Exists(n));
}

TEST_F(BoxMeasureTest, UndoRedoJsonAndTheLabelMenuCoverTheBox) {
    const AnnotationSnapshot empty = ed().annotations.Take();
    const int n = DrawBox({30, 30}, {89, 59});
    const AnnotationSnapshot drawn = ed().annotations.Take();
    ASSERT_EQ(drawn.Items.size(), 1u);

    // The label moves by a drag and is one step.
    Label& size = ed().boxSize(n);
    const float left = size.Left;
    size.MouseDown(Left(10, 10));
    size.MouseMove({1, 0, 310, 10});
    size.MouseUp(Left(310, 10));
    EXPECT_FLOAT_EQ(ed().boxSize(n).Left, left + 300);
    const AnnotationSnapshot moved = ed().annotations.Take();

    // Restyled and deleted through its menu.
    desktop.menuChoices.push_back(QStringLiteral("boxclear"));
    ed().boxSize(n).MouseDown(Right(5, 5));
    EXPECT_EQ(ed().boxSize(n).BackStyle, 0);
    const AnnotationSnapshot clear = ed().annotations.Take();
    desktop.menuChoices.push_back(QStringLiteral("boxdel"));
    ed().boxSize(n).MouseDown(Right(5, 5));
    EXPECT_FALSE(ed().boxFrame.Exists(n));
    EXPECT_FALSE(ed().boxSize.Exists(n));

    for (const AnnotationSnapshot* s : {&clear, &moved, &drawn, &empty}) {
        ASSERT_TRUE(ed().history.Undo());
        EXPECT_EQ(ed().annotations.Take(), *s);
    }
    for (const AnnotationSnapshot* s : {&drawn, &moved, &clear}) {
        ASSERT_TRUE(ed().history.Redo());
        EXPECT_EQ(ed().annotations.Take(), *s);
    }

    // The JSON gives back exactly what was taken, counters included.
    const AnnotationSnapshot now = ed().annotations.Take();
    AnnotationSnapshot read;
    QString why;
    ASSERT_EQ(AnnotationsFromJson(AnnotationsToJson(now), read, why), AnnotationJsonError::None)
        << why.toStdString();
    EXPECT_EQ(read, now);
    // Restored into the editor it is the same again, and its label still answers.
    ed().annotations.RemoveAll();
    ed().annotations.Restore(read);
    EXPECT_EQ(ed().annotations.Take(), now);
    desktop.menuChoices.push_back(QStringLiteral("boxcopy"));
    ed().boxSize(n).MouseDown(Right(5, 5));
    EXPECT_EQ(desktop.clipboardText, QStringLiteral("60 × 30px"));
}

TEST_F(BoxMeasureTest, TheJsonRefusesABoxWithoutItsLabelOrTwiceTheSameNumber) {
    DrawBox({30, 30}, {89, 59});
    const QByteArray json = AnnotationsToJson(ed().annotations.Take());
    AnnotationSnapshot out;
    QString why;
    QByteArray missing = json;
    missing.replace("\"size\"", "\"sise\"");
    EXPECT_EQ(AnnotationsFromJson(missing, out, why), AnnotationJsonError::Damaged);
    EXPECT_TRUE(why.contains(QStringLiteral("size")));
    DrawBox({130, 30}, {189, 59});
    QByteArray twice = AnnotationsToJson(ed().annotations.Take());
    twice.replace("\"index\":2", "\"index\":1");
    EXPECT_EQ(AnnotationsFromJson(twice, out, why), AnnotationJsonError::Damaged);
    EXPECT_TRUE(why.contains(QStringLiteral("used twice")));
}

TEST_F(BoxMeasureTest, ALayeredSaveGivesEachBoxANamedLayerAndReopensItLive) {
    const int n = DrawBox({10, 40}, {129, 75});
    const AnnotationSnapshot before = ed().annotations.Take();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("boxes.psd"));
    desktop.saveFiles.push_back(path);
    ed().Command5_Click();
    ASSERT_TRUE(desktop.messages.empty());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    std::vector<psd::LayerPixels> layers;
    ASSERT_TRUE(psd::ReadLayers(
        {reinterpret_cast<const uint8_t*>(bytes.constData()), std::size_t(bytes.size())}, layers));
    ASSERT_EQ(layers.size(), 2u);
    EXPECT_EQ(QString::fromStdString(layers[1].name), QStringLiteral("Box %1 — 120 × 36px").arg(n));

    ed().annotations.RemoveAll();
    ed().open1 = path;
    ed().Command14_Click();
    EXPECT_EQ(ed().annotations.Take(), before);
    EXPECT_TRUE(ed().boxSize(n).Visible);

    // Read outside the editor (the command line's vector conversion), the box comes back too.
    MarkupCanvas markup;
    QString why;
    ASSERT_EQ(markup.LoadLayeredPsd(path, why), MarkupCanvas::Outcome::Restored)
        << why.toStdString();
    const VectorDocument doc = markup.Document();
    ASSERT_EQ(doc.groups.size(), 1u);
    EXPECT_EQ(doc.groups[0].title, QStringLiteral("Box %1 — 120 × 36px").arg(n));
}

}  // namespace
}  // namespace orv::test
