// Edge-snapping spans on pictures made for them: flat boxes, anti-aliased
// borders with noise, boxes against the picture border, one-pixel gaps.

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <vector>

#include "annotations/EdgeSpans.h"

namespace orv {
namespace {

const QRgb kPaper = qRgb(255, 255, 255);
const QRgb kInk = qRgb(0x6C, 0x5C, 0xE7);

QImage Flat(int w, int h, QRgb c) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

void Fill(QImage& img, const QRect& r, QRgb c) {
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) img.setPixel(x, y, c);
}

QRgb Mix(QRgb a, QRgb b, double t) {
    auto m = [t](int p, int q) { return int(p + (q - p) * t + 0.5); };
    return qRgb(m(qRed(a), qRed(b)), m(qGreen(a), qGreen(b)), m(qBlue(a), qBlue(b)));
}

// A 240 x 130 box at (50, 40) on a 400 x 260 picture, as a screenshot of a flat
// button shows it: a one-pixel ring of partly covered pixels round the box
// (coverage varying from a quarter to three quarters) and a few levels of
// dither noise over box and background alike.
QImage AntiAliasedBox() {
    QImage img = Flat(400, 260, kPaper);
    const QRect box(50, 40, 240, 130);
    Fill(img, box, kInk);
    const QRect ring = box.adjusted(-1, -1, 1, 1);
    for (int y = ring.top(); y <= ring.bottom(); ++y)
        for (int x = ring.left(); x <= ring.right(); ++x)
            if (!box.contains(x, y))
                img.setPixel(x, y, Mix(kPaper, kInk, 0.25 + 0.5 * ((x + y) % 3) / 2.0));
    unsigned seed = 12345;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            seed = seed * 1103515245u + 12345u;
            const int n = int((seed >> 16) % 7) - 3;  // -3 … +3
            const QRgb p = img.pixel(x, y);
            auto c = [n](int v) { return std::clamp(v + n, 0, 255); };
            img.setPixel(x, y, qRgb(c(qRed(p)), c(qGreen(p)), c(qBlue(p))));
        }
    return img;
}

TEST(EdgeSpans, FlatBoxGivesItsExactSizeFromEveryPixelInside) {
    QImage img = Flat(400, 260, kPaper);
    Fill(img, QRect(50, 40, 240, 130), kInk);
    for (const QPoint p : {QPoint(170, 100), QPoint(50, 40), QPoint(289, 169), QPoint(50, 169),
                           QPoint(289, 40), QPoint(120, 41)}) {
        SCOPED_TRACE(testing::Message() << p.x() << "," << p.y());
        const EdgeSpans s = FindEdgeSpans(img, p.x(), p.y(), kDefaultSpanTolerance);
        ASSERT_TRUE(s.valid);
        EXPECT_EQ(s.reference, kInk);
        EXPECT_EQ(s.horizontal, (Span{50, 289}));
        EXPECT_EQ(s.vertical, (Span{40, 169}));
        EXPECT_EQ(s.horizontal.Length(), 240);
        EXPECT_EQ(s.vertical.Length(), 130);
    }
    // Outside the box the spans run from the border to the box, or border to border.
    const EdgeSpans left = FindEdgeSpans(img, 10, 100, kDefaultSpanTolerance);
    EXPECT_EQ(left.horizontal, (Span{0, 49}));
    EXPECT_EQ(left.vertical, (Span{0, 259}));
    const EdgeSpans above = FindEdgeSpans(img, 100, 5, kDefaultSpanTolerance);
    EXPECT_EQ(above.horizontal, (Span{0, 399}));
    EXPECT_EQ(above.vertical, (Span{0, 39}));
}

TEST(EdgeSpans, AntiAliasedBorderAndNoiseStillGiveTheBoxSizeAtTheDefaultTolerance) {
    const QImage img = AntiAliasedBox();
    for (const QPoint p : {QPoint(170, 100), QPoint(51, 41), QPoint(288, 168)}) {
        SCOPED_TRACE(testing::Message() << p.x() << "," << p.y());
        const EdgeSpans s = FindEdgeSpans(img, p.x(), p.y(), kDefaultSpanTolerance);
        EXPECT_EQ(s.horizontal, (Span{50, 289}));
        EXPECT_EQ(s.vertical, (Span{40, 169}));
    }
    // Without tolerance the noise cuts the span short; with a very loose one
    // the ring joins the box: the tolerance is what decides both.
    EXPECT_LT(FindEdgeSpans(img, 170, 100, 0).horizontal.Length(), 240);
    EXPECT_EQ(FindEdgeSpans(img, 170, 100, 200).horizontal.Length(), 400);
    EXPECT_LT(FindEdgeSpans(img, 170, 100, 2).horizontal.Length(), 240);
}

TEST(EdgeSpans, DriftIsMeasuredAgainstThePixelUnderThePointerNotTheNeighbour) {
    // Red rises one level per column: every neighbour is within 1, yet the span
    // must stop once the difference from the pointer's column passes 8.
    QImage img(200, 3, QImage::Format_RGB32);
    for (int x = 0; x < 200; ++x)
        for (int y = 0; y < 3; ++y) img.setPixel(x, y, qRgb(x, 50, 50));
    const EdgeSpans s = FindEdgeSpans(img, 100, 1, 8);
    EXPECT_EQ(s.horizontal, (Span{92, 108}));
    EXPECT_EQ(s.vertical, (Span{0, 2}));
    // Each channel counts on its own: a blue step of 9 stops the span too.
    img.setPixel(104, 1, qRgb(104, 50, 59));
    EXPECT_EQ(FindEdgeSpans(img, 103, 1, 8).horizontal, (Span{95, 103}));
}

