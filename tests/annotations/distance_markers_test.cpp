// The live measurement tick (offsets, direction codes, length text) and
// moving a distance marker's length label.

#include <gtest/gtest.h>

#include "../editor/CanvasFixture.h"

namespace orv::test {
namespace {

using MeasuringTick = CanvasTest;

TEST_F(MeasuringTick, LengthCountsBothEndPixels) {
    ed().Command3_Click();
    Press(1500, 900);
    ed().Timer1_Timer();
    EXPECT_EQ(ed().px.Caption(), QStringLiteral("1px"));  // no movement
    EXPECT_EQ(ed().aapx(1).Caption(), QStringLiteral("1px"));
    DragTo(1650, 950);  // 10 pixels to the right
    EXPECT_EQ(*ed().ti, 150.0);
    EXPECT_EQ(ed().aapx(1).Caption(), QStringLiteral("11px"));
    Release(1650, 950);

    Press(1650, 3000);
    DragTo(1500, 3050);  // the same distance right to left
    EXPECT_EQ(ed().aapx(2).Caption(), QStringLiteral("11px"));
    // Vertical segments use the horizontal twips per pixel too.
    DragTo(1600, 6000);
    EXPECT_EQ(ed().aapx(2).Caption(), QStringLiteral("201px"));
}

TEST_F(MeasuringTick, DirectionCodesFollowTheOctantTable) {
    struct Case {
        float dx, dy;
        int octant, orientation;
    };
    const Case cases[] = {
        {300, 100, 1, 1},   {100, 300, 2, 2},   {-100, 300, 3, 2}, {-300, 100, 4, 1},
        {-300, -100, 5, 1}, {-100, -300, 6, 2}, {100, -300, 7, 2}, {300, -100, 8, 1},
    };
    ed().Command3_Click();
    Press(5000, 5000);
    for (const Case& c : cases) {
        ed().Text5 = 5000 + c.dx;
        ed().Text6 = 5000 + c.dy;
        ed().Timer1_Timer();
        EXPECT_EQ(ed().Text1, c.dx);
        EXPECT_EQ(ed().Text2, c.dy);
        EXPECT_FLOAT_EQ(ed().Text3, std::abs(c.dy / c.dx));
        EXPECT_EQ(ed().Label2, c.octant) << c.dx << "," << c.dy;
        EXPECT_EQ(ed().Label1, c.orientation) << c.dx << "," << c.dy;
    }
}

TEST_F(MeasuringTick, AxesAndDiagonalsKeepTheCodes) {
    ed().Command3_Click();
    Press(5000, 5000);
    ed().Text5 = 5300;
    ed().Text6 = 5100;
    ed().Timer1_Timer();
    ASSERT_EQ(ed().Label2, 1);
    for (QPointF p : {QPointF(5000, 4000), QPointF(6000, 5000), QPointF(4000, 4000),
                      QPointF(6000, 6000), QPointF(5000, 5000)}) {
        ed().Text5 = static_cast<float>(p.x());
        ed().Text6 = static_cast<float>(p.y());
        ed().Timer1_Timer();
        EXPECT_EQ(ed().Label2, 1) << p.x() << "," << p.y();
        EXPECT_EQ(ed().Label1, 1);
    }
    // Straight above the anchor the ratio keeps its old value.
    const float ratio = ed().Text3;
    ed().Text5 = 5000;
    ed().Text6 = 3000;
    ed().Timer1_Timer();
    EXPECT_EQ(ed().Text1, 0);
    EXPECT_EQ(ed().Text3, ratio);
}

TEST_F(MeasuringTick, AnchorDependsOnTheTool) {
    Picture(500, 500);
    ed().Command6_Click();
    Press(2000, 3000);
    ed().Text5 = 2600;
    ed().Text6 = 2000;
    ed().Timer1_Timer();
    EXPECT_EQ(ed().Text1, 600);
    EXPECT_EQ(ed().Text2, -1000);
    EXPECT_EQ(ed().Label2, 7);
    EXPECT_FALSE(ed().ti.has_value());  // only distances are measured
    Release(2600, 2000);

    ed().Command2_Click();  // move tool: offsets stay, codes from the old ratio
    ed().Text5 = 100;
    ed().Timer1_Timer();
    EXPECT_EQ(ed().Text1, 600);
    EXPECT_EQ(ed().Text2, -1000);
}

class LengthLabel : public CanvasTest {
  protected:
    void SetUp() override {
        CanvasTest::SetUp();
        ed().Command3_Click();
        Drag(1000, 2000, 4000, 2300);
        label = &ed().aapx(1);
    }
    Label* label = nullptr;
};

TEST_F(LengthLabel, DragMovesOnlyTheLabelAndTurnsTheLineBlueWhileHeld) {
    const float left = label->Left, top = label->Top;
    const QString caption = label->Caption();
    ed().aapx_MouseDown(1, Left(30, 40));
    EXPECT_EQ(ed().aapxindex, 1);
    EXPECT_EQ(ed().jzys.BackColor, kAnnotationRed);
    EXPECT_EQ(ed().Line1(1).BorderColor, RGB(0, 0, 255));
    ed().aapx_MouseMove(1, Left(530, -160));
    EXPECT_EQ(label->Left, left + 500);
    EXPECT_EQ(label->Top, top - 200);
    ed().aapx_MouseMove(1, MouseEvent{3, 0, 1000, 1000});  // both buttons: no move
    EXPECT_EQ(label->Left, left + 500);
    ed().aapx_MouseUp(1, Left(530, -160));
    EXPECT_EQ(ed().Line1(1).BorderColor, kAnnotationRed);
    EXPECT_EQ(label->ForeColor, kAnnotationRed);
    // The segment, ticks and text are untouched.
    EXPECT_EQ(ed().Line1(1).X2, 4000);
    EXPECT_EQ(ed().bbbb(1).X1, 4000);
    EXPECT_EQ(label->Caption(), caption);
}

TEST_F(LengthLabel, ReleaseGivesTheLineTheLabelsTextColour) {
    label->ForeColor = RGB(0, 128, 0);
    ed().aapx_MouseDown(1, Left(0, 0));
    ed().aapx_MouseUp(1, Left(0, 0));
    EXPECT_EQ(ed().Line1(1).BorderColor, RGB(0, 128, 0));
    EXPECT_EQ(label->ForeColor, RGB(0, 128, 0));
}

TEST_F(LengthLabel, RightPressOpensTheDistanceMenuForThatMarker) {
    Press(1000, 6000);
    DragTo(4000, 6100);
    Release(4000, 6100);
    ed().aapx_MouseDown(2, Right(5, 5));
    EXPECT_EQ(ed().aapxindex, 2);
    ASSERT_EQ(desktop.menusOpened.size(), 1u);
    EXPECT_EQ(desktop.menusOpened[0], QStringLiteral("cd"));
    EXPECT_EQ(ed().Line1(2).BorderColor, kAnnotationRed);  // not held: stays red
}

TEST_F(LengthLabel, ReleaseAfterTheMarkerWasDeletedIsHarmless) {
    ed().aapx_MouseDown(1, Left(0, 0));
    ed().Line1.Unload(1);
    ed().aapx.Unload(1);
    EXPECT_NO_THROW(ed().aapx_MouseUp(1, Left(0, 0)));
    EXPECT_NO_THROW(ed().aapx_MouseMove(1, Left(10, 10)));
}

}  // namespace
}  // namespace orv::test
