// Drags exactly along an axis or a diagonal draw the way the pointer went, in a
// fresh editor and after a drawing in another direction: distance markers,
// colour markers and notes alike.

#include <gtest/gtest.h>

#include "CanvasFixture.h"

namespace orv::test {
namespace {

constexpr float kX = 6000, kY = 6000;  // the press point of the drag under test

struct Case {
    float dx, dy;          // the drag, from the press point
    int octant, vertical;  // expected codes (vertical: orientation 2)
    float pdx, pdy;        // an earlier drawing in another direction
};
// Every offset lies on an axis or a diagonal; each earlier drawing matches a
// row of the table and gives the other orientation (or the other side).
constexpr Case kCases[] = {
    {1500, 0, 1, 0, -300, -1500},    {-1500, 0, 4, 0, 300, 1500},
    {0, 1500, 2, 1, -1500, 300},     {0, -1500, 7, 1, 1500, 300},
    {1500, 1500, 1, 0, -300, -1500}, {-1500, -1500, 5, 0, 300, 1500},
    {1500, -1500, 8, 0, -300, 1500}, {-1500, 1500, 4, 0, 300, -1500},
};

class AxisDrag : public CanvasTest {
  protected:
    void Fresh() {
        app = std::make_unique<App>(desktop, commandLine);
        Picture(1000, 1000);
    }
    // Runs check for each case, once in a fresh editor and once after the earlier drawing.
    template <class Check>
    void ForEachDrag(Check&& check) {
        for (const Case& c : kCases) {
            for (bool after : {false, true}) {
                SCOPED_TRACE(testing::Message() << c.dx << "," << c.dy << (after ? " after" : ""));
                Fresh();
                check(c, after);
                if (HasFatalFailure()) return;
            }
        }
    }
};

using Tool = void (Form1::*)();

TEST_F(AxisDrag, DistanceMarkerSnapsToTheAxisThePointerFollowed) {
    ForEachDrag([&](const Case& c, bool after) {
        if (after) Draw(&Form1::Command3_Click, 3000, 3000, 3000 + c.pdx, 3000 + c.pdy);
        ASSERT_NE(ed().Label2, c.octant);
        ed().Command3_Click();
        const int n = ed().qqqq;
        Press(kX, kY);
        DragTo(kX + c.dx, kY + c.dy);
        EXPECT_EQ(std::pair(ed().Label2, ed().Label1), std::pair(c.octant, c.vertical ? 2 : 1));
        const QLineF want =
            c.vertical ? QLineF(kX, kY, kX, kY + c.dy) : QLineF(kX, kY, kX + c.dx, kY);
        EXPECT_EQ(Seg(ed().Line1(n)), want);
        // The end ticks lie across the line at both ends.
        const QLineF tickA = Seg(ed().aaaa(n)), tickB = Seg(ed().bbbb(n));
        EXPECT_EQ(tickA.center(), want.p1());
        EXPECT_EQ(tickB.center(), want.p2());
        EXPECT_EQ(c.vertical ? tickA.dy() : tickA.dx(), 0);
        EXPECT_TRUE(ed().aaaa(n).Visible && ed().bbbb(n).Visible && ed().aapx(n).Visible);
        Release(kX + c.dx, kY + c.dy);
        EXPECT_EQ(ed().aapx(n).Caption(), QStringLiteral("101px"));
    });
}

// The leader's end: the pointer in a shallow octant, else the 45-degree elbow at its height.
QPointF LeaderEnd(const Case& c) {
    const bool shallow = c.octant % 4 < 2;
    return shallow ? QPointF(kX + c.dx, kY + c.dy) : QPointF(kX + std::abs(c.dy), kY + c.dy);
}

TEST_F(AxisDrag, ColourMarkerAndNoteLeadersFollowThePointer) {
    for (Tool tool : {&Form1::Command4_Click, &Form1::Command6_Click}) {
        const bool note = tool == &Form1::Command6_Click;
        SCOPED_TRACE(note ? "note" : "colour marker");
        ForEachDrag([&](const Case& c, bool after) {
            if (after) Draw(tool, 3000, 3000, 3000 + c.pdx, 3000 + c.pdy);
            ASSERT_NE(ed().Label2, c.octant);
            (ed().*tool)();
            const int n = ed().wwww;
            Press(kX, kY);
            DragTo(kX + c.dx, kY + c.dy);
            EXPECT_EQ(std::pair(ed().Label2, ed().Label1), std::pair(c.octant, c.vertical ? 2 : 1));
            const QPointF end = LeaderEnd(c);
            const bool shallow = !c.vertical;
            EXPECT_EQ(ed().zbb(n).Visible, shallow);
            EXPECT_EQ(shallow ? Seg(ed().zbb(n)).p2() : Seg(ed().zba(n)).p2(), end);
            if (note) {
                EXPECT_EQ(QPointF(ed().bz(n).Left, ed().bz(n).Top + ed().bz(n).Height / 2), end);
            } else {
                // Toward the right the swatch starts at the end; toward the left it ends there.
                const float sw = ed().Shape1(n).Width;
                const float left = c.dx >= 0 ? end.x() : end.x() - sw;
                EXPECT_EQ(ed().Shape1(n).Left, left);
                EXPECT_TRUE(ed().Shape1(n).Visible && ed().co(n).Visible);
            }
            Release(kX + c.dx, kY + c.dy);
        });
    }
}

}  // namespace
}  // namespace orv::test
