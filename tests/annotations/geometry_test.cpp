// The live geometry of annotations, without a window: direction codes,
// distance layouts, leaders and where labels and note boxes sit.

#include <gtest/gtest.h>

#include "annotations/Geometry.h"

namespace orv {
namespace {

TEST(GeometryTest, DirectionCodesFollowTheOctantTable) {
    struct Case {
        float dx, dy;
        int octant, orientation;
    } cases[] = {{10, 2, 1, 1},   {2, 10, 2, 2},   {-2, 10, 3, 2}, {-10, 2, 4, 1},
                 {-10, -2, 5, 1}, {-2, -10, 6, 2}, {2, -10, 7, 2}, {10, -2, 8, 1}};
    for (const Case& c : cases) {
        const auto d = DirectionOf(c.dx, c.dy, std::abs(c.dy) / std::abs(c.dx));
        ASSERT_TRUE(d) << c.dx << "," << c.dy;
        EXPECT_EQ(*d, (Direction{c.octant, c.orientation})) << c.dx << "," << c.dy;
    }
    // Along an axis or a diagonal every drag still has a direction; the ratio
    // kept from an earlier offset does not count on the vertical axis.
    EXPECT_EQ(DirectionOf(10, 0, 0), (Direction{1, 1}));
    EXPECT_EQ(DirectionOf(-10, 0, 0), (Direction{4, 1}));
    EXPECT_EQ(DirectionOf(0, 10, 0.2f), (Direction{2, 2}));
    EXPECT_EQ(DirectionOf(0, -10, 0.2f), (Direction{7, 2}));
    EXPECT_EQ(DirectionOf(-5, -5, 1), (Direction{5, 1}));
    EXPECT_FALSE(DirectionOf(0, 0, 3));
}

TEST(GeometryTest, DistanceLayoutSnapsToItsOrientationWithTicksAcrossBothEnds) {
    const auto h = LayOutDistance({300, 300}, {1500, 420}, 1);
    ASSERT_TRUE(h);
    EXPECT_EQ(h->Line, (Segment{300, 300, 1500, 300}));
    EXPECT_EQ(h->StartTick, (Segment{300, 220, 300, 380}));
    EXPECT_EQ(h->EndTick, (Segment{1500, 220, 1500, 380}));
    EXPECT_EQ(h->Label, QPointF(900, 300));
    const auto v = LayOutDistance({300, 300}, {420, 1500}, 2);
    ASSERT_TRUE(v);
    EXPECT_EQ(v->Line, (Segment{300, 300, 300, 1500}));
    EXPECT_EQ(v->StartTick, (Segment{220, 300, 380, 300}));
    EXPECT_EQ(v->EndTick, (Segment{220, 1500, 380, 1500}));
    EXPECT_EQ(v->Label, QPointF(300, 900));
    EXPECT_FALSE(LayOutDistance({0, 0}, {5, 5}, 0));

    EXPECT_EQ(*RestingLabelPlace(h->Line, 1, 500), QPointF(900, 200));
    EXPECT_EQ(*RestingLabelPlace(v->Line, 2, 500), QPointF(50, 900));
    EXPECT_FALSE(RestingLabelPlace(h->Line, 0, 500));
}

TEST(GeometryTest, LeadersRunAt45DegreesWithAFootOnlyInShallowOctants) {
    // Octant 1 (right, down, shallow): leg to the pointer's height, foot on to the pointer.
    const auto shallow = LayOutLeader({100, 100}, {900, 300}, 1);
    ASSERT_TRUE(shallow);
    EXPECT_EQ(shallow->Leg, (Segment{100, 100, 300, 300}));
    EXPECT_TRUE(shallow->FootVisible);
    EXPECT_EQ(shallow->Foot, (Segment{300, 300, 900, 300}));
    EXPECT_EQ(shallow->End, QPointF(900, 300));
    // Octant 3 (left, down, steep): the leg leans left and ends the leader.
    const auto steep = LayOutLeader({100, 100}, {50, 600}, 3);
    ASSERT_TRUE(steep);
    EXPECT_EQ(steep->Leg, (Segment{100, 100, -400, 600}));
    EXPECT_FALSE(steep->FootVisible);
    EXPECT_EQ(steep->End, QPointF(-400, 600));
    // Octant 6 (left, up, steep) leans right: the leg's x grows as y falls... mirrored.
    EXPECT_EQ(LayOutLeader({100, 100}, {80, -300}, 6)->Leg, (Segment{100, 100, -300, -300}));
    EXPECT_FALSE(LayOutLeader({0, 0}, {1, 1}, 0));
    EXPECT_FALSE(LayOutLeader({0, 0}, {1, 1}, 9));
}

TEST(GeometryTest, ColourLabelsAndNoteBoxesHangOnTheLeadersEnd) {
    const QSizeF swatch(135, 135), code(900, 240);
    // Rightward: swatch at the end, code after it, lifted in the shallow octants 1 and 8.
    const auto right = PlaceColourLabel(1, {1000, 500}, swatch, code);
    EXPECT_EQ(right.Swatch, QPointF(1000, 380));
    EXPECT_EQ(right.Code, QPointF(1135, 340));
    EXPECT_EQ(PlaceColourLabel(2, {1000, 500}, swatch, code).Code, QPointF(1135, 380));
    // Leftward: code before the swatch; centred on the swatch except in octant 4.
    const auto steepLeft = PlaceColourLabel(3, {1000, 500}, swatch, code);
    EXPECT_EQ(steepLeft.Swatch, QPointF(865, 432.5));
    EXPECT_EQ(steepLeft.Code, QPointF(-35, 432.5));
    EXPECT_EQ(PlaceColourLabel(4, {1000, 500}, swatch, code).Swatch, QPointF(865, 380));

    EXPECT_EQ(PlaceNoteBox({700, 900}, 300), QPointF(700, 750));
    EXPECT_EQ(NoteBoxSize({635, 185}), QSizeF(735, 285));
}

}  // namespace
}  // namespace orv
