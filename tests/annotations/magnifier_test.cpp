// The magnifier: the screen round the pointer, every pixel a 4 x 4 block, the
// frame on the pointer's pixel, the canvas where the screen cannot be read.

#include <gtest/gtest.h>

#include "AppFixture.h"

namespace orv::test {
namespace {

// A screen whose every pixel is distinct: red = x, green = y, blue = x + y.
QImage CodedScreen(int w, int h) {
    QImage s(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) s.setPixel(x, y, qRgb(x & 0xFF, y & 0xFF, (x + y) & 0xFF));
    return s;
}

QRgb ScreenAt(int x, int y) {
    if (x < 0 || y < 0) return qRgb(0, 0, 0);
    return qRgb(x & 0xFF, y & 0xFF, (x + y) & 0xFF);
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
    /// Every view pixel shows the screen pixel 7 left/above the pointer plus a quarter of its
    /// place.
    void ExpectMagnified(const QImage& view, int cx, int cy) {
        ASSERT_GE(view.width(), 66);
        ASSERT_GE(view.height(), 66);
        for (int vy = 0; vy < 66; ++vy)
            for (int vx = 0; vx < 66; ++vx)
                ASSERT_EQ(view.pixel(vx, vy), ScreenAt(cx - 7 + vx / 4, cy - 7 + vy / 4))
                    << "view pixel " << vx << "," << vy;
    }
};

TEST_F(Magnifier, EveryScreenPixelBecomesOneFourByFourBlock) {
    const QImage view = Tick(100, 80);
    ExpectMagnified(view, 100, 80);
    // The pointer's pixel covers view pixels 28 to 31, inside the frame.
    EXPECT_EQ(view.pixel(28, 28), ScreenAt(100, 80));
    EXPECT_EQ(view.pixel(31, 31), ScreenAt(100, 80));
    EXPECT_NE(view.pixel(32, 31), ScreenAt(100, 80));
    EXPECT_EQ(ed().fd1.Left, 27);
    EXPECT_EQ(ed().fd1.Top, 27);
    EXPECT_GT(ed().fd1.Width, 5);  // the frame reaches past the block's last pixel
}

TEST_F(Magnifier, OnePixelPointerMoveShiftsTheViewByFourPixels) {
    const QImage before = Tick(150, 120);
    const QImage right = Tick(151, 120);
    for (int vy = 0; vy < 66; ++vy)
        for (int vx = 0; vx + 4 < 66; ++vx)
            ASSERT_EQ(right.pixel(vx, vy), before.pixel(vx + 4, vy));
    const QImage down = Tick(151, 121);
    for (int vy = 0; vy + 4 < 66; ++vy)
        for (int vx = 0; vx < 66; ++vx) ASSERT_EQ(down.pixel(vx, vy), right.pixel(vx, vy + 4));
}

TEST_F(Magnifier, ScreenCornersShowBlackBeyondTheEdge) {
    const QImage view = Tick(0, 0);
    ExpectMagnified(view, 0, 0);
    EXPECT_EQ(view.pixel(27, 27), qRgb(0, 0, 0));
    EXPECT_EQ(view.pixel(28, 28), ScreenAt(0, 0));
    // Far off the screen, even past any 16-bit coordinate, the refresh still runs.
    const QImage far = Tick(-40000, 70000);
    EXPECT_EQ(far.pixel(30, 30), qRgb(0, 0, 0));
    EXPECT_NO_THROW(Tick(INT32_MIN, INT32_MAX));
}

TEST_F(Magnifier, OneScreenReadPerTickAndTheViewIsReused) {
    Tick(10, 10);
    const qsizetype reads =
        std::count(desktop.calls.begin(), desktop.calls.end(), QStringLiteral("GrabScreen"));
    EXPECT_EQ(reads, 1);
    const uchar* buffer = ed().fd.Surface().constBits();
    Tick(20, 20);
    EXPECT_EQ(ed().fd.Surface().constBits(), buffer);
}

TEST_F(Magnifier, DraggingTheViewStartsItsMove) {
    ed().fd_MouseMove(Left(30, 30));
    ASSERT_FALSE(desktop.calls.empty());
    EXPECT_EQ(desktop.calls.back(), QStringLiteral("StartSystemMove:form1/fd"));
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
    QImage picture = CodedScreen(120, 90);
    ed.Picture2.SetPicture(picture);
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

}  // namespace
}  // namespace orv::test
