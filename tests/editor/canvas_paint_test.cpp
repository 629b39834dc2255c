// What the canvas paints for a marker: whole-pixel lines, symmetric ticks,
// labels and swatches at their pixel places, stacking, and repaints of a part
// that match the full picture there.

#include <gtest/gtest.h>

#include <QPainter>

#include "CanvasFixture.h"
#include "platform/Painter.h"

namespace orv::test {
namespace {

class CanvasPaint : public CanvasTest {
  protected:
    QImage Paint(const QRegion& clip = {}) {
        const PictureBox& box = ed().Picture2;
        QImage out(static_cast<int>(box.Width / 15), static_cast<int>(box.Height / 15),
                   QImage::Format_RGB32);
        out.fill(Qt::black);
        QPainter p(&out);
        if (!clip.isEmpty()) p.setClipRegion(clip);
        PaintPictureBoxContent(p, box);
        return out;
    }
    static Colour At(const QImage& img, int x, int y) { return FromQRgb(img.pixel(x, y)); }
};

TEST_F(CanvasPaint, DistanceMarkerLandsOnWholePixels) {
    Picture(400, 300);
    ed().Command3_Click();
    Drag(100 * 15, 100 * 15, 300 * 15, 110 * 15);
    const QImage img = Paint();
    for (int x : {100, 150, 299, 300}) EXPECT_EQ(At(img, x, 100), kAnnotationRed) << x;
    EXPECT_NE(At(img, 301, 100), kAnnotationRed);
    EXPECT_NE(At(img, 150, 101), kAnnotationRed);
    EXPECT_NE(At(img, 150, 99), kAnnotationRed);
    for (int x : {100, 300}) {
        EXPECT_EQ(At(img, x, 95), kAnnotationRed);
        EXPECT_EQ(At(img, x, 105), kAnnotationRed);
        EXPECT_NE(At(img, x, 94), kAnnotationRed);  // 80 twips: 5 pixels either side
        EXPECT_NE(At(img, x, 106), kAnnotationRed);
    }
    // The label's top-left corner at (200, 93.33) px: opaque background from
    // (200, 93), covering the line beneath it.
    EXPECT_EQ(At(img, 200, 93), kLabelBack);
    EXPECT_NE(At(img, 199, 93), kLabelBack);
    EXPECT_NE(At(img, 200, 92), kLabelBack);
    const int right = 200 + static_cast<int>(ed().aapx(1).Width / 15) - 1;
    EXPECT_EQ(At(img, right, 93), kLabelBack);
    EXPECT_NE(At(img, right + 2, 93), kLabelBack);

    // A transparent label lets the line show through.
    ed().aapx(1).BackStyle = 0;
    const QImage clear = Paint();
    EXPECT_NE(At(clear, 200, 93), kLabelBack);
}

TEST_F(CanvasPaint, SwatchKeepsItsPixelSizeAtHalfPixelPlaces) {
    Picture(400, 300, QColor(250, 250, 250));
    ed().Command4_Click();
    Press(1000, 1000);
    ed().co(1).Width = 210;
    ed().co(1).Height = 225;
    DragTo(3000, 1500);
    ASSERT_EQ(ed().Shape1(1).Top, 1387.5f);  // 92.5 px
    const QImage img = Paint();
    // Border rows at 93 and 101: nine pixels, like the swatch's 135 twips.
    EXPECT_EQ(At(img, 204, 93), RGB(0, 0, 0));
    EXPECT_EQ(At(img, 204, 101), RGB(0, 0, 0));
    EXPECT_NE(At(img, 204, 92), RGB(0, 0, 0));
    EXPECT_NE(At(img, 204, 102), RGB(0, 0, 0));
    EXPECT_EQ(At(img, 204, 97), RGB(250, 250, 250));  // filled with the sampled colour
}

TEST_F(CanvasPaint, RepaintOfAPartMatchesTheFullPictureThere) {
    Picture(400, 300, QColor(30, 60, 90));
    ed().Command3_Click();
    Drag(1500, 1500, 4500, 1600);
    ed().Command6_Click();
    Drag(4000, 3000, 2000, 3500);
    const QImage full = Paint();
    // Small pieces across the label, a tick, the note box and empty canvas.
    const QRegion part = QRegion(QRect(140, 90, 30, 20)) + QRect(99, 95, 3, 12) +
                         QRect(130, 220, 60, 30) + QRect(350, 250, 10, 10);
    const QImage partial = Paint(part);
    for (const QRect& r : part)
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                ASSERT_EQ(partial.pixel(x, y), full.pixel(x, y)) << x << "," << y;
}

}  // namespace
}  // namespace orv::test
