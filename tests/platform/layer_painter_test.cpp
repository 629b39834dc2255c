// Painting a picture box apart for layered files: the base holds no control, a layer holds
// only its own controls, cut to what they paint, and base plus layers in stacking order give
// back what the box shows as a whole.
#include "platform/LayerPainter.h"

#include <gtest/gtest.h>
#include <QPainter>

#include "platform/Painter.h"
#include "platform/Screen.h"

namespace orv {
namespace {

class LayerPainterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Screen().TwipsPerPixelX = Screen().TwipsPerPixelY = 15;
        canvas.AutoSize = true;
        canvas.BackColor = RGB(255, 255, 255);
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(QColor(20, 40, 60));
        canvas.SetPicture(picture);
        // A horizontal measured line with a tick, a swatch, and a line that leaves the box.
        line.X1 = 5 * 15, line.Y1 = 10 * 15, line.X2 = 30 * 15, line.Y2 = 10 * 15;
        line.BorderColor = RGB(255, 0, 0);
        tick.X1 = tick.X2 = 5 * 15, tick.Y1 = 7 * 15, tick.Y2 = 13 * 15;
        tick.BorderColor = RGB(255, 0, 0);
        swatch.Left = 10 * 15, swatch.Top = 18 * 15, swatch.Width = 8 * 15, swatch.Height = 6 * 15;
        swatch.BackStyle = 1;
        swatch.BackColor = RGB(0, 200, 0);
        leaving.X1 = 30 * 15, leaving.Y1 = 25 * 15, leaving.X2 = 90 * 15, leaving.Y2 = 25 * 15;
        leaving.BorderColor = RGB(0, 0, 255);
        for (Control* c : std::initializer_list<Control*>{&line, &tick, &swatch, &leaving})
            canvas.Add(*c);
    }

    static void Over(QImage& below, const PaintedLayer& layer) {
        QPainter p(&below);
        p.drawImage(layer.at, layer.pixels);
    }

    PictureBox canvas;
    Line line, tick, leaving;
    Shape swatch;
};

TEST_F(LayerPainterTest, BaseAndLayersComposeToTheWholeBox) {
    const QImage base = PaintPictureBoxBase(canvas);
    ASSERT_EQ(base.size(), QSize(40, 30));
    for (const QPoint p : {QPoint(10, 10), QPoint(12, 20), QPoint(35, 25)})
        EXPECT_EQ(base.pixel(p), qRgb(20, 40, 60)) << p.x() << "," << p.y();

    const PaintedLayer distance = PaintControlsLayer(canvas, {&line, &tick});
    ASSERT_FALSE(distance.pixels.isNull());
    // Cut to the controls' pixels (with the one-pixel line margin), not the whole box.
    EXPECT_TRUE(QRect(distance.at, distance.pixels.size()).contains(QRect(5, 7, 26, 7)));
    EXPECT_LT(distance.pixels.width() * distance.pixels.height(), 40 * 30 / 2);
    // Nothing of the swatch on the distance layer.
    const QPoint swatchAt = QPoint(12, 20) - distance.at;
    EXPECT_FALSE(distance.pixels.rect().contains(swatchAt) &&
                 qAlpha(distance.pixels.pixel(swatchAt)) != 0);
    EXPECT_EQ(distance.pixels.pixel(QPoint(15, 10) - distance.at), qRgba(255, 0, 0, 255));
    EXPECT_EQ(qAlpha(distance.pixels.pixel(QPoint(15, 8) - distance.at)), 0);

    const PaintedLayer edge = PaintControlsLayer(canvas, {&leaving});
    EXPECT_EQ(QRect(edge.at, edge.pixels.size()) & QRect(0, 0, 40, 30),
              QRect(edge.at, edge.pixels.size()));  // within the box

    QImage composed = base;
    for (const auto& layer : {distance, PaintControlsLayer(canvas, {&swatch}), edge})
        Over(composed, layer);
    QImage whole(40, 30, QImage::Format_RGB32);
    {
        QPainter p(&whole);
        PaintPictureBoxContent(p, canvas);
    }
    EXPECT_EQ(composed, whole);
}

TEST_F(LayerPainterTest, HiddenAndForeignControlsPaintNothing) {
    swatch.Visible = false;
    EXPECT_TRUE(PaintControlsLayer(canvas, {&swatch}).pixels.isNull());
    Line stranger;  // not on this canvas
    stranger.X2 = 300;
    EXPECT_TRUE(PaintControlsLayer(canvas, {&stranger}).pixels.isNull());
    EXPECT_TRUE(PaintControlsLayer(canvas, {}).pixels.isNull());
    PictureBox empty;
    EXPECT_TRUE(PaintPictureBoxBase(empty).isNull());
}

}  // namespace
}  // namespace orv
