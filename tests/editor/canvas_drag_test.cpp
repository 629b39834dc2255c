// Pointer moves over the canvas: panning, read-outs, the live shape of a
// distance marker, the leader of colour markers and notes, edge scrolling.

#include <gtest/gtest.h>

#include "CanvasFixture.h"

namespace orv::test {
namespace {

using CanvasDrag = CanvasTest;

TEST_F(CanvasDrag, MoveToolPansTheCanvasUnlessItHoldsAScreenCapture) {
    const float left = ed().Picture2.Left, top = ed().Picture2.Top;
    Press(3000, 2000);
    Move(3450, 1800);
    EXPECT_EQ(ed().Picture2.Left, left + 450);
    EXPECT_EQ(ed().Picture2.Top, top - 200);
    // The press point is under the pointer again: a move there changes nothing.
    Move(3000, 2000);
    EXPECT_EQ(ed().Picture2.Left, left + 450);
    Move(3100, 2000, 3);  // two buttons held: no pan
    EXPECT_EQ(ed().Picture2.Left, left + 450);

    app->Strip().Text1 = QStringLiteral("0");
    Move(4000, 2500);
    EXPECT_EQ(ed().Picture2.Left, left + 450);
}

TEST_F(CanvasDrag, ReadOutsShowThePointerInPixels) {
    Move(4500, 1500, 0);
    EXPECT_EQ(ed().Label5.Caption(), QStringLiteral("X:300"));
    EXPECT_EQ(ed().Label6.Caption(), QStringLiteral("Y:100"));
    EXPECT_EQ(ed().Text5, 4500.0f);
    EXPECT_EQ(ed().Text6, 1500.0f);
    Move(-300, 7.5f, 0);
    EXPECT_EQ(ed().Label5.Caption(), QStringLiteral("X:-20"));
    EXPECT_EQ(ed().Label6.Caption(), QStringLiteral("Y:0.5"));
}

TEST_F(CanvasDrag, DistanceMarkerSnapsAndGrowsTicksAndLabel) {
    ed().Command3_Click();
    Press(1000, 2000);
    DragTo(4000, 2300);
    const Form1& f = ed();
    EXPECT_EQ(f.Label1, 1);
    EXPECT_EQ(f.Line1(1).X2, 4000);
    EXPECT_EQ(f.Line1(1).Y2, 2000);
    EXPECT_EQ(QLineF(f.aaaa(1).X1, f.aaaa(1).Y1, f.aaaa(1).X2, f.aaaa(1).Y2),
              QLineF(1000, 1920, 1000, 2080));
    EXPECT_EQ(QLineF(f.bbbb(1).X1, f.bbbb(1).Y1, f.bbbb(1).X2, f.bbbb(1).Y2),
              QLineF(4000, 1920, 4000, 2080));
    EXPECT_EQ(f.aapx(1).Left, 2500);
    EXPECT_EQ(f.aapx(1).Top, 2000);
    EXPECT_TRUE(f.aaaa(1).Visible && f.bbbb(1).Visible && f.aapx(1).Visible);
    EXPECT_EQ(f.aapx(1).Caption(), QStringLiteral("201px"));
    EXPECT_GT(f.aapx(1).StackKey(), f.bbbb(1).StackKey());

    // Turning steep re-snaps to the vertical through the press point.
    DragTo(1300, 5000);
    EXPECT_EQ(f.Label1, 2);
    EXPECT_EQ(QLineF(f.Line1(1).X1, f.Line1(1).Y1, f.Line1(1).X2, f.Line1(1).Y2),
              QLineF(1000, 2000, 1000, 5000));
    EXPECT_EQ(QLineF(f.aaaa(1).X1, f.aaaa(1).Y1, f.aaaa(1).X2, f.aaaa(1).Y2),
              QLineF(920, 2000, 1080, 2000));
    EXPECT_EQ(QLineF(f.bbbb(1).X1, f.bbbb(1).Y1, f.bbbb(1).X2, f.bbbb(1).Y2),
              QLineF(920, 5000, 1080, 5000));
    EXPECT_EQ(f.aapx(1).Left, 1000);
    EXPECT_EQ(f.aapx(1).Top, 3500);
    EXPECT_EQ(f.aapx(1).Caption(), f.px.Caption());
}

TEST_F(CanvasDrag, EveryWriteRunsEvenWhenAnElementIsMissing) {
    ed().Command3_Click();
    Press(1000, 2000);
    DragTo(4000, 2300);
    ed().aaaa.Unload(1);
    ed().aapx.Unload(1);
    EXPECT_NO_THROW(DragTo(6000, 2300));
    EXPECT_EQ(ed().Line1(1).X2, 6000);
    EXPECT_EQ(ed().bbbb(1).X1, 6000);
    EXPECT_EQ(ed().Label5.Caption(), QStringLiteral("X:400"));
}

class ColourLeader : public CanvasTest {
  protected:
    // A colour marker pressed at (px, py), its label sized 210 x 225 twips.
    void Start(float x, float y) {
        Picture(1000, 1000);
        ed().Command4_Click();
        Press(x, y);
        ed().co(1).Width = 210;
        ed().co(1).Height = 225;
    }
    QPointF Swatch() { return {ed().Shape1(1).Left, ed().Shape1(1).Top}; }
    QPointF Code() { return {ed().co(1).Left, ed().co(1).Top}; }
    QLineF Leg(ControlArray<Line>& a) { return {a(1).X1, a(1).Y1, a(1).X2, a(1).Y2}; }
};

TEST_F(ColourLeader, ShallowOctantBendsIntoAHorizontalLeg) {
    Start(1000, 1000);
    DragTo(3000, 1500);
    EXPECT_EQ(ed().Label2, 1);
    EXPECT_EQ(Leg(ed().zba), QLineF(1000, 1000, 1500, 1500));
    EXPECT_EQ(Leg(ed().zbb), QLineF(1500, 1500, 3000, 1500));
    EXPECT_TRUE(ed().zbb(1).Visible);
    EXPECT_TRUE(ed().co(1).Visible && ed().Shape1(1).Visible);
    EXPECT_EQ(Swatch(), QPointF(3000, 1387.5));
    EXPECT_EQ(Code(), QPointF(3135, 1347.5));
}

TEST_F(ColourLeader, SteepOctantEndsAtTheElbow) {
    Start(1000, 1000);
    DragTo(1500, 3000);
    EXPECT_EQ(ed().Label2, 2);
    EXPECT_EQ(Leg(ed().zba), QLineF(1000, 1000, 3000, 3000));
    EXPECT_FALSE(ed().zbb(1).Visible);
    EXPECT_EQ(Swatch(), QPointF(3000, 2887.5));
    EXPECT_EQ(Code(), QPointF(3135, 2887.5));
}

TEST_F(ColourLeader, LeftwardOctantsPutTheLabelBeforeTheSwatch) {
    Start(5000, 5000);
    DragTo(3000, 5500);  // octant 4: left, a little down
    EXPECT_EQ(ed().Label2, 4);
    EXPECT_EQ(Leg(ed().zba), QLineF(5000, 5000, 4500, 5500));
    EXPECT_EQ(Leg(ed().zbb), QLineF(4500, 5500, 3000, 5500));
    EXPECT_EQ(Swatch(), QPointF(2865, 5387.5));
    EXPECT_EQ(Code(), QPointF(2655, 5387.5));

    DragTo(2000, 4500);  // octant 5: left, a little up; centred on the swatch
    EXPECT_EQ(ed().Label2, 5);
    EXPECT_EQ(Leg(ed().zba), QLineF(5000, 5000, 4500, 4500));
    EXPECT_EQ(Swatch(), QPointF(1865, 4432.5));
    EXPECT_EQ(Code(), QPointF(1655, 4432.5));

    DragTo(4500, 2000);  // octant 6: up, a little left
    EXPECT_EQ(ed().Label2, 6);
    EXPECT_EQ(Leg(ed().zba), QLineF(5000, 5000, 2000, 2000));
    EXPECT_FALSE(ed().zbb(1).Visible);
    EXPECT_EQ(Swatch(), QPointF(1865, 1932.5));
}

TEST_F(ColourLeader, UpperRightOctantLiftsTheLabel) {
    Start(1000, 5000);
    DragTo(3000, 4500);  // octant 8
    EXPECT_EQ(ed().Label2, 8);
    EXPECT_EQ(Leg(ed().zba), QLineF(1000, 5000, 1500, 4500));
    EXPECT_EQ(Swatch(), QPointF(3000, 4387.5));
    EXPECT_EQ(Code(), QPointF(3135, 4347.5));
}

TEST_F(ColourLeader, LeaderFollowsTheCodeNotTheCurrentSigns) {
    Start(1000, 1000);
    DragTo(3000, 1500);  // octant 1
    Move(3000, 500);     // crossed upwards, no tick yet: still laid as octant 1
    EXPECT_EQ(Leg(ed().zba), QLineF(1000, 1000, 500, 500));
}

TEST_F(CanvasDrag, NoteBoxStartsAtTheLeaderEnd) {
    ed().Command6_Click();
    Press(5000, 2000);
    DragTo(3000, 1800);
    const Form1& f = ed();
    EXPECT_EQ(f.Label2, 5);
    EXPECT_EQ(QLineF(f.zba(1).X1, f.zba(1).Y1, f.zba(1).X2, f.zba(1).Y2),
              QLineF(5000, 2000, 4800, 1800));
    EXPECT_EQ(QLineF(f.zbb(1).X1, f.zbb(1).Y1, f.zbb(1).X2, f.zbb(1).Y2),
              QLineF(4800, 1800, 3000, 1800));
    EXPECT_EQ(f.bz(1).Left, 3000);
    EXPECT_EQ(f.bz(1).Top + f.bz(1).Height / 2, 1800);
}

class EdgeScroll : public CanvasTest {
  protected:
    void SetUp() override {
        CanvasTest::SetUp();
        Picture(3000, 2000);  // larger than the 1920 x 1080 window
    }
};

TEST_F(EdgeScroll, RightEdgeScrollsOnlyInDrawingToolsUntilThePictureEnds) {
    desktop.cursor = QPoint(1915, 500);
    const float left = ed().Picture2.Left;
    ed().Timer2_Timer();
    EXPECT_EQ(ed().Picture2.Left, left);  // move tool

    ed().Command3_Click();
    ed().Timer2_Timer();
    EXPECT_EQ(ed().Picture2.Left, left - 60);
    for (int k = 0; k < 2000; ++k) ed().Timer2_Timer();
    const float end = ed().Width - ed().Picture2.Width;
    EXPECT_LE(ed().Picture2.Left, end);
    EXPECT_GT(ed().Picture2.Left, end - 60);
    EXPECT_EQ(ed().Picture2.Top, ed().Picture6.Height + 100);  // untouched
}

TEST_F(EdgeScroll, TopLeftCornerScrollsAlongBothAxes) {
    ed().Command4_Click();
    ed().Picture2.Left = -3000;
    ed().Picture2.Top = -3000;
    desktop.cursor = QPoint(1, 2);
    ed().Timer2_Timer();
    EXPECT_EQ(ed().Picture2.Left, -2940);
    EXPECT_EQ(ed().Picture2.Top, -2940);
    // Once the picture's edge has come out from behind the bars it stops.
    ed().Picture2.Left = ed().Picture1.Width;
    ed().Picture2.Top = ed().Picture6.Height;
    ed().Timer2_Timer();
    EXPECT_EQ(ed().Picture2.Left, ed().Picture1.Width);
    EXPECT_EQ(ed().Picture2.Top, ed().Picture6.Height);
}

}  // namespace
}  // namespace orv::test
