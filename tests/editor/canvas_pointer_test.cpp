// Press and release on the canvas: what each tool creates, with which
// visibility, and how the counters advance.

#include <gtest/gtest.h>

#include "CanvasFixture.h"

namespace orv::test {
namespace {

using CanvasPress = CanvasTest;

TEST_F(CanvasPress, DistancePressWithoutMovementLeavesAOnePointSegment) {
    ed().Command3_Click();
    Press(1500, 900);
    EXPECT_TRUE(ed().Timer1.Enabled());
    Release(1500, 900);
    EXPECT_FALSE(ed().Timer1.Enabled());

    const Line& l = ed().Line1(1);
    EXPECT_TRUE(l.Visible);
    EXPECT_EQ(l.X1, 1500);
    EXPECT_EQ(l.X2, 1500);
    EXPECT_EQ(l.Y1, 900);
    EXPECT_EQ(l.Y2, 900);
    EXPECT_FALSE(ed().aaaa(1).Visible);
    EXPECT_FALSE(ed().bbbb(1).Visible);
    EXPECT_FALSE(ed().aapx(1).Visible);
    EXPECT_EQ(ed().qqqq, 2);
    // New elements are copies of the template.
    EXPECT_EQ(l.BorderColor, kAnnotationRed);
    EXPECT_EQ(ed().aapx(1).ToolTipText, ed().aapx.Template().ToolTipText);
}

TEST_F(CanvasPress, ReleasePlacesTheLengthLabelByOrientation) {
    ed().Command3_Click();
    Drag(1000, 2000, 4000, 2150);
    ASSERT_EQ(ed().Label1, 1);
    const Line& h = ed().Line1(1);
    EXPECT_EQ(h.X2, 4000);
    EXPECT_EQ(h.Y2, 2000);
    EXPECT_EQ(ed().aapx(1).Left, 2500);
    EXPECT_EQ(ed().aapx(1).Top, 1900);

    Press(1000, 2000);
    DragTo(1100, 5000);
    ASSERT_EQ(ed().Label1, 2);
    ed().aapx(2).Width = 600;
    Release(1100, 5000);
    const Line& v = ed().Line1(2);
    EXPECT_EQ(v.X2, 1000);
    EXPECT_EQ(v.Y2, 5000);
    EXPECT_EQ(ed().aapx(2).Left, 700);
    EXPECT_EQ(ed().aapx(2).Top, 3500);
    EXPECT_EQ(ed().aapx(2).Width, 600);  // only the place changes
    EXPECT_EQ(ed().qqqq, 3);
}

TEST_F(CanvasPress, ExactlyHorizontalDragInAFreshEditorPlacesNoLabel) {
    ed().Command3_Click();
    Drag(1000, 2000, 4000, 2000);
    EXPECT_EQ(ed().Label1, 0);
    EXPECT_EQ(ed().aapx(1).Left, ed().aapx.Template().Left);
    EXPECT_EQ(ed().aapx(1).Top, ed().aapx.Template().Top);
    EXPECT_EQ(ed().Line1(1).X2, 1000);  // no direction yet: the segment did not grow
}

TEST_F(CanvasPress, ColourPickReadsTheCanvasAndFillsTheHiddenMarker) {
    QImage img(100, 100, QImage::Format_RGB32);
    img.fill(Qt::white);
    img.setPixel(20, 10, qRgb(12, 11, 10));
    ed().Picture2.SetPicture(img);
    ed().Command4_Click();
    Press(20 * 15 + 7, 10 * 15 + 7);
    EXPECT_EQ(ed().vars.sampledColor, 658188);
    EXPECT_TRUE(ed().Timer1.Enabled());
    EXPECT_TRUE(ed().zba(1).Visible);
    EXPECT_FALSE(ed().zbb(1).Visible);
    EXPECT_FALSE(ed().co(1).Visible);
    EXPECT_FALSE(ed().Shape1(1).Visible);
    EXPECT_EQ(ed().co(1).Caption(), QStringLiteral("#0C0B0A"));
    EXPECT_EQ(ed().Shape1(1).BackColor, RGB(12, 11, 10));
    EXPECT_EQ(ed().zba(1).X2, 307);
    EXPECT_EQ(ed().zba(1).Y1, 157);
}

TEST_F(CanvasPress, ColourMarkersAndNotesShareOneCounter) {
    Picture(200, 200);
    ed().Command4_Click();
    Press(100, 100);
    Release(100, 100);
    Press(300, 300);
    Release(300, 300);
    ed().Command6_Click();
    Press(500, 500);
    EXPECT_TRUE(ed().bz(3).Visible);
    EXPECT_TRUE(ed().zba(3).Visible);
    EXPECT_FALSE(ed().bzz(3).Visible);
    EXPECT_TRUE(ed().Timer1.Enabled());
    Release(500, 500);
    EXPECT_TRUE(ed().co.Exists(1) && ed().co.Exists(2));
    EXPECT_FALSE(ed().co.Exists(3));
    EXPECT_FALSE(ed().bz.Exists(1) || ed().bz.Exists(2));
    EXPECT_EQ(ed().wwww, 4);
}

TEST_F(CanvasPress, PickOutsideThePictureCreatesNoMarker) {
    Picture(10, 10);
    ed().Command4_Click();
    Press(10 * 15 + 1, 5);  // just past the right edge: Point is -1
    EXPECT_EQ(ed().vars.sampledColor, -1);
    EXPECT_EQ(ed().zba.Count(), 0);
    EXPECT_EQ(ed().co.Count(), 0);
    EXPECT_FALSE(ed().Timer1.Enabled());
    EXPECT_NO_THROW(Move(400, 400));
    Release(400, 400);
    EXPECT_EQ(ed().wwww, 2);  // like any press that made nothing
}

TEST_F(CanvasPress, OtherButtonsCreateNothingButStillUseUpTheIndex) {
    ed().Command3_Click();
    Press(700, 800, 2);
    EXPECT_EQ(ed().vars.pressX, 700);
    EXPECT_EQ(ed().vars.pressY, 800);
    EXPECT_EQ(ed().Line1.Count(), 0);
    Release(700, 800, 2);
    EXPECT_EQ(ed().qqqq, 2);
    Press(100, 100);
    EXPECT_TRUE(ed().Line1.Exists(2));
    EXPECT_FALSE(ed().Line1.Exists(1));
}

TEST_F(CanvasPress, MoveToolOnlyRecordsThePressPoint) {
    Press(3000, 2000);
    Release(3000, 2000);
    EXPECT_EQ(ed().vars.pressX, 3000);
    EXPECT_EQ(ed().vars.pressY, 2000);
    EXPECT_EQ(ed().qqqq, 1);
    EXPECT_EQ(ed().wwww, 1);
    EXPECT_EQ(ed().Line1.Count() + ed().zba.Count(), 0);
    EXPECT_TRUE(ed().Picture2.AutoRedraw);
}

TEST_F(CanvasPress, PressWhoseReleaseWasLostKeepsTheEarlierMarker) {
    ed().Command3_Click();
    Press(1000, 1000);
    DragTo(3000, 1100);
    Press(5000, 5000);  // the release of the first drag never arrived
    EXPECT_EQ(ed().Line1(1).X2, 3000);
    EXPECT_EQ(ed().Line1(2).X1, 5000);
    EXPECT_EQ(ed().qqqq, 2);
    Release(5000, 5000);
    EXPECT_EQ(ed().qqqq, 3);

    Picture(500, 500);
    ed().Command6_Click();
    Press(100, 100);
    Press(200, 200);
    EXPECT_EQ(ed().zba(1).X1, 100);
    EXPECT_EQ(ed().zba(2).X1, 200);
}

}  // namespace
}  // namespace orv::test
