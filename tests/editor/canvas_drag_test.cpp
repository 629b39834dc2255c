// Pointer moves over the canvas: panning, read-outs, the live shape of markers,
// edge scrolling; painting at half-pixel places and in parts (lines, ticks and
// labels at their pixels are checked on screen by e2e/test_annotations.sh).

#include <gtest/gtest.h>

#include <QPainter>

#include "CanvasFixture.h"
#include "platform/Painter.h"

namespace orv::test {
namespace {

using CanvasDrag = CanvasTest;

/// What the canvas box paints, optionally only within clip, on black.
QImage Paint(const PictureBox& box, const QRegion& clip = {}) {
    QImage out(static_cast<int>(box.Width / 15), static_cast<int>(box.Height / 15),
               QImage::Format_RGB32);
    out.fill(Qt::black);
    QPainter p(&out);
    if (!clip.isEmpty()) p.setClipRegion(clip);
    PaintPictureBoxContent(p, box);
    return out;
}

TEST_F(CanvasDrag, MoveToolPansWithTheLeftButtonAloneUnlessTheCanvasHoldsACapture) {
    const float left = ed().Picture2.Left, top = ed().Picture2.Top;
    Press(3000, 2000);
    Move(3450, 1800);
    EXPECT_EQ(QPointF(ed().Picture2.Left, ed().Picture2.Top), QPointF(left + 450, top - 200));
    Move(3000, 2000);     // the press point is under the pointer again: no change
    Move(3100, 2000, 3);  // two buttons held: no pan
    app->Strip().Text1 = StartMode::ScreenMeasurement;
    Move(4000, 2500);
    EXPECT_EQ(ed().Picture2.Left, left + 450);
}

TEST_F(CanvasDrag, ColourLeaderSwatchAndCodeFollowTheOctant) {
    const struct {
        QLineF drag;  // press point to pointer
        int octant;
        QLineF first;  // the 45-degree leg; a shallow octant adds a level leg to the pointer
        QPointF swatch, code;
    } cases[] = {
        {{1000, 1000, 3000, 1500}, 1, {1000, 1000, 1500, 1500}, {3000, 1387.5}, {3135, 1347.5}},
        {{1000, 1000, 1500, 3000}, 2, {1000, 1000, 3000, 3000}, {3000, 2887.5}, {3135, 2887.5}},
        {{5000, 5000, 3000, 5500}, 4, {5000, 5000, 4500, 5500}, {2865, 5387.5}, {2655, 5387.5}},
        {{5000, 5000, 2000, 4500}, 5, {5000, 5000, 4500, 4500}, {1865, 4432.5}, {1655, 4432.5}},
        {{5000, 5000, 4500, 2000}, 6, {5000, 5000, 2000, 2000}, {1865, 1932.5}, {1655, 1932.5}},
        {{1000, 5000, 3000, 4500}, 8, {1000, 5000, 1500, 4500}, {3000, 4387.5}, {3135, 4347.5}},
    };
    Picture(1000, 1000);
    ed().Command4_Click();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.octant);
        const int n = ed().wwww;
        Press(c.drag.x1(), c.drag.y1());
        ed().co(n).Width = 210;
        ed().co(n).Height = 225;
        DragTo(c.drag.x2(), c.drag.y2());
        EXPECT_EQ(ed().Label2, c.octant);
        EXPECT_EQ(Seg(ed().zba(n)), c.first);
        const bool shallow = c.octant % 4 < 2;
        EXPECT_EQ(ed().zbb(n).Visible, shallow);
        if (shallow) {
            EXPECT_EQ(Seg(ed().zbb(n)), QLineF(c.first.p2(), {c.drag.x2(), c.first.y2()}));
        }
        EXPECT_TRUE(ed().co(n).Visible && ed().Shape1(n).Visible);
        EXPECT_EQ(QPointF(ed().Shape1(n).Left, ed().Shape1(n).Top), c.swatch);
        EXPECT_EQ(QPointF(ed().co(n).Left, ed().co(n).Top), c.code);
        Release(c.drag.x2(), c.drag.y2());
    }
    // Painted, the first swatch at 92.5 px keeps nine rows border to border, like its 135 twips.
    const QImage img = Paint(ed().Picture2);
    for (int y : {92, 93, 101, 102}) {
        EXPECT_EQ(img.pixel(204, y) == qRgb(0, 0, 0), y == 93 || y == 101) << y;
    }
    // Crossing upwards before the next tick: still laid by the old code.
    Press(1000, 1000);
    DragTo(3000, 1500);
    Move(3000, 500);
    EXPECT_EQ(Seg(ed().zba(ed().wwww)), QLineF(1000, 1000, 500, 500));
}

TEST_F(CanvasDrag, EdgeScrollingRunsInDrawingToolsUntilThePicturesEdge) {
    Picture(3000, 2000);  // larger than the 1920 x 1080 window
    desktop.cursor = QPoint(1915, 500);
    const float left = ed().Picture2.Left, top = ed().Picture2.Top;
    // One tick moves at most one window width per two seconds.
    const float most = ed().Width * static_cast<float>(ed().Timer2.Interval()) / 2000;
    ed().Timer2_Timer();
    EXPECT_EQ(ed().Picture2.Left, left);  // move tool
    ed().Command3_Click();
    ed().Timer2_Timer();
    const float step = left - ed().Picture2.Left;
    EXPECT_GT(step, 0);
    EXPECT_LT(step, most);
    for (int k = 0; k < 2000; ++k) ed().Timer2_Timer();
    const float end = ed().Width - ed().Picture2.Width;
    EXPECT_LE(ed().Picture2.Left, end);
    EXPECT_GT(ed().Picture2.Left, end - step);
    EXPECT_EQ(ed().Picture2.Top, top);

    // The top-left corner scrolls both ways until the edges come out from behind the bars.
    ed().Command4_Click();
    ed().Picture2.Left = ed().Picture2.Top = -3000;
    desktop.cursor = QPoint(1, 2);
    ed().Timer2_Timer();
    EXPECT_GT(ed().Picture2.Left, -3000);
    EXPECT_GT(ed().Picture2.Top, -3000);
    ed().Picture2.Left = ed().Picture1.Width;
    ed().Picture2.Top = ed().Picture6.Height;
    ed().Timer2_Timer();
    EXPECT_EQ(QPointF(ed().Picture2.Left, ed().Picture2.Top),
              QPointF(ed().Picture1.Width, ed().Picture6.Height));
}

TEST_F(CanvasDrag, RepaintOfAPartMatchesTheFullPictureThere) {
    Picture(400, 300, QColor(30, 60, 90));
    Draw(&Form1::Command3_Click, 1500, 1500, 4500, 1600);
    Draw(&Form1::Command6_Click, 4000, 3000, 2000, 3500);
    const QImage full = Paint(ed().Picture2);
    // Small pieces across the label, a tick, the note box and empty canvas.
    const QRegion part = QRegion(QRect(140, 90, 30, 20)) + QRect(99, 95, 3, 12) +
                         QRect(130, 220, 60, 30) + QRect(350, 250, 10, 10);
    const QImage partial = Paint(ed().Picture2, part);
    for (const QRect& r : part)
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                ASSERT_EQ(partial.pixel(x, y), full.pixel(x, y)) << x << "," << y;
}

}  // namespace
}  // namespace orv::test
