// The tray menu's three routes into the editor: a file, the clipboard, the screen.
// (What the user sees of each on a real screen is checked by e2e/test_tray.sh.)

#include <QColor>

#include "AppFixture.h"
#include "PictureFiles.h"

namespace orv::test {
namespace {

class RoutesTest : public AppTest {
  protected:
    int64_t CanvasPixel(int x, int y) { return ed().Picture2.Point(x * 15.0f + 1, y * 15.0f + 1); }
    PictureFiles files;
};

TEST_F(RoutesTest, FileRouteOpensEachKindWithItsOwnLoader) {
    // PNG: the GDI+ loader; JPEG: both loaders; PSD: the reader; GIF: the standard loader only.
    const struct {
        QString file;
        size_t waits;  // 400 ms after the GDI+ loader, 160 ms after the PSD reader
        int w, h;
        uint32_t colour;
    } kinds[] = {
        {files.Solid("photo.PNG", 30, 20, Qt::red, "png"), 1, 30, 20, RGB(255, 0, 0)},
        {files.Solid("a.jpg", 10, 10, Qt::white, "jpg"), 2, 10, 10, RGB(255, 255, 255)},
        {files.SolidPsd("a.psd", 12, 6, QColor(5, 6, 7)), 3, 12, 6, RGB(5, 6, 7)},
        {files.Solid("a.gif", 7, 3, Qt::blue, "gif"), 3, 7, 3, RGB(0, 0, 255)},
    };
    form3& s = app->Strip();
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.file.toStdString());
        desktop.openFiles.push_back(k.file);
        s.Visible = true;
        s.OpenFromFile();
        Form1& e = ed();
        EXPECT_TRUE(e.Visible);
        EXPECT_FALSE(s.Visible);
        EXPECT_EQ(desktop.waits.size(), k.waits);
        EXPECT_FLOAT_EQ(e.Picture2.Width, k.w * 15.0f);
        EXPECT_FLOAT_EQ(e.Picture2.Height, k.h * 15.0f);
        EXPECT_EQ(CanvasPixel(k.w - 1, k.h - 1), k.colour);
        EXPECT_TRUE(e.open2.isEmpty());
        EXPECT_FLOAT_EQ(e.Picture6.Width, Screen().Width);
        EXPECT_FLOAT_EQ(e.Picture1.Height, Screen().Height);
    }
    EXPECT_EQ(desktop.waits[0].first, 400);
    EXPECT_EQ(desktop.waits[2].first, 160);
}

