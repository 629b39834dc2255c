// The geometry of boxes and redactions: drags kept inside the picture, the
// size label placed outside the box where the canvas has room, edges taken
// hold of and dragged, and pixelation blocks that a clip does not shift.

#include <gtest/gtest.h>

#include "annotations/BoxGeometry.h"
#include "imaging/Redaction.h"

namespace orv {
namespace {

TEST(BoxGeometry, ADragCountsBothEdgePixelsAndStaysOnThePicture) {
    EXPECT_EQ(PixelBoxBetween({10, 5}, {129, 40}, {300, 200}), QRect(10, 5, 120, 36));
    EXPECT_EQ(PixelBoxBetween({129, 40}, {10, 5}, {300, 200}), QRect(10, 5, 120, 36));
    // Dragged off the picture, the box ends at its last pixel.
    EXPECT_EQ(PixelBoxBetween({280, 190}, {400, -50}, {300, 200}), QRect(280, 0, 20, 191));
    EXPECT_TRUE(PixelBoxBetween({1, 1}, {2, 2}, {0, 0}).isEmpty());
    EXPECT_EQ(PixelAt(14.9f, 15.0f, 15, 15), QPoint(0, 1));
}

TEST(BoxGeometry, TheLabelGoesAboveBelowOrInsideAndNeverPastTheRightEdge) {
    const QSizeF label(900, 300), canvas(4500, 3000);
    // Room above: just above, at the box's left edge.
    EXPECT_EQ(PlaceBoxLabel({600, 1500, 1800, 540}, label, canvas), QPointF(600, 1200));
    // At the top of the picture: below the box.
    EXPECT_EQ(PlaceBoxLabel({600, 100, 1800, 540}, label, canvas), QPointF(600, 640));
    // As tall as the picture: inside its top-left corner.
    EXPECT_EQ(PlaceBoxLabel({600, 0, 1800, 3000}, label, canvas), QPointF(600, 0));
    // At the right edge: pushed left so it ends on the canvas.
    EXPECT_EQ(PlaceBoxLabel({4200, 1500, 300, 300}, label, canvas), QPointF(3600, 1200));
    // A label wider than the canvas starts at its left edge.
    EXPECT_EQ(PlaceBoxLabel({0, 1500, 300, 300}, {6000, 300}, canvas), QPointF(0, 1200));
}

TEST(BoxGeometry, APressTakesHoldOfTheNearestEdgesOrMovesTheWholeArea) {
    const QRectF area(1500, 1500, 1500, 900);
    const float reach = 60;
    EXPECT_EQ(GripAt(area, {1530, 1900}, reach), (AreaGrip{true, false, false, false}));
    EXPECT_EQ(GripAt(area, {3040, 2420}, reach), (AreaGrip{false, false, true, true}));
    EXPECT_FALSE(GripAt(area, {2200, 1900}, reach).Any());  // inside: a move
    EXPECT_FALSE(GripAt(area, {5000, 1900}, reach).Any());  // far outside
    // A sliver thinner than two reaches: the nearer edge only.
    EXPECT_EQ(GripAt({1500, 1500, 60, 900}, {1550, 1900}, reach),
              (AreaGrip{false, false, true, false}));
}

TEST(BoxGeometry, DraggedEdgesSnapToPixelsTurnOverAndKeepOnePixel) {
    const QRectF area(1500, 1500, 1500, 900);
    const float tpp = 15;
    // The right edge follows by 7 pixels and a bit: whole pixels only.
    EXPECT_EQ(DragArea(area, {false, false, true, false}, 110, 40, tpp),
              QRectF(1500, 1500, 1605, 900));
    // No grip: the whole area moves.
    EXPECT_EQ(DragArea(area, {}, -300, 150, tpp), QRectF(1200, 1650, 1500, 900));
    // The left edge dragged past the right one: the area turns over.
    EXPECT_EQ(DragArea(area, {true, false, false, false}, 2010, 0, tpp),
              QRectF(3000, 1500, 510, 900));
    // Onto the opposite edge: one pixel stays.
    EXPECT_EQ(DragArea(area, {false, true, false, false}, 0, 900, tpp),
              QRectF(1500, 2385, 1500, 15));
}

TEST(Redaction, BlocksAreMeansCountedFromTheAreaAndAClipDoesNotShiftThem) {
    QImage original(40, 30, QImage::Format_RGB32);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) original.setPixel(x, y, qRgb(x * 6, y * 8, (x * y) % 256));
    const QRect area(5, 3, 30, 20);  // blocks of 12, cut to 6 and 8 at the far edges
    QImage whole = original.copy();
    RedactArea(original, whole, area, whole.rect(), false);
    int sum = 0;
    for (int y = 3; y < 15; ++y)
        for (int x = 5; x < 17; ++x) sum += qRed(original.pixel(x, y));
    EXPECT_EQ(qRed(whole.pixel(5, 3)), (sum + 72) / 144);
    EXPECT_EQ(whole.pixel(16, 14), whole.pixel(5, 3));
    EXPECT_NE(whole.pixel(17, 3), whole.pixel(16, 3));   // the next block
    EXPECT_EQ(whole.pixel(4, 3), original.pixel(4, 3));  // outside the area
    EXPECT_EQ(whole.pixel(35, 22), original.pixel(35, 22));
    // Redone piece by piece through clips, the same pixels.
    QImage pieces = original.copy();
    RedactArea(original, pieces, area, QRect(0, 0, 20, 30), false);
    RedactArea(original, pieces, area, QRect(20, 0, 20, 30), false);
    EXPECT_EQ(pieces, whole);
    // Black covers exactly the area.
    QImage black = original.copy();
    RedactArea(original, black, area, black.rect(), true);
    EXPECT_EQ(black.pixel(34, 22), qRgb(0, 0, 0));
    EXPECT_EQ(black.pixel(35, 22), original.pixel(35, 22));
}

}  // namespace
}  // namespace orv
