// The live measurement tick (offsets, direction codes, length text), and
// pressing the labels and boxes of placed annotations.

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "../editor/CanvasFixture.h"

namespace orv::test {
namespace {

using MeasuringTick = CanvasTest;

TEST_F(MeasuringTick, LengthCountsBothEndPixels) {
    ed().Command3_Click();
    Press(1500, 900);
    ed().Timer1_Timer();
    EXPECT_EQ(ed().aapx(1).Caption(), QStringLiteral("1px"));  // no movement
    DragTo(1650, 950);                                         // 10 pixels to the right
    EXPECT_EQ(*ed().ti, 150.0);
    EXPECT_EQ(ed().px.Caption(), QStringLiteral("11px"));
    EXPECT_EQ(ed().aapx(1).Caption(), QStringLiteral("11px"));
}

TEST_F(MeasuringTick, DirectionCodesFollowTheOctantTableAndTakeAxesAndDiagonals) {
    // After the eight rows: an axis gives its own direction, a diagonal the shallow octant of
    // its quadrant; only the anchor itself leaves the codes as they were.
    const struct {
        float dx, dy;
        int octant, orientation;
    } cases[] = {{300, 100, 1, 1},    {100, 300, 2, 2},    {-100, 300, 3, 2},  {-300, 100, 4, 1},
                 {-300, -100, 5, 1},  {-100, -300, 6, 2},  {100, -300, 7, 2},  {300, -100, 8, 1},
                 {1000, 0, 1, 1},     {0, -1000, 7, 2},    {-1000, 0, 4, 1},   {-1000, -1000, 5, 1},
                 {1000, -1000, 8, 1}, {-1000, 1000, 4, 1}, {1000, 1000, 1, 1}, {0, 1000, 2, 2},
                 {0, 0, 2, 2}};
    ed().Command3_Click();
    Press(5000, 5000);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dx << "," << c.dy);
        ed().Text5 = 5000 + c.dx;
        ed().Text6 = 5000 + c.dy;
        ed().Timer1_Timer();
        EXPECT_EQ(QPointF(ed().Text1, ed().Text2), QPointF(c.dx, c.dy));
        EXPECT_EQ(std::pair(ed().Label2, ed().Label1), std::pair(c.octant, c.orientation));
    }
    EXPECT_EQ(ed().Text3, 1.0f);  // with no horizontal offset the ratio |dy| / |dx| keeps its value
}

// Length labels, code labels and note boxes alike: a left drag moves only that part, with its
// marker's lines blue while held; the release gives them the part's text colour; a right press
// opens the marker's menu; a marker deleted meanwhile is left alone.
TEST_F(MeasuringTick, PressingAPlacedAnnotationMovesOnlyThePartOrOpensItsMenu) {
    Picture(600, 400);
    Form1& f = ed();
    const struct {
        void (Form1::*tool)();
        Handler down, move, up;
        ControlArray<Line>*lineA, *lineB;  // the lines of the marker (a distance has one)
        int Form1::*index;
        const char* menu;
        void (Form1::*remove)();
    } kinds[] = {
        {&Form1::Command3_Click, &Form1::aapx_MouseDown, &Form1::aapx_MouseMove,
         &Form1::aapx_MouseUp, &f.Line1, &f.Line1, &Form1::aapxindex, "cd", &Form1::delline_Click},
        {&Form1::Command4_Click, &Form1::co_MouseDown, &Form1::co_MouseMove, &Form1::co_MouseUp,
         &f.zba, &f.zbb, &Form1::coindex, "cdd", &Form1::delzbb_Click},
        {&Form1::Command6_Click, &Form1::bz_MouseDown, &Form1::bz_MouseMove, &Form1::bz_MouseUp,
         &f.zba, &f.zbb, &Form1::bzindex, "cddd", &Form1::Command19_Click}};
    // The part of kind k a left drag holds, and its text colour.
    const auto partOf = [&](int k, int i) -> std::pair<Control*, Colour*> {
        if (k == 0) return {&f.aapx(i), &f.aapx(i).ForeColor};
        if (k == 1) return {&f.co(i), &f.co(i).ForeColor};
        return {&f.bz(i), &f.bz(i).ForeColor};
    };
    const auto placesBut = [&](const Control& held) {
        std::map<const Control*, QRectF> out;
        for (const Control* c : f.Picture2.Children()) {
            float l, t, w, h;
            c->Bounds(l, t, w, h);
            if (c != &held) out[c] = QRectF(l, t, w, h);
        }
        return out;
    };
    for (int kind = 0; kind < 3; ++kind) {
        const auto& k = kinds[kind];
        SCOPED_TRACE(k.menu);
        const int n = Draw(k.tool, 1000, 2000, 4000, 2300);
        auto [held, text] = partOf(kind, n);
        Control& part = *held;
        *text = RGB(0, 128, 0);
        const QPointF start(part.Left, part.Top);
        const auto others = placesBut(part);
        ASSERT_GT(others.size(), 10u);
        (f.*k.down)(n, Left(30, 45));
        EXPECT_EQ(f.*k.index, n);
        for (auto* l : {k.lineA, k.lineB}) EXPECT_EQ((*l)(n).BorderColor, RGB(0, 0, 255));
        (f.*k.move)(n, Left(130, 95));
        (f.*k.move)(n, Left(60, 45));  // relative to the part, which has moved
        for (int buttons : {3, 2, 0}) (f.*k.move)(n, MouseEvent{buttons, 0, 900, 900});
        EXPECT_EQ(QPointF(part.Left, part.Top), start + QPointF(130, 50));
        EXPECT_EQ(placesBut(part), others);  // lines, ticks, swatch and other markers stay
        for (const Control* c : f.Picture2.Children())
            if (c != &part && c->Windowed() == part.Windowed()) {
                EXPECT_GT(part.StackKey(), c->StackKey()) << c->Name.toStdString();
            }
        (f.*k.up)(n, Left(60, 45));
        for (auto* l : {k.lineA, k.lineB}) EXPECT_EQ((*l)(n).BorderColor, RGB(0, 128, 0));
        EXPECT_EQ(*text, RGB(0, 128, 0));

        f.*k.index = 0;
        (f.*k.down)(n, Right(5, 5));  // menu dismissed
        EXPECT_EQ(f.*k.index, n);
        EXPECT_EQ(desktop.menusOpened.back(), QString::fromLatin1(k.menu));
        for (auto* l : {k.lineA, k.lineB})
            EXPECT_EQ((*l)(n).BorderColor, RGB(0, 128, 0));  // not held

        (f.*k.down)(n, Left(0, 0));
        (f.*k.remove)();
        EXPECT_NO_THROW((f.*k.move)(n, Left(10, 10)));
        EXPECT_NO_THROW((f.*k.up)(n, Left(10, 10)));
    }
}

}  // namespace
}  // namespace orv::test
