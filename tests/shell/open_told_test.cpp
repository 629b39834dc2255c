// No dead ends and no silent failures: after a screen measurement the file and clipboard
// routes give back the editor's bars; a picture that cannot be opened is named in a message
// with the reason and the canvas keeps what it showed; TIFF, WebP and a PNG under another
// name open by their content.

#include <QFileInfo>
#include <QImageWriter>

#include "AppFixture.h"
#include "PictureFiles.h"
#include "imaging/io/DecodedPictures.h"

namespace orv::test {
namespace {

class OpenToldTest : public AppTest {
  protected:
    int64_t CanvasPixel(int x, int y) { return ed().Picture2.Point(x * 15.0f + 1, y * 15.0f + 1); }
    /// A screen measurement in a freshly loaded editor (a loaded one keeps its bars).
    void Measure() {
        if (app->EditorIfLoaded()) {
            ed().Image3_Click();
            app->CollectGarbage();
        }
        desktop.screenPicture = QImage(1920, 1080, QImage::Format_RGB32);
        desktop.screenPicture.fill(QColor(40, 80, 120));
        app->Strip().MeasureScreen();
        ASSERT_FALSE(ed().Picture1.Visible || ed().Picture6.Visible);
    }
    /// The bars as a plain open lays them out, and the canvas beside them.
    void ExpectBarsAsAfterAnOpen() {
        Form1& e = ed();
        EXPECT_TRUE(e.Visible);
        EXPECT_TRUE(e.Picture1.Visible && e.Picture6.Visible);
        EXPECT_FLOAT_EQ(e.Picture6.Width, e.Width);
        EXPECT_FLOAT_EQ(e.Picture1.Top, e.Picture6.Height);
        EXPECT_FLOAT_EQ(e.Picture1.Height, e.Height);
        EXPECT_FLOAT_EQ(e.Image3.Left, Screen().Width - 2 * e.Image3.Width);
        EXPECT_GE(e.Picture2.Left, e.Picture1.Width);
        EXPECT_GE(e.Picture2.Top, e.Picture6.Height);
        EXPECT_FALSE(app->Strip().Visible);
    }
    PictureFiles files;
};

TEST_F(OpenToldTest, FileAndClipboardAfterAScreenMeasurementShowTheBars) {
    // The file route fills the editor the measurement loaded.
    Measure();
    desktop.openFiles.push_back(files.Solid("a.gif", 30, 20, Qt::blue, "gif"));
    app->Strip().OpenFromFile();
    ExpectBarsAsAfterAnOpen();
    EXPECT_EQ(CanvasPixel(29, 19), RGB(0, 0, 255));

    Measure();
    QImage clip(12, 8, QImage::Format_RGB32);
    clip.fill(Qt::red);
    desktop.clipboardPicture = clip;
    app->Strip().OpenFromClipboard();
    ExpectBarsAsAfterAnOpen();
    EXPECT_EQ(CanvasPixel(11, 7), RGB(255, 0, 0));

    // Only the editor closed after the measurement: the next load is an ordinary one and
    // does not copy the screen again.
    Measure();
    ed().Image3_Click();
    app->CollectGarbage();
    desktop.calls.clear();
    desktop.openFiles.push_back(files.Solid("b.png", 5, 5, Qt::green, "png"));
    app->Strip().OpenFromFile();
    ExpectBarsAsAfterAnOpen();
    EXPECT_EQ(std::count(desktop.calls.begin(), desktop.calls.end(), QStringLiteral("GrabScreen")),
              0);
    EXPECT_EQ(CanvasPixel(4, 4), RGB(0, 255, 0));
}

TEST_F(OpenToldTest, PicturesThatCannotBeOpenedAreNamedWithTheReasonAndTheCanvasStays) {
    const QString shown = files.Solid("shown.png", 16, 9, Qt::yellow, "png");
    // Each through the file route, and again under other names as a command-line path (the
    // same failure of the same file is told only once in a row).
    for (const QString route : {"file", "line"}) {
        const auto name = [&](const char* n) { return route + QLatin1Char('-') + n; };
        const QString huge = files.Path(name("huge.tiff"));
        ASSERT_TRUE(QImage(33000, 1, QImage::Format_RGB32).save(huge, "tiff"));
        const struct {
            QString path;
            const char* reason;
        } cases[] = {
            {files.Path(name("missing.png")), "the file does not exist"},
            {files.Path(name("missing.tif")), "the file does not exist"},
            {files.Write(name("notes.tiff"), "just some words, no picture at all"),
             "the file is damaged or is not a picture"},
            {files.Write(name("empty.webp"), ""), "the file is empty"},
            {huge, "the picture is larger than 16384 x 16384 pixels"},
            {files.Write(name("short.png"), QByteArray("\x89PNG\r\n\x1a\n\0\0", 10)),
             "the file ends early or is damaged"},
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(c.path.toStdString());
            app->TrayHost().OpenCommandLine(shown);
            const qint64 before = ed().Picture2.Picture().cacheKey();
            ForgetDecodedPictures();
            desktop.messages.clear();
            if (route == QLatin1String("file")) {
                desktop.openFiles.push_back(c.path);
                app->Strip().OpenFromFile();
            } else {
                app->TrayHost().OpenCommandLine(c.path);
            }
            ASSERT_EQ(desktop.messages.size(), 1u);
            EXPECT_EQ(desktop.messages[0].second,
                      QStringLiteral("Cannot open %1: %2.")
                          .arg(QFileInfo(c.path).fileName(), QString::fromLatin1(c.reason)));
            EXPECT_EQ(ed().Picture2.Picture().cacheKey(), before);
            EXPECT_EQ(CanvasPixel(15, 8), RGB(255, 255, 0));
        }
    }
}

// The start-up opens its path twice in a row and tells a failure once; every later open of
// the same broken file, a second start's or the file route's, quick or not, tells it again.
TEST_F(OpenToldTest, OnlyTheStartUpsDoubleOpenIsToldOnce) {
    const QString broken = files.Write("broken.png", "not a picture");
    StartWith(broken);
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_TRUE(desktop.messages[0].second.startsWith(QStringLiteral("Cannot open broken.png")));
    for (int i = 0; i < 2; ++i) app->TrayHost().OpenCommandLine(broken);
    EXPECT_EQ(desktop.messages.size(), 3u);
    for (int i = 0; i < 2; ++i) {
        desktop.openFiles.push_back(broken);
        app->Strip().OpenFromFile();
    }
    EXPECT_EQ(desktop.messages.size(), 5u);
}

TEST_F(OpenToldTest, TiffWebpAndAPngUnderAnotherNameOpenByContent) {
    QImage half(24, 12, QImage::Format_ARGB32);
    half.fill(QColor(200, 30, 60));
    const QStringList paths = {
        files.Save("scan.tiff", half, "tiff"),
        files.Save("scan.TIF", half, "tiff"),
        files.Save("shot", half, "png"),
        files.Save("shot.dat", half, "png"),
        QImageWriter::supportedImageFormats().contains("webp")
            ? files.Save("web.webp", half, "webp")
            : QString(),
    };
    ASSERT_FALSE(paths.last().isEmpty()) << "Qt's WebP plugin is missing";
    for (const bool fileRoute : {true, false}) {
        for (const QString& path : paths) {
            SCOPED_TRACE(path.toStdString());
            ASSERT_FALSE(path.isEmpty());
            desktop.messages.clear();
            ed().Picture2.SetPicture(QImage());
            if (fileRoute) {
                desktop.openFiles.push_back(path);
                app->Strip().OpenFromFile();
            } else {
                app->TrayHost().OpenCommandLine(path);
            }
            EXPECT_TRUE(desktop.messages.empty());
            EXPECT_FLOAT_EQ(ed().Picture2.Width, 24 * 15.0f);
            EXPECT_FLOAT_EQ(ed().Picture2.Height, 12 * 15.0f);
            // WebP is stored lossily: near the colour is enough.
            const auto c = static_cast<Colour>(CanvasPixel(23, 11));
            EXPECT_NEAR(RedOf(c), 200, 8);
            EXPECT_NEAR(GreenOf(c), 30, 8);
            EXPECT_NEAR(BlueOf(c), 60, 8);
        }
    }
}

}  // namespace
}  // namespace orv::test
