// Press and release on the canvas: what each tool creates, with which
// visibility, and how the counters advance.

#include <gtest/gtest.h>

#include "CanvasFixture.h"

namespace orv::test {
namespace {

using CanvasPress = CanvasTest;

// Press, drag and release of a distance marker: the segment snaps to the axis its direction code
// says, grows 80-twip end ticks and its length label, which the release places by orientation.
TEST_F(CanvasPress, DistanceMarkerSnapsWhileDraggedAndItsReleasePlacesTheLabel) {
    const Form1& f = ed();
    ed().Command3_Click();
    Press(1000, 2000);
    EXPECT_TRUE(f.Timer1.Enabled() && f.Line1(1).Visible);
    EXPECT_EQ(Seg(f.Line1(1)), QLineF(1000, 2000, 1000, 2000));
    EXPECT_FALSE(f.aaaa(1).Visible || f.bbbb(1).Visible || f.aapx(1).Visible);
    // Exactly horizontal in a fresh editor: horizontal, and the release places the label.
    DragTo(4000, 2000);
    Release(4000, 2000);
    EXPECT_FALSE(f.Timer1.Enabled());
    EXPECT_EQ(f.Label1, 1);
    EXPECT_EQ(Seg(f.Line1(1)), QLineF(1000, 2000, 4000, 2000));
    EXPECT_EQ(QPointF(f.aapx(1).Left, f.aapx(1).Top), QPointF(2500, 1900));

    Press(1000, 2000);
    DragTo(4000, 2150);
    EXPECT_EQ(f.Label1, 1);
    EXPECT_EQ(Seg(f.Line1(2)), QLineF(1000, 2000, 4000, 2000));
    EXPECT_EQ(Seg(f.aaaa(2)), QLineF(1000, 1920, 1000, 2080));
    EXPECT_EQ(Seg(f.bbbb(2)), QLineF(4000, 1920, 4000, 2080));
    EXPECT_EQ(QPointF(f.aapx(2).Left, f.aapx(2).Top), QPointF(2500, 2000));
    EXPECT_TRUE(f.aaaa(2).Visible && f.bbbb(2).Visible && f.aapx(2).Visible);
    EXPECT_EQ(f.aapx(2).Caption(), QStringLiteral("201px"));
    EXPECT_GT(f.aapx(2).StackKey(), f.bbbb(2).StackKey());
    Release(4000, 2150);
    EXPECT_EQ(QPointF(f.aapx(2).Left, f.aapx(2).Top), QPointF(2500, 1900));

    Press(1000, 2000);
    DragTo(1300, 5000);
    EXPECT_EQ(f.Label1, 2);
    EXPECT_EQ(Seg(f.Line1(3)), QLineF(1000, 2000, 1000, 5000));
    EXPECT_EQ(Seg(f.aaaa(3)), QLineF(920, 2000, 1080, 2000));
    EXPECT_EQ(Seg(f.bbbb(3)), QLineF(920, 5000, 1080, 5000));
    EXPECT_EQ(QPointF(f.aapx(3).Left, f.aapx(3).Top), QPointF(1000, 3500));
    EXPECT_EQ(f.aapx(3).Caption(), QStringLiteral("201px"));  // the vertical length
    ed().aapx(3).Width = 600;
    Release(1300, 5000);
    EXPECT_EQ(QPointF(f.aapx(3).Left, f.aapx(3).Top), QPointF(700, 3500));
    EXPECT_EQ(f.qqqq, 4);

    // Every write of a move runs even when an element is missing.
    Press(1000, 2000);
    ed().aaaa.Unload(4);
    ed().aapx.Unload(4);
    EXPECT_NO_THROW(DragTo(6000, 1500));
    EXPECT_EQ(std::pair(f.Line1(4).X2, f.bbbb(4).X1), std::pair(6000.0f, 6000.0f));
    // The read-outs show the pointer in pixels.
    EXPECT_EQ(f.Label5.Caption() + f.Label6.Caption(), QStringLiteral("X:400Y:100"));
}

TEST_F(CanvasPress, ColourPickReadsTheCanvasAndSharesItsCounterWithNotes) {
    QImage img(100, 100, QImage::Format_RGB32);
    img.fill(Qt::white);
    img.setPixel(20, 10, qRgb(12, 11, 10));
    ed().Picture2.SetPicture(img);
    ed().Command4_Click();
    Press(20 * 15 + 7, 10 * 15 + 7);
    EXPECT_EQ(ed().vars.sampledColor, 658188);
    EXPECT_EQ(ed().co(1).Caption(), QStringLiteral("#0C0B0A"));
    EXPECT_EQ(ed().Shape1(1).BackColor, RGB(12, 11, 10));
    EXPECT_TRUE(ed().zba(1).Visible && ed().Timer1.Enabled());
    EXPECT_FALSE(ed().zbb(1).Visible || ed().co(1).Visible || ed().Shape1(1).Visible);
    EXPECT_EQ(Seg(ed().zba(1)), QLineF(307, 157, 307, 157));
    DragTo(900, 600);  // a click without a drag would make no marker
    Release(900, 600);

    ed().Command6_Click();
    Press(500, 500);
    EXPECT_TRUE(ed().bz(2).Visible && ed().zba(2).Visible && ed().Timer1.Enabled());
    EXPECT_FALSE(ed().bzz(2).Visible || ed().co.Exists(2) || ed().bz.Exists(1));
    Release(500, 500);
    EXPECT_EQ(ed().wwww, 3);
}

// The move tool, other buttons and a colour pick where the surface has no pixel record the press
// and make nothing; every release in a drawing tool uses up an index all the same.
TEST_F(CanvasPress, PressesThatMakeNothingOnlyRecordThePress) {
    Press(3000, 2000);
    Release(3000, 2000);
    EXPECT_EQ(ed().qqqq + ed().wwww, 2);
    ed().Command3_Click();
    Press(700, 800, 2);
    EXPECT_EQ(QPointF(ed().vars.pressX, ed().vars.pressY), QPointF(700, 800));
    EXPECT_EQ(ed().Line1.Count() + ed().zba.Count(), 0);
    Release(700, 800, 2);
    EXPECT_EQ(ed().qqqq, 2);
    Press(100, 100);
    EXPECT_TRUE(ed().Line1.Exists(2));
    EXPECT_FALSE(ed().Line1.Exists(1));
    Release(100, 100);

    Picture(10, 10);
    ed().Command4_Click();
    Press(10 * 15 + 1, 5);  // just past the right edge: Point is -1
    EXPECT_EQ(ed().vars.sampledColor, -1);
    EXPECT_EQ(ed().zba.Count() + ed().co.Count(), 0);
    EXPECT_FALSE(ed().Timer1.Enabled());
    EXPECT_NO_THROW(Move(400, 400));
    Release(400, 400);
    EXPECT_EQ(ed().wwww, 2);
}

TEST_F(CanvasPress, PressWhoseReleaseWasLostKeepsTheEarlierMarker) {
    ed().Command3_Click();
    Press(1000, 1000);
    DragTo(3000, 1100);
    Press(5000, 5000);
    EXPECT_EQ(ed().Line1(1).X2, 3000);
    EXPECT_EQ(ed().Line1(2).X1, 5000);
    DragTo(6000, 5000);
    Release(6000, 5000);
    EXPECT_EQ(ed().qqqq, 3);

    ed().Command6_Click();
    Press(100, 100);
    Press(200, 200);
    EXPECT_EQ(ed().zba(1).X1, 100);
    EXPECT_EQ(ed().zba(2).X1, 200);
}

}  // namespace
}  // namespace orv::test
