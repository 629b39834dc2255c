// On a screen that is not at 96 dpi (144 dpi with the toolkit's scaling off: 10 twips a
// pixel) the editor speaks in the screen's real pixels: its edge zones lie at the window's
// edges, and a PSD opens at as many screen pixels as it has, so saving and opening it
// again keeps its size.
#include <QTemporaryDir>

#include "CanvasFixture.h"
#include "imaging/psd/cpsd.h"

namespace orv::test {
namespace {

class At144Dpi : public CanvasTest {
  protected:
    void SetUp() override {
        CanvasTest::SetUp();
        desktop.dpi = 144;  // what the editor reads when it loads
        app = std::make_unique<App>(desktop, commandLine);
        ed();
        ASSERT_FLOAT_EQ(Screen().TwipsPerPixelX, 10.0f);
    }
    /// Whether one edge-scroll tick with the pointer at (x, y) screen pixels moves the canvas.
    bool ScrollsAt(int x, int y) {
        const float left = ed().Picture2.Left, top = ed().Picture2.Top;
        desktop.cursor = QPoint(x, y);
        ed().Timer2_Timer();
        const bool moved = ed().Picture2.Left != left || ed().Picture2.Top != top;
        ed().Picture2.Left = left;
        ed().Picture2.Top = top;
        return moved;
    }
};

TEST_F(At144Dpi, EdgeZonesLieAtTheWindowsEdges) {
    app->ShowEditor();
    ASSERT_EQ(ed().Width, Screen().Width);
    Picture(4000, 3000);  // larger than the window both ways, so it can scroll to every side
    ed().Command3_Click();
    // Two-thirds of the way across (where pixels counted at 15 twips would end the window),
    // and in the middle: no scrolling.
    EXPECT_FALSE(ScrollsAt(1300, 500));
    EXPECT_FALSE(ScrollsAt(900, 760));
    EXPECT_FALSE(ScrollsAt(960, 540));
    // The last pixels before the right and bottom edges scroll.
    EXPECT_TRUE(ScrollsAt(1916, 500));
    EXPECT_TRUE(ScrollsAt(900, 1076));
}

TEST_F(At144Dpi, APsdSavedAndOpenedAgainKeepsItsSize) {
    QTemporaryDir dir;
    Picture(200, 120, QColor(30, 60, 90));
    Draw(&Form1::Command3_Click, 300, 600, 1500, 600);
    for (int round = 1; round <= 3; ++round) {
        SCOPED_TRACE(round);
        const QString path = dir.filePath(QStringLiteral("round%1.psd").arg(round));
        desktop.saveFiles.push_back(path);
        ed().Command5_Click();
        ASSERT_TRUE(desktop.messages.empty());
        cpsd saved;
        ASSERT_TRUE(saved.LoadPsdFile(path));
        EXPECT_EQ(QSize(saved.Width(), saved.Height()), QSize(200, 120));

        ed().open1 = path;
        ed().Command14_Click();
        EXPECT_FLOAT_EQ(ed().Picture2.Width, 200 * 10.0f);
        EXPECT_FLOAT_EQ(ed().Picture2.Height, 120 * 10.0f);
        // The picture reaches the canvas's last pixel, and nothing lies beyond it.
        EXPECT_EQ(ed().Picture2.Point(199 * 10.0f + 5, 119 * 10.0f + 5), RGB(30, 60, 90));
        EXPECT_EQ(ed().Picture2.Point(200 * 10.0f + 5, 60 * 10.0f), -1);
    }
}

}  // namespace
}  // namespace orv::test
