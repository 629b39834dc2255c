// The tray menu's three routes into the editor: a file, the clipboard, the screen.

#include <QColor>

#include "AppFixture.h"
#include "PictureFiles.h"

namespace orv::test {
namespace {

class RoutesTest : public AppTest {
  protected:
    int64_t CanvasPixel(int x, int y) { return ed().Picture2.Point(x * 15.0f + 1, y * 15.0f + 1); }
    void ExpectBarsSpanTheScreen() {
        Form1& e = ed();
        EXPECT_FLOAT_EQ(e.Picture6.Width, Screen().Width);
        EXPECT_FLOAT_EQ(e.Picture1.Height, Screen().Height);
        EXPECT_FLOAT_EQ(e.Picture1.Top, e.Picture6.Height);
        EXPECT_FLOAT_EQ(e.Image3.Left, Screen().Width - 2 * e.Image3.Width);
    }
    PictureFiles files;
};

TEST_F(RoutesTest, FileRouteLoadsPngAtTheParkingPlace) {
    desktop.openFiles.push_back(files.Solid(QStringLiteral("photo.PNG"), 30, 20, Qt::red, "png"));
    form3& s = app->Strip();
    s.Visible = true;
    s.OpenFromFile();
    Form1& e = ed();
    EXPECT_TRUE(e.Visible);
    EXPECT_FALSE(s.Visible);
    EXPECT_EQ(e.Picture2.Picture().size(), QSize(30, 20));
    EXPECT_FLOAT_EQ(e.Picture2.Left, 800);
    EXPECT_FLOAT_EQ(e.Picture2.Top, 800);
    EXPECT_TRUE(e.open2.isEmpty());
    ExpectBarsSpanTheScreen();
    EXPECT_EQ(desktop.waits.size(), 1u);
}

TEST_F(RoutesTest, FileRouteOpensOtherKindsWithTheirOwnLoader) {
    form3& s = app->Strip();
    // JPEG: both loaders; PSD: the reader; GIF: the standard loader only.
    desktop.openFiles = {files.Solid(QStringLiteral("a.jpg"), 10, 10, Qt::white, "jpg"),
                         files.SolidPsd(QStringLiteral("a.psd"), 12, 6, QColor(5, 6, 7)),
                         files.Solid(QStringLiteral("a.gif"), 7, 3, Qt::blue, "gif")};
    s.OpenFromFile();
    ASSERT_EQ(desktop.waits.size(), 1u);
    EXPECT_EQ(desktop.waits[0].first, 400);
    EXPECT_EQ(ed().Picture2.Picture().size(), QSize(10, 10));
    s.OpenFromFile();
    ASSERT_EQ(desktop.waits.size(), 2u);
    EXPECT_EQ(desktop.waits[1].first, 160);
    EXPECT_FLOAT_EQ(ed().Picture2.Width, 12 * 15.0f);
    EXPECT_EQ(CanvasPixel(3, 3), RGB(5, 6, 7));
    s.OpenFromFile();
    EXPECT_EQ(desktop.waits.size(), 2u);
    EXPECT_EQ(ed().Picture2.Picture().size(), QSize(7, 3));
    EXPECT_EQ(CanvasPixel(3, 1), RGB(0, 0, 255));
    EXPECT_TRUE(ed().open2.isEmpty());
}

TEST_F(RoutesTest, CancelledFileDialogOpensNothingEvenAfterAnEarlierOpen) {
    form3& s = app->Strip();
    s.OpenFromFile();  // cancelled on first use
    EXPECT_EQ(app->EditorIfLoaded(), nullptr);
    EXPECT_FALSE(s.Visible);

    const QString path = files.Solid(QStringLiteral("once.png"), 4, 4, Qt::red, "png");
    desktop.openFiles.push_back(path);
    s.OpenFromFile();
    Form1& e = ed();
    e.Picture2.Left = 5000;
    const qint64 key = e.Picture2.Picture().cacheKey();
    s.Visible = true;
    s.OpenFromFile();  // cancelled again while the strip stayed loaded
    EXPECT_EQ(desktop.waits.size(), 1u);
    EXPECT_EQ(e.Picture2.Picture().cacheKey(), key);
    EXPECT_FLOAT_EQ(e.Picture2.Left, 5000);
    EXPECT_TRUE(s.Visible);
}

TEST_F(RoutesTest, ClipboardPictureGoesOnTheCanvasWhereItStands) {
    QImage pic(25, 15, QImage::Format_RGB32);
    pic.fill(QColor(1, 2, 3));
    desktop.clipboardPicture = pic;
    form3& s = app->Strip();
    s.Visible = true;
    const float left = ed().Picture2.Left, top = ed().Picture2.Top;
    s.OpenFromClipboard();
    Form1& e = ed();
    EXPECT_TRUE(e.Visible);
    EXPECT_FALSE(s.Visible);
    EXPECT_EQ(e.Picture2.Picture().size(), QSize(25, 15));
    EXPECT_EQ(CanvasPixel(5, 5), RGB(1, 2, 3));
    EXPECT_FLOAT_EQ(e.Picture2.Left, left);
    EXPECT_FLOAT_EQ(e.Picture2.Top, top);
    ExpectBarsSpanTheScreen();
    EXPECT_TRUE(desktop.messages.empty());
    EXPECT_TRUE(desktop.waits.empty());
}

TEST_F(RoutesTest, ClipboardWithoutAPictureOnlySaysSo) {
    desktop.SetClipboardText(QStringLiteral("just text"));
    form3& s = app->Strip();
    s.Visible = true;
    s.OpenFromClipboard();
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].first, QStringLiteral("Orvane Tessaly"));
    EXPECT_EQ(desktop.messages[0].second, QStringLiteral("no picture in clipboard"));
    EXPECT_EQ(app->EditorIfLoaded(), nullptr);
    EXPECT_TRUE(s.Visible);
    EXPECT_EQ(desktop.clipboardText, QStringLiteral("just text"));
}