TEST(EdgeSpans, BoxTouchingTheBorderStopsAtTheBorder) {
    QImage img = Flat(300, 200, kPaper);
    Fill(img, QRect(0, 0, 240, 130), kInk);
    EXPECT_EQ(FindEdgeSpans(img, 0, 0, kDefaultSpanTolerance).horizontal, (Span{0, 239}));
    EXPECT_EQ(FindEdgeSpans(img, 100, 60, kDefaultSpanTolerance).vertical, (Span{0, 129}));
    Fill(img, QRect(60, 70, 240, 130), kInk);  // now also touching the right and bottom
    const EdgeSpans s = FindEdgeSpans(img, 299, 199, kDefaultSpanTolerance);
    EXPECT_EQ(s.horizontal, (Span{60, 299}));
    EXPECT_EQ(s.vertical, (Span{70, 199}));
    // A one-pixel picture is a span of one either way.
    const EdgeSpans dot = FindEdgeSpans(Flat(1, 1, kInk), 0, 0, kDefaultSpanTolerance);
    EXPECT_EQ(dot.horizontal.Length(), 1);
    EXPECT_EQ(dot.vertical.Length(), 1);
}

TEST(EdgeSpans, OnePixelGapMeasuresOne) {
    QImage img = Flat(100, 50, kPaper);
    Fill(img, QRect(10, 10, 40, 30), kInk);
    Fill(img, QRect(51, 10, 40, 30), kInk);  // column 50 stays paper
    const EdgeSpans gap = FindEdgeSpans(img, 50, 20, kDefaultSpanTolerance);
    EXPECT_EQ(gap.horizontal, (Span{50, 50}));
    EXPECT_EQ(gap.horizontal.Length(), 1);
    EXPECT_EQ(gap.vertical, (Span{0, 49}));
    Fill(img, QRect(10, 41, 81, 5), kInk);  // a one-row gap under the boxes
    EXPECT_EQ(FindEdgeSpans(img, 30, 40, kDefaultSpanTolerance).vertical.Length(), 1);
}

TEST(EdgeSpans, ViewsFormatsAndPointsOutside) {
    QImage img = Flat(100, 50, kPaper);
    Fill(img, QRect(20, 10, 30, 20), kInk);
    EXPECT_FALSE(FindEdgeSpans(img, -1, 5, 8).valid);
    EXPECT_FALSE(FindEdgeSpans(img, 100, 5, 8).valid);
    EXPECT_FALSE(FindEdgeSpans(img, 5, 50, 8).valid);
    EXPECT_FALSE(FindEdgeSpans(QImage(), 0, 0, 8).valid);

    // Other formats are converted and give the same spans (16-bit colour
    // rounds the reference, not the spans).
    const EdgeSpans want = FindEdgeSpans(img, 30, 15, 8);
    for (QImage::Format f :
         {QImage::Format_RGB888, QImage::Format_Indexed8, QImage::Format_RGB16}) {
        SCOPED_TRACE(int(f));
        const EdgeSpans got = FindEdgeSpans(img.convertToFormat(f), 30, 15, 8);
        EXPECT_EQ(got.horizontal, want.horizontal);
        EXPECT_EQ(got.vertical, want.vertical);
    }
    EXPECT_EQ(want.horizontal, (Span{20, 49}));

    // A view of a window into a larger buffer stops at the window's border and
    // steps rows by the stride, not by the width.
    PixelView v = PixelView::Of(img);
    v.bits = &v.bits[10 * v.stride + 25];
    v.width = 10;
    v.height = 30;
    const EdgeSpans inner = FindEdgeSpans(v, 5, 5, 8);
    EXPECT_EQ(inner.horizontal, (Span{0, 9}));
    EXPECT_EQ(inner.vertical, (Span{0, 19}));
}

TEST(EdgeSpans, ToleranceLadderAndColourDifference) {
    EXPECT_EQ(LowerTolerance(kDefaultSpanTolerance), 6);
    EXPECT_EQ(RaiseTolerance(kDefaultSpanTolerance), 12);
    EXPECT_EQ(LowerTolerance(0), 0);
    EXPECT_EQ(LowerTolerance(1), 0);
    EXPECT_EQ(RaiseTolerance(128), 128);
    EXPECT_EQ(RaiseTolerance(96), 128);
    EXPECT_EQ(LowerTolerance(5), 4);  // off the ladder: the neighbours on it
    EXPECT_EQ(RaiseTolerance(5), 6);
    int t = 0, steps = 0;
    while (RaiseTolerance(t) != t) t = RaiseTolerance(t), ++steps;
    EXPECT_EQ(steps, 14);
    EXPECT_EQ(ColourDifference(qRgb(10, 200, 30), qRgb(13, 190, 30)), 10);
    EXPECT_EQ(ColourDifference(qRgba(1, 2, 3, 0), qRgba(1, 2, 3, 255)), 0);  // alpha ignored
}

}  // namespace
}  // namespace orv