TEST_F(RoutesTest, CancelledFileDialogOpensNothingEvenAfterAnEarlierOpen) {
    form3& s = app->Strip();
    s.OpenFromFile();  // cancelled on first use
    EXPECT_EQ(app->EditorIfLoaded(), nullptr);
    desktop.openFiles.push_back(files.Solid(QStringLiteral("once.png"), 4, 4, Qt::red, "png"));
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
    EXPECT_FLOAT_EQ(e.Picture6.Width, Screen().Width);
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

TEST_F(RoutesTest, MeasureScreenHidesEverythingForASecondThenCopiesTheScreen) {
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
    EXPECT_EQ(s.Text1, StartMode::ScreenMeasurement);
    EXPECT_EQ(CanvasPixel(1900, 1000), RGB(40, 80, 120));
    EXPECT_FALSE(ed().Timer2.Enabled());
    EXPECT_TRUE(s.Visible && s.Topmost);
}

TEST_F(RoutesTest, MeasureScreenRefusedByTheDesktopOpensNothing) {
    desktop.refuseScreenCopy = true;
    form3& s = app->Strip();
    const StartMode mode = s.Text1;
    for (bool shown : {false, true}) {
        s.Visible = shown;
        s.MeasureScreen();
        EXPECT_EQ(app->EditorIfLoaded(), nullptr);
        EXPECT_EQ(s.Text1, mode);
        EXPECT_EQ(s.Visible, shown);
    }
    EXPECT_EQ(std::count(desktop.calls.begin(), desktop.calls.end(), QStringLiteral("GrabScreen")),
              0);
    // Granted the next time: the measurement goes ahead as usual.
    desktop.refuseScreenCopy = false;
    s.MeasureScreen();
    ASSERT_NE(app->EditorIfLoaded(), nullptr);
    EXPECT_TRUE(ed().Visible);
    EXPECT_EQ(s.Text1, StartMode::ScreenMeasurement);
}

// The screen route on an editor that already shows a picture measures the screen of this
// moment, laid out as a first screen load lays it out, with the strip showing the editor's tool.
TEST_F(RoutesTest, MeasureScreenOnALoadedEditorCopiesTheScreenAgain) {
    desktop.openFiles.push_back(files.Solid("shown.png", 10, 10, Qt::green, "png"));
    app->Strip().OpenFromFile();
    ASSERT_TRUE(ed().Picture1.Visible);
    ed().Image5_Click();
    desktop.screenPicture = QImage(1920, 1080, QImage::Format_RGB32);
    desktop.screenPicture.fill(QColor(40, 80, 120));
    bool editorHiddenDuringWait = false;
    desktop.duringWait = [&] { editorHiddenDuringWait = !ed().Visible; };
    form3& s = app->Strip();
    s.MeasureScreen();
    EXPECT_TRUE(editorHiddenDuringWait);
    EXPECT_EQ(std::count(desktop.calls.begin(), desktop.calls.end(), QStringLiteral("GrabScreen")),
              1);
    EXPECT_TRUE(ed().Picture2.Picture().isNull());
    EXPECT_EQ(ed().Picture2.Width, 1920 * 15.0f);
    EXPECT_EQ(CanvasPixel(5, 5), RGB(40, 80, 120));
    EXPECT_EQ(CanvasPixel(1900, 1000), RGB(40, 80, 120));
    EXPECT_EQ(ed().Picture2.Left, 0);
    EXPECT_EQ(ed().Picture2.Top, 0);
    EXPECT_FALSE(ed().Picture1.Visible);
    EXPECT_FALSE(ed().Picture6.Visible);
    EXPECT_TRUE(ed().Visible);
    EXPECT_TRUE(s.Visible);
    // The distance tool chosen in the editor is the one the strip shows as pressed.
    EXPECT_TRUE(s.Imag55.Visible);
    EXPECT_FALSE(s.Imag5.Visible);
    EXPECT_TRUE(s.Imag6.Visible && !s.Imag66.Visible);
    EXPECT_TRUE(s.Imag7.Visible && !s.Imag77.Visible);

    // Refused by the desktop: the editor comes back as it was, not hidden behind nothing.
    desktop.refuseScreenCopy = true;
    s.MeasureScreen();
    EXPECT_TRUE(ed().Visible);
    EXPECT_EQ(std::count(desktop.calls.begin(), desktop.calls.end(), QStringLiteral("GrabScreen")),
              1);
}

// A hidden editor was laid out for the screen it last showed on. The next open, the next
// screen measurement and "Show" lay it out for the screen under the pointer now, in the
// twips per pixel its picture and markup were measured in.
TEST_F(RoutesTest, AScreenChangedWhileTheEditorWasHiddenIsFollowedByTheNextShow) {
    desktop.openFiles.push_back(files.Solid("first.png", 10, 10, Qt::green, "png"));
    app->Strip().OpenFromFile();
    Form1& e = ed();
    const float button = e.Image3.Width;
    e.SetShown(false);

    desktop.screen = QSize(2560, 1440);
    desktop.screenOrigin = QPoint(1920, 0);
    desktop.openFiles.push_back(files.Solid("second.png", 10, 10, Qt::red, "png"));
    app->Strip().OpenFromFile();
    ASSERT_TRUE(e.Visible);
    EXPECT_FLOAT_EQ(e.Left, 1920 * 15.0f);
    EXPECT_FLOAT_EQ(e.Width, 2560 * 15.0f);
    EXPECT_FLOAT_EQ(e.Height, 1440 * 15.0f);
    EXPECT_EQ(e.Surface.size(), QSize(2560, 1440));
    EXPECT_FLOAT_EQ(e.Picture6.Width, 2560 * 15.0f);
    EXPECT_FLOAT_EQ(e.Picture1.Height, 1440 * 15.0f);
    EXPECT_FLOAT_EQ(e.Image3.Left, 2560 * 15.0f - 2 * button);
    EXPECT_FLOAT_EQ(e.Image9.Left, 2560 * 15.0f - 5 * button);

    // A screen measurement with the editor hidden docks the strip on the new screen.
    e.SetShown(false);
    desktop.screen = QSize(1280, 800);
    desktop.screenOrigin = QPoint(0, 0);
    desktop.dpi = 144;
    form3& s = app->Strip();
    s.MeasureScreen();
    EXPECT_FLOAT_EQ(e.Width, 1280 * 15.0f);
    EXPECT_FLOAT_EQ(Screen().TwipsPerPixelX, 15.0f);
    EXPECT_FLOAT_EQ(s.Left + s.Width, 1280 * 15.0f);
    EXPECT_FLOAT_EQ(s.Top, 0);

    // Shown, the editor keeps its layout until it is hidden again.
    desktop.screen = QSize(1920, 1080);
    app->ShowEditor();
    EXPECT_FLOAT_EQ(e.Width, 1280 * 15.0f);
}

// Ctrl+O in the editor runs the file route; a failed open with no editor before shows none;
// a PSD through the file route leaves the bars where every open leaves them.
TEST_F(RoutesTest, CtrlOOpensAFileAndAFailedFirstOpenLeavesNoEditor) {
    const QString broken = files.Write("broken.png", "not a picture");
    for (const bool byLine : {false, true}) {
        SCOPED_TRACE(byLine ? "command line" : "file route");
        desktop.messages.clear();
        if (byLine) {
            app->TrayHost().OpenCommandLine(broken);
        } else {
            desktop.openFiles.push_back(broken);
            app->Strip().OpenFromFile();
        }
        EXPECT_EQ(desktop.messages.size(), 1u);
        EXPECT_EQ(app->EditorIfLoaded(), nullptr);
        app->CollectGarbage();
    }

    desktop.openFiles.push_back(files.SolidPsd("layers.psd", 30, 20, QColor(9, 8, 7)));
    app->Strip().OpenFromFile();
    ASSERT_NE(app->EditorIfLoaded(), nullptr);
    Form1& e = ed();
    EXPECT_TRUE(e.Visible);
    EXPECT_FLOAT_EQ(e.Picture1.Top, e.Picture6.Height);
    EXPECT_FLOAT_EQ(e.Picture1.Left, 0);

    // A failed open in an editor already shown leaves it shown, with its picture.
    desktop.openFiles.push_back(broken);
    e.Key(Qt::Key_O, kCtrlMask, true);
    ASSERT_EQ(app->EditorIfLoaded(), &e);
    EXPECT_TRUE(e.Visible);
    EXPECT_EQ(CanvasPixel(29, 19), RGB(9, 8, 7));

    desktop.openFiles.push_back(files.Solid("next.png", 12, 6, Qt::red, "png"));
    e.Key(Qt::Key_O, kCtrlMask, true);
    EXPECT_EQ(e.Picture2.Width, 12 * 15.0f);
    EXPECT_EQ(CanvasPixel(11, 5), RGB(255, 0, 0));
}

}  // namespace
}  // namespace orv::test