TEST_F(RoutesTest, MeasureScreenHidesEverythingForASecondThenDocksTheStrip) {
    desktop.screenPicture = QImage(1920, 1080, QImage::Format_RGB32);
    desktop.screenPicture.fill(QColor(40, 80, 120));
    form3& s = app->Strip();
    s.Visible = true;
    bool hiddenDuringWait = false;
    desktop.duringWait = [&] { hiddenDuringWait = !s.Visible && app->EditorIfLoaded() == nullptr; };
    s.MeasureScreen();
    EXPECT_TRUE(hiddenDuringWait);
    ASSERT_EQ(desktop.waits.size(), 1u);
    EXPECT_EQ(desktop.waits[0].first, 1000);
    EXPECT_EQ(s.Text1, QStringLiteral("0"));

    Form1& e = ed();
    EXPECT_TRUE(e.Visible);
    EXPECT_FALSE(e.Picture1.Visible);
    EXPECT_FALSE(e.Picture6.Visible);
    EXPECT_FLOAT_EQ(e.Picture2.Left, 0);
    EXPECT_FLOAT_EQ(e.Picture2.Width, Screen().Width);
    EXPECT_EQ(CanvasPixel(1900, 1000), RGB(40, 80, 120));
    EXPECT_FLOAT_EQ(e.Picture6.Width, Screen().Width);
    EXPECT_FLOAT_EQ(e.Picture1.Height, Screen().Height);
    EXPECT_FALSE(e.Timer2.Enabled());

    EXPECT_TRUE(s.Visible);
    EXPECT_TRUE(s.Topmost);
    EXPECT_FLOAT_EQ(s.Left, Screen().Width - 5640);
    EXPECT_FLOAT_EQ(s.Top, 0);
}

TEST_F(RoutesTest, MeasureScreenOnALoadedEditorKeepsItsCanvas) {
    Form1& e = ed();
    QImage pic(10, 10, QImage::Format_RGB32);
    pic.fill(Qt::green);
    e.Picture2.SetPicture(pic);
    app->Strip().MeasureScreen();
    EXPECT_EQ(std::count(desktop.calls.begin(), desktop.calls.end(), QStringLiteral("GrabScreen")),
              0);
    EXPECT_TRUE(e.Visible);
    EXPECT_EQ(e.Picture2.Picture().size(), QSize(10, 10));
    EXPECT_TRUE(e.Picture1.Visible);
}

TEST_F(RoutesTest, AfterAMeasurementAFileShowsOverTheFreshScreenCopy) {
    desktop.screenPicture = QImage(1920, 1080, QImage::Format_RGB32);
    desktop.screenPicture.fill(QColor(40, 80, 120));
    form3& s = app->Strip();
    s.MeasureScreen();
    ed().Image3_Click();
    app->CollectGarbage();
    desktop.calls.clear();
    desktop.openFiles.push_back(files.Solid(QStringLiteral("f.png"), 30, 30, Qt::red, "png"));
    s.OpenFromFile();
    Form1& e = ed();
    // The fresh load still sees start mode "0": bars hidden, screen copied first.
    EXPECT_EQ(std::count(desktop.calls.begin(), desktop.calls.end(), QStringLiteral("GrabScreen")),
              1);
    EXPECT_FALSE(e.Picture6.Visible);
    EXPECT_EQ(CanvasPixel(10, 10), RGB(255, 0, 0));
    EXPECT_FLOAT_EQ(e.Picture2.Width, 30 * 15.0f);
}

TEST_F(RoutesTest, TrayItemsReachTheRoutes) {
    app->Start();
    desktop.SetClipboardText(QStringLiteral("x"));
    app->TrayHost().RunMenuItem(QStringLiteral("jtb"));
    EXPECT_EQ(desktop.messages.size(), 1u);
    app->TrayHost().RunMenuItem(QStringLiteral("celiang"));
    EXPECT_EQ(app->Strip().Text1, QStringLiteral("0"));
    EXPECT_TRUE(app->Strip().Visible);
}

}  // namespace
}  // namespace orv::test
