// The magnifier: the screen round the pointer, every pixel a 4 x 4 block, the
// frame on the pointer's pixel, the canvas where the screen cannot be read.

#include <gtest/gtest.h>

#include "AppFixture.h"
#include "platform/ShownPlace.h"

namespace orv::test {
namespace {

// Pixels of a screen whose every pixel is distinct (red x, green y, blue x + y), black off it.
QRgb ScreenAt(int x, int y) {
    if (x < 0 || y < 0) return qRgb(0, 0, 0);
    return qRgb(x & 0xFF, y & 0xFF, (x + y) & 0xFF);
}
QImage CodedScreen(int w, int h) {
    QImage s(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) s.setPixel(x, y, ScreenAt(x, y));
    return s;
}

class Magnifier : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        desktop.screenPicture = CodedScreen(300, 200);
    }
    QImage Tick(int x, int y) {
        desktop.cursor = QPoint(x, y);
        ed().Timer3_Timer();
        return ed().fd.Surface().copy();
    }
};

TEST_F(Magnifier, EveryScreenPixelBecomesOneFourByFourBlockThatFollowsThePointer) {
    const QImage view = Tick(100, 80);
    ASSERT_GE(std::min(view.width(), view.height()), 66);
    // View pixel (vx, vy) shows screen pixel (100 - 7 + vx / 4, 80 - 7 + vy / 4).
    for (int vy = 0; vy < 66; ++vy)
        for (int vx = 0; vx < 66; ++vx)
            ASSERT_EQ(view.pixel(vx, vy), ScreenAt(93 + vx / 4, 73 + vy / 4)) << vx << "," << vy;
    // The pointer's pixel covers view pixels 28 to 31, inside the frame at (27, 27).
    EXPECT_EQ(view.pixel(31, 31), ScreenAt(100, 80));
    EXPECT_NE(view.pixel(32, 31), ScreenAt(100, 80));
    EXPECT_EQ(QPointF(ed().fd1.Left, ed().fd1.Top), QPointF(27, 27));

    // A one-pixel pointer move shifts the view by four view pixels.
    const QImage right = Tick(101, 80), down = Tick(101, 81);
    for (int vy = 0; vy + 4 < 66; ++vy)
        for (int vx = 0; vx + 4 < 66; ++vx) {
            ASSERT_EQ(right.pixel(vx, vy), view.pixel(vx + 4, vy)) << vx << "," << vy;
            ASSERT_EQ(down.pixel(vx, vy), right.pixel(vx, vy + 4)) << vx << "," << vy;
        }
    // At the screen's corner the view shows black beyond the edge; far off the screen, even
    // past any 16-bit coordinate, the refresh still runs.
    const QImage corner = Tick(0, 0);
    EXPECT_EQ(corner.pixel(27, 27), qRgb(0, 0, 0));
    EXPECT_EQ(corner.pixel(32, 36), ScreenAt(1, 2));
    EXPECT_EQ(Tick(-40000, 70000).pixel(30, 30), qRgb(0, 0, 0));
    EXPECT_NO_THROW(Tick(INT32_MIN, INT32_MAX));
}

// A platform that cannot read the screen.
class NoScreenDesktop : public FakeDesktop {
  public:
    bool CanGrabScreen() override { return false; }
};

TEST(MagnifierWithoutScreen, MagnifiesTheEditorsOwnCanvas) {
    Screen() = ScreenInfo{15.0f, 15.0f, 1920 * 15.0f, 1080 * 15.0f};
    NoScreenDesktop desk;
    App app(desk, QString());
    Form1& ed = app.Editor();
    ed.Picture2.SetPicture(CodedScreen(120, 90));
    const int cx = static_cast<int>(ed.Picture2.Left / 15),
              cy = static_cast<int>(ed.Picture2.Top / 15);
    desk.cursor = QPoint(cx + 3, cy + 40);  // 3 pixels inside the canvas's left edge
    ed.Timer3_Timer();
    const QImage view = ed.fd.Surface();
    EXPECT_EQ(std::count(desk.calls.begin(), desk.calls.end(), QStringLiteral("GrabScreen")), 0);
    for (int vx = 0; vx < 66; ++vx) {
        const int sx = 3 - 7 + vx / 4;  // canvas pixel
        const QRgb want = sx < 0 ? qRgb(0, 0, 0) : ScreenAt(sx, 40 - 7 + 10 / 4);
        ASSERT_EQ(view.pixel(vx, 10), want) << vx;
    }
}

// Zoomed, the canvas shows each picture pixel as a block of screen pixels: the view magnifies
// the pixels the pointer is over on the screen, not those at the unzoomed place.
TEST(MagnifierWithoutScreen, FollowsTheCanvasZoom) {
    Screen() = ScreenInfo{15.0f, 15.0f, 1920 * 15.0f, 1080 * 15.0f};
    NoScreenDesktop desk;
    App app(desk, QString());
    Form1& ed = app.Editor();
    ed.Picture2.SetPicture(CodedScreen(120, 90));
    constexpr int zoom = 4, shownX = 200, shownY = 100;  // the canvas's shown corner, pixels
    const Control* canvas = &ed.Picture2;
    ShownPlaceHook() = [&](const Control& c) -> std::optional<ShownRect> {
        if (&c != canvas) return std::nullopt;
        return ShownRect{shownX * 15.0f, shownY * 15.0f, 480 * 15.0f, 360 * 15.0f, zoom};
    };
    desk.cursor = QPoint(shownX + 41, shownY + 82);  // over picture pixel (10, 20)
    ed.Timer3_Timer();
    ShownPlaceHook() = nullptr;
    const QImage view = ed.fd.Surface();
    for (int v = 0; v < 66; ++v) {
        const int screen = v / 4 - 7;  // screen pixels from the pointer
        const int px = (41 + screen) / zoom, py = (82 + screen) / zoom;
        ASSERT_EQ(view.pixel(v, 30), ScreenAt(px, (82 - 7 + 30 / 4) / zoom)) << v;
        ASSERT_EQ(view.pixel(30, v), ScreenAt((41 - 7 + 30 / 4) / zoom, py)) << v;
    }
}

}  // namespace
}  // namespace orv::test
