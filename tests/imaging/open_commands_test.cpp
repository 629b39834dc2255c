// The editor's open commands: dispatch by extension, the GDI+ and PSD loads,
// canvas placement and bar layout, failures, and closing with a PSD open.

#include <QColor>

#include "../shell/PictureFiles.h"
#include "AppFixture.h"
#include "imaging/OpenCommands.h"
#include "imaging/psd/cpsd.h"

namespace orv::test {
namespace {

class OpenCommandsTest : public AppTest {
  protected:
    /// Opens path through the dispatch, as the command line does.
    Form1& Open(const QString& path) {
        ed().open1 = path;
        ed().Command14_Click();
        return ed();
    }
    /// The colour at pixel (x, y) of the canvas.
    int64_t CanvasPixel(int x, int y) { return ed().Picture2.Point(x * 15.0f + 1, y * 15.0f + 1); }
    std::vector<int> WaitTimes() const {
        std::vector<int> ms;
        for (const auto& w : desktop.waits) ms.push_back(w.first);
        return ms;
    }
    void ExpectPlacedBesideBars() {
        Form1& e = ed();
        EXPECT_FLOAT_EQ(e.Picture2.Left, e.Picture1.Width + 100);
        EXPECT_FLOAT_EQ(e.Picture2.Top, e.Picture6.Height + 100);
        EXPECT_TRUE(e.open2.isEmpty());
        EXPECT_FLOAT_EQ(e.Picture6.Width, e.Width);
        EXPECT_FLOAT_EQ(e.Picture1.Top, e.Picture6.Height);
        EXPECT_FLOAT_EQ(e.Picture1.Height, e.Height);
        const float w = e.Image3.Width;
        EXPECT_FLOAT_EQ(e.Image3.Left, Screen().Width - 2 * w);
        EXPECT_FLOAT_EQ(e.Image2.Left, Screen().Width - 3 * w);
        EXPECT_FLOAT_EQ(e.Image1.Left, Screen().Width - 4 * w);
    }
    PictureFiles files;
};

TEST(LowerExtension, TakesTheTextAfterTheLastDotOfTheWholePath) {
    EXPECT_EQ(LowerExtension(QStringLiteral("C:/x/photo.JPG")), QStringLiteral("jpg"));
    EXPECT_EQ(LowerExtension(QStringLiteral("/a/archive.tar.PSD")), QStringLiteral("psd"));
    EXPECT_EQ(LowerExtension(QStringLiteral("/a/noext")), QString());
    EXPECT_EQ(LowerExtension(QStringLiteral("C:\\my.Pics\\noext")), QStringLiteral("pics\\noext"));
    EXPECT_EQ(LowerExtension(QStringLiteral("trailing.")), QString());
}

TEST_F(OpenCommandsTest, PngLoadsAtItsOwnSizeBesideTheBars) {
    Form1& e = Open(files.Solid(QStringLiteral("a.png"), 40, 30, QColor(10, 200, 30), "png"));
    EXPECT_EQ(e.Picture2.Picture().size(), QSize(40, 30));
    EXPECT_FLOAT_EQ(e.Picture2.Width, 40 * 15.0f);
    EXPECT_FLOAT_EQ(e.Picture2.Height, 30 * 15.0f);
    EXPECT_EQ(CanvasPixel(5, 5), RGB(10, 200, 30));
    ExpectPlacedBesideBars();
    ASSERT_EQ(WaitTimes(), std::vector<int>{400});
    EXPECT_TRUE(desktop.waits[0].second.startsWith(QStringLiteral("orvaneTimer")));
    EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(OpenCommandsTest, TransparencyShowsTheCanvasColourAtTheTimeOfLoading) {
    QImage img(20, 10, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    for (int y = 0; y < 10; ++y)
        for (int x = 10; x < 20; ++x) img.setPixel(x, y, qRgba(255, 0, 0, 255));
    const QString path = files.Save(QStringLiteral("alpha.png"), img, "png");
    ed().Picture2.BackColor = RGB(0, 0, 255);
    Open(path);
    EXPECT_EQ(CanvasPixel(2, 2), RGB(0, 0, 255));
    EXPECT_EQ(CanvasPixel(15, 2), RGB(255, 0, 0));
    // The colour was composed in: a later background change does not show through.
    ed().Picture2.BackColor = RGB(0, 255, 0);
    EXPECT_EQ(CanvasPixel(2, 2), RGB(0, 0, 255));
}

TEST_F(OpenCommandsTest, JpgGoesThroughBothLoadersAndTheStandardLoaderWins) {
    // A GIF named .JPG: the GDI+ load composes it opaque, the standard loader keeps its
    // transparency, so the picture that stays tells which loader ran last.
    const QString path =
        files.HalfTransparentGif(QStringLiteral("photo.JPG"), 8, 4, QColor(0, 0, 255));
    ASSERT_FALSE(path.isEmpty());
    Form1& e = Open(path);
    EXPECT_EQ(WaitTimes(), std::vector<int>{400});
    ASSERT_FALSE(e.Picture2.Picture().isNull());
    EXPECT_TRUE(e.Picture2.Picture().hasAlphaChannel());
    EXPECT_EQ(qAlpha(e.Picture2.Picture().pixel(0, 0)), 0);
    EXPECT_EQ(CanvasPixel(6, 1), RGB(0, 0, 255));
    ExpectPlacedBesideBars();
}

TEST_F(OpenCommandsTest, OtherKindsGoToTheStandardLoaderOnly) {
    const struct {
        const char* name;
        const char* format;
    } cases[] = {{"p.jpeg", "jpg"}, {"p.bmp", "bmp"}, {"p.gif", "gif"},
                 {"p.ico", "ico"},  {"noext", "bmp"}, {"dir.v2/noext", "bmp"}};
    ASSERT_TRUE(files.Folder(QStringLiteral("dir.v2")));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        desktop.waits.clear();
        const QString path =
            files.Solid(QString::fromLatin1(c.name), 16, 12, QColor(200, 100, 0), c.format);
        ASSERT_FALSE(path.isEmpty());
        Form1& e = Open(path);
        EXPECT_TRUE(desktop.waits.empty());
        EXPECT_EQ(e.Picture2.Picture().size(), QSize(16, 12));
        const int64_t px = CanvasPixel(8, 6);
        EXPECT_NEAR(px & 0xff, 200, 4);
        EXPECT_NEAR((px >> 8) & 0xff, 100, 4);
        ExpectPlacedBesideBars();
    }
}

TEST_F(OpenCommandsTest, PngUnderAnotherExtensionIsRefusedAndTheCanvasStays) {
    Form1& e = Open(files.Solid(QStringLiteral("first.bmp"), 10, 10, Qt::green, "bmp"));
    const qint64 before = e.Picture2.Picture().cacheKey();
    Open(files.Solid(QStringLiteral("really-png.gif"), 30, 30, Qt::red, "png"));
    EXPECT_EQ(e.Picture2.Picture().cacheKey(), before);
    ExpectPlacedBesideBars();
}

TEST_F(OpenCommandsTest, UnreadableFilesLeaveTheCanvasEmptyOrUnchangedWithoutAMessage) {
    const QString goodPng = files.Solid(QStringLiteral("good.png"), 64, 64, Qt::red, "png");
    const QString goodJpg = files.Solid(QStringLiteral("good.jpg"), 64, 64, Qt::red, "jpg");
    const QString bmp = files.Solid(QStringLiteral("before.bmp"), 9, 9, Qt::green, "bmp");
    // A picture whose side exceeds what the loaders accept, as a tiny one-bit file.
    QImage wide(40000, 1, QImage::Format_Mono);
    wide.fill(1);
    const QString tooWide = files.Save(QStringLiteral("wide.png"), wide, "png");
    const QString paths[] = {
        files.Path(QStringLiteral("missing.png")),
        files.Write(QStringLiteral("text.png"), "not a picture at all"),
        files.Truncated(QStringLiteral("cut.png"), goodPng, 60),
        files.Truncated(QStringLiteral("cut.jpg"), goodJpg, 300),
        tooWide,
    };
    for (const QString& path : paths) {
        SCOPED_TRACE(path.toStdString());
        ASSERT_FALSE(path.isEmpty());
        Form1& e = Open(bmp);
        ASSERT_FALSE(e.Picture2.Picture().isNull());
        // The GDI+ route clears the canvas when its load fails.
        Open(path);
        EXPECT_TRUE(e.Picture2.Picture().isNull());
        ExpectPlacedBesideBars();
    }
    // The standard loader's route leaves the canvas as it was.
    Form1& e = Open(bmp);
    const qint64 before = e.Picture2.Picture().cacheKey();
    Open(files.Path(QStringLiteral("missing.bmp")));
    Open(files.Write(QStringLiteral("junk.gif"), "GIF89a\x01"));
    EXPECT_EQ(e.Picture2.Picture().cacheKey(), before);
    EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(OpenCommandsTest, PsdIsDrawnOnTheCanvasAtFifteenTwipsPerPixel) {
    Form1& e = Open(files.SolidPsd(QStringLiteral("archive.tar.PSD"), 30, 20, QColor(1, 2, 3)));
    EXPECT_EQ(WaitTimes(), std::vector<int>{160});
    EXPECT_FLOAT_EQ(e.Picture2.Width, 30 * 15.0f);
    EXPECT_FLOAT_EQ(e.Picture2.Height, 20 * 15.0f);
    EXPECT_EQ(CanvasPixel(29, 19), RGB(1, 2, 3));
    ASSERT_TRUE(e.vars.psdReader);
    EXPECT_EQ(e.vars.psdReader->Width(), 30);
    ExpectPlacedBesideBars();
}

TEST_F(OpenCommandsTest, PsdCommandAloneMovesTheLeftBarToTheCorner) {
    ed().open1 = files.SolidPsd(QStringLiteral("d.psd"), 4, 4, Qt::white);
    ed().Command22_Click();
    EXPECT_FLOAT_EQ(ed().Picture1.Top, 0);
    EXPECT_FLOAT_EQ(ed().Picture1.Left, 0);
}

TEST_F(OpenCommandsTest, AFailedPsdNeverShowsTheDocumentOpenedBefore) {
    const QString good = files.SolidPsd(QStringLiteral("good.psd"), 10, 10, QColor(9, 9, 9));
    Form1& e = Open(good);
    ASSERT_EQ(CanvasPixel(5, 5), RGB(9, 9, 9));
    // The same header with its pixel data cut off: the size is read, the pixels are not.
    Open(files.Truncated(QStringLiteral("cut.psd"), good, 40));
    EXPECT_NE(CanvasPixel(5, 5), RGB(9, 9, 9));
    EXPECT_EQ(CanvasPixel(5, 5), e.Picture2.BackColor);
}

TEST_F(OpenCommandsTest, AnOpenReplacesWhatAnEarlierOpenDrewOnTheCanvas) {
    Open(files.SolidPsd(QStringLiteral("d.psd"), 50, 50, QColor(9, 9, 9)));
    Open(files.Solid(QStringLiteral("after.png"), 50, 50, QColor(200, 0, 0), "png"));
    EXPECT_EQ(CanvasPixel(10, 10), RGB(200, 0, 0));
    Open(files.SolidPsd(QStringLiteral("d2.psd"), 50, 50, QColor(9, 9, 9)));
    Open(files.Solid(QStringLiteral("after.bmp"), 50, 50, QColor(0, 0, 200), "bmp"));
    EXPECT_EQ(CanvasPixel(10, 10), RGB(0, 0, 200));
}

TEST_F(OpenCommandsTest, GdiPlusCommandAloneParksTheCanvasAt800) {
    ed().open1 = files.Solid(QStringLiteral("a.png"), 5, 5, Qt::red, "png");
    ed().Command66_Click();
    EXPECT_FLOAT_EQ(ed().Picture2.Left, 800);
    EXPECT_FLOAT_EQ(ed().Picture2.Top, 800);
    EXPECT_EQ(ed().Picture2.Picture().size(), QSize(5, 5));
}

TEST_F(OpenCommandsTest, ADroppedFileOpensLikeACommandLinePath) {
    const QString path = files.Solid(QStringLiteral("dropped.png"), 12, 7, Qt::blue, "png");
    ed().OpenDroppedFile(path);
    EXPECT_EQ(ed().open1, path);
    EXPECT_EQ(ed().Picture2.Picture().size(), QSize(12, 7));
    ExpectPlacedBesideBars();
}

TEST_F(OpenCommandsTest, ClosingTheEditorReleasesThePsdPictureButKeepsTheReader) {
    Open(files.SolidPsd(QStringLiteral("d.psd"), 6, 6, Qt::white));
    std::shared_ptr<cpsd> reader = ed().vars.psdReader;
    ASSERT_TRUE(reader && !reader->Bitmap().isNull());
    ed().Image3_Click();
    EXPECT_EQ(app->EditorIfLoaded(), nullptr);
    EXPECT_TRUE(reader->Bitmap().isNull());
    EXPECT_EQ(app->editorVars.psdReader, reader);
    // Closing without any PSD read works too.
    app->editorVars.psdReader.reset();
    ed().Image3_Click();
    EXPECT_EQ(app->EditorIfLoaded(), nullptr);
}

TEST_F(OpenCommandsTest, TheEditorCanBeClosedDuringTheLoadsWait) {
    const QString path = files.Solid(QStringLiteral("a.png"), 5, 5, Qt::red, "png");
    Form1& e = ed();
    e.open1 = path;
    desktop.duringWait = [this] { app->EditorIfLoaded()->Image3_Click(); };
    e.Command14_Click();
    EXPECT_EQ(app->EditorIfLoaded(), nullptr);
    app->CollectGarbage();
}

}  // namespace
}  // namespace orv::test
