// The toolkit layer: control arrays, stacking, label sizing, the canvas surface.
#include <gtest/gtest.h>

#include <QPainter>

#include "platform/ControlArray.h"
#include "platform/Form.h"
#include "platform/Screen.h"

namespace orv {
namespace {

class ControlsTest : public ::testing::Test {
  protected:
    void SetUp() override { Screen() = ScreenInfo{15.0f, 15.0f, 1920 * 15.0f, 1080 * 15.0f}; }
};

TEST_F(ControlsTest, LoadCopiesTheTemplateHiddenAndMissingElementsAreRecoverable) {
    Form f(QStringLiteral("f"));
    ControlArray<Label> labels(f, QStringLiteral("aapx"));
    Label& t = labels.Template();
    t.ForeColor = RGB(1, 2, 3);
    t.Visible = true;
    Label& one = labels.Load(1);
    EXPECT_FALSE(one.Visible);
    EXPECT_EQ(one.Index, 1);
    EXPECT_EQ(one.ForeColor, RGB(1, 2, 3));
    EXPECT_EQ(one.Parent(), &f);
    EXPECT_THROW(labels.Load(1), ControlMissing);
    EXPECT_THROW(labels(7), ControlMissing);
    labels.Unload(1);
    EXPECT_THROW(labels.Unload(1), ControlMissing);
    EXPECT_THROW(labels.Unload(0), ControlMissing);
    EXPECT_EQ(f.Children().size(), 1u);  // only the template is left

    // A step whose control is missing is skipped and the next one runs.
    int ran = 0;
    IgnoreErrors([&] { labels(5).Left = 3; });
    IgnoreErrors([&] { ++ran; });
    EXPECT_EQ(ran, 1);
}

TEST_F(ControlsTest, WindowedControlsStayAboveWindowlessOnesAndZOrderActsWithinALayer) {
    Form f(QStringLiteral("f"));
    TextBox box;
    Label a, b;
    Line line;
    f.Add(box);
    f.Add(a);
    f.Add(b);
    f.Add(line);
    auto order = f.PaintOrder();
    ASSERT_EQ(order.size(), 4u);
    EXPECT_EQ(order.back(), &box);  // windowed, though added first
    EXPECT_EQ(order[2], &line);
    a.ZOrder();
    order = f.PaintOrder();
    EXPECT_EQ(order[2], &a);
    EXPECT_EQ(order[3], &box);
}

TEST_F(ControlsTest, AutoSizeLabelTakesTheExtentOfItsCaption) {
    Label l;
    l.AutoSize = true;
    l.SetFont(FontSpec{QStringLiteral("Arial"), 9.0, true});
    l.SetCaption(QStringLiteral("11px"));
    const float shortW = l.Width;
    l.SetCaption(QStringLiteral("1111111px"));
    EXPECT_GT(l.Width, shortW);
    EXPECT_GT(l.Height, 0);
    // Whole pixels in twips.
    EXPECT_EQ(std::fmod(l.Width, 15.0f), 0.0f);
    Label fixed;
    fixed.Width = 100;
    fixed.SetCaption(QStringLiteral("a long caption that would not fit"));
    EXPECT_EQ(fixed.Width, 100);
}

TEST_F(ControlsTest, PointReadsDrawingThenPictureThenBackgroundAndMinusOneOutside) {
    PictureBox canvas;
    canvas.AutoSize = true;
    canvas.BackColor = RGB(255, 255, 255);
    QImage pic(10, 10, QImage::Format_ARGB32);
    pic.fill(QColor(10, 11, 12));
    pic.setPixelColor(1, 1, QColor(0, 0, 0, 0));  // transparent: background shows
    canvas.SetPicture(pic);
    EXPECT_EQ(canvas.Width, 150);
    EXPECT_EQ(canvas.Point(0, 0), RGB(10, 11, 12));
    EXPECT_EQ(canvas.Point(15, 15), RGB(255, 255, 255));
    EXPECT_EQ(canvas.Point(150, 0), -1);
    EXPECT_EQ(canvas.Point(-1, 0), -1);
    {
        QPainter p(&canvas.Surface());
        p.fillRect(2, 2, 1, 1, QColor(200, 100, 50));
    }
    EXPECT_EQ(canvas.Point(30, 30), RGB(200, 100, 50));
    canvas.Cls();
    EXPECT_EQ(canvas.Point(30, 30), RGB(10, 11, 12));
}

}  // namespace
}  // namespace orv
