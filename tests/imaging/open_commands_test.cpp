// The editor's open commands: dispatch by extension, the PNG/JPEG and PSD loads,
// canvas placement and bar layout, failures, and closing with a PSD open. Every file is
// dropped on the editor, which opens it exactly as a command-line path.

#include <QColor>

#include "../shell/PictureFiles.h"
#include "AppFixture.h"
#include "imaging/psd/cpsd.h"

namespace orv::test {
namespace {

class OpenCommandsTest : public AppTest {
  protected:
    /// Drops path on the editor.
    Form1& Open(const QString& path) {
        ed().OpenDroppedFile(path);
        EXPECT_EQ(ed().open1, path);
        return ed();
    }
    /// The colour at pixel (x, y) of the canvas.
    int64_t CanvasPixel(int x, int y) { return ed().Picture2.Point(x * 15.0f + 1, y * 15.0f + 1); }
    std::vector<int> WaitTimes() const {
        std::vector<int> ms;
        for (const auto& w : desktop.waits) ms.push_back(w.first);
        return ms;
    }
    /// The canvas beside the bars, open2 emptied, the bars and window buttons laid out.
    void ExpectPlacedBesideBars() {
        const Form1& e = ed();
        const float w = e.Image3.Width, right = Screen().Width;
        EXPECT_EQ(
            (std::vector<float>{e.Picture2.Left, e.Picture2.Top, e.Picture6.Width, e.Picture1.Top,
                                e.Picture1.Height, e.Image3.Left, e.Image2.Left, e.Image1.Left}),
            (std::vector<float>{e.Picture1.Width + 100, e.Picture6.Height + 100, e.Width,
                                e.Picture6.Height, e.Height, right - 2 * w, right - 3 * w,
                                right - 4 * w}));
        EXPECT_TRUE(e.open2.isEmpty());
    }
    PictureFiles files;
};

// Every kind opens at its own size beside the bars: PNG through the PNG/JPEG load (400 ms wait),
// PSD through the reader (160 ms), the others through the standard loader alone. (Their
// colours are checked with the file route and the loaders.)
TEST_F(OpenCommandsTest, EachKindOpensAtItsOwnSizeBesideTheBars) {
    ASSERT_TRUE(files.Folder(QStringLiteral("dir.v2")));
    int width = 10;  // each file one pixel wider, so that every open must replace the last
    const auto solid = [&](const char* name, const char* format) {
        return files.Solid(QString::fromLatin1(name), ++width, 12, Qt::red, format);
    };
    const std::pair<QString, std::vector<int>> cases[] = {
        {solid("a.png", "png"), {400}},
        {files.SolidPsd(QStringLiteral("archive.tar.PSD"), ++width, 12, Qt::red), {160}},
        {solid("p.jpeg", "jpg"), {}},
        {solid("p.bmp", "bmp"), {}},
        {solid("dir.v2/noext", "bmp"), {}}};
    width = 10;
    for (const auto& [path, waits] : cases) {
        SCOPED_TRACE(path.toStdString());
        desktop.waits.clear();
        Form1& e = Open(path);
        EXPECT_EQ(WaitTimes(), waits);
        EXPECT_FLOAT_EQ(e.Picture2.Width, ++width * 15.0f);
        EXPECT_FLOAT_EQ(e.Picture2.Height, 12 * 15.0f);
        ExpectPlacedBesideBars();
    }
    EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(OpenCommandsTest, TransparencyShowsTheCanvasColourAtTheTimeOfLoading) {
    ed().Picture2.BackColor = RGB(0, 0, 255);
    Open(files.Solid(QStringLiteral("clear.png"), 8, 8, QColor(255, 0, 0, 0), "png"));
    EXPECT_EQ(CanvasPixel(2, 2), RGB(0, 0, 255));
    // The colour was composed in: a later background change does not show through.
    ed().Picture2.BackColor = RGB(0, 255, 0);
    EXPECT_EQ(CanvasPixel(2, 2), RGB(0, 0, 255));
}

TEST_F(OpenCommandsTest, JpgGoesThroughBothLoadersAndTheStandardLoaderWins) {
    // A GIF named .JPG: the PNG/JPEG load composes it opaque, the standard loader keeps its
    // transparency, so the picture that stays tells which loader ran last.
    const QString path =
        files.HalfTransparentGif(QStringLiteral("photo.JPG"), 8, 4, QColor(0, 0, 255));
    ASSERT_FALSE(path.isEmpty());
    Form1& e = Open(path);
    EXPECT_EQ(WaitTimes(), std::vector<int>{400});
    ASSERT_FALSE(e.Picture2.Picture().isNull());
    EXPECT_EQ(qAlpha(e.Picture2.Picture().pixel(0, 0)), 0);
    EXPECT_EQ(CanvasPixel(6, 1), RGB(0, 0, 255));
    ExpectPlacedBesideBars();
}

// A failed load of any loader leaves the canvas as it was; a PNG under another name opens by
// its content. Each failure is told, naming the file.
TEST_F(OpenCommandsTest, UnreadableFilesLeaveTheCanvasUnchangedAndSayWhy) {
    const QString goodPng = files.Solid(QStringLiteral("good.png"), 64, 64, Qt::red, "png");
    const QString goodJpg = files.Solid(QStringLiteral("good.jpg"), 64, 64, Qt::red, "jpg");
    const QString bmp = files.Solid(QStringLiteral("before.bmp"), 9, 9, Qt::green, "bmp");
    const std::pair<QString, QString> failures[] = {
        {files.Path(QStringLiteral("missing.png")), "missing.png: the file does not exist."},
        {files.Write(QStringLiteral("text.png"), "not a picture at all"),
         "text.png: the file is damaged or is not a picture."},
        {files.Truncated(QStringLiteral("cut.png"), goodPng, 60),
         "cut.png: the file ends early or is damaged."},
        {files.Truncated(QStringLiteral("cut.jpg"), goodJpg, 300),
         "cut.jpg: the file ends early or is damaged."}};
    for (const auto& [path, text] : failures) {
        SCOPED_TRACE(path.toStdString());
        ASSERT_FALSE(path.isEmpty());
        const qint64 shown = Open(bmp).Picture2.Picture().cacheKey();
        desktop.messages.clear();
        EXPECT_EQ(Open(path).Picture2.Picture().cacheKey(), shown);
        ExpectPlacedBesideBars();
        ASSERT_EQ(desktop.messages.size(), 1u);
        EXPECT_EQ(desktop.messages[0].first, QStringLiteral("Orvane Tessaly"));
        EXPECT_EQ(desktop.messages[0].second, QStringLiteral("Cannot open ") + text);
    }
    const qint64 before = Open(bmp).Picture2.Picture().cacheKey();
    desktop.messages.clear();
    Open(files.Write(QStringLiteral("junk.gif"), "GIF89a\x01"));
    EXPECT_EQ(ed().Picture2.Picture().cacheKey(), before);
    ASSERT_EQ(desktop.messages.size(), 1u);
    // The same failure again straight away is told again: the user tried once more.
    Open(files.Path(QStringLiteral("junk.gif")));
    EXPECT_EQ(desktop.messages.size(), 2u);
    Open(files.Solid(QStringLiteral("really-png.gif"), 30, 30, Qt::red, "png"));
    EXPECT_EQ(ed().Picture2.Picture().size(), QSize(30, 30));
    EXPECT_EQ(CanvasPixel(29, 29), RGB(255, 0, 0));
    ExpectPlacedBesideBars();
    EXPECT_EQ(desktop.messages.size(), 2u);
}

// Each open replaces what an earlier one drew on the canvas; a failed PSD read keeps what the
// canvas showed, its size included, and says so.
TEST_F(OpenCommandsTest, TheCanvasShowsOnlyTheLatestOpen) {
    const QString good = files.SolidPsd(QStringLiteral("good.psd"), 50, 50, QColor(9, 9, 9));
    Open(good);
    ASSERT_EQ(CanvasPixel(10, 10), RGB(9, 9, 9));
    // The same header with its pixel data cut off: the size is read, the pixels are not.
    const QString cut = files.Truncated(QStringLiteral("cut.psd"), good, 40);
    Open(files.Solid(QStringLiteral("wide.png"), 70, 20, QColor(0, 0, 200), "png"));
    Open(cut);
    EXPECT_EQ(CanvasPixel(60, 10), RGB(0, 0, 200));
    EXPECT_FLOAT_EQ(ed().Picture2.Width, 70 * 15.0f);
    EXPECT_FLOAT_EQ(ed().Picture2.Height, 20 * 15.0f);
    ASSERT_FALSE(desktop.messages.empty());
    EXPECT_EQ(desktop.messages.back().second,
              QStringLiteral("Cannot open cut.psd: the file is damaged or is not a PSD picture."));
    Open(good);
    Open(files.Solid(QStringLiteral("after.png"), 50, 50, QColor(200, 0, 0), "png"));
    EXPECT_EQ(CanvasPixel(10, 10), RGB(200, 0, 0));
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
    ed().open1 = files.Solid(QStringLiteral("a.png"), 5, 5, Qt::red, "png");
    desktop.duringWait = [this] { app->EditorIfLoaded()->Image3_Click(); };
    ed().Command14_Click();
    EXPECT_EQ(app->EditorIfLoaded(), nullptr);
    app->CollectGarbage();
}

}  // namespace
}  // namespace orv::test
