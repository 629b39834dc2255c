// The save command: the capture of the canvas with its annotations, the save dialog's request,
// the file written for each extension, the clipboard hand-over and the error box.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "AppFixture.h"
#include "platform/Painter.h"

namespace orv::test {
namespace {

// A fake desktop that also records, at each change of the busy pointer, whether the file being
// saved exists yet, and can run something while the save dialog is open.
class SaveDesktop : public FakeDesktop {
  public:
    QString watched;
    std::vector<std::pair<bool, bool>> busyChanges;  ///< (busy, file exists at that moment)
    std::function<void()> duringDialog;

    void SetBusyCursor(bool busy) override {
        FakeDesktop::SetBusyCursor(busy);
        busyChanges.emplace_back(busy, QFileInfo::exists(watched));
    }
    QString SaveFileDialog(const SaveDialogRequest& r) override {
        if (duringDialog) duringDialog();
        return FakeDesktop::SaveFileDialog(r);
    }
};

class SaveTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Screen() = ScreenInfo{15.0f, 15.0f, 1920 * 15.0f, 1080 * 15.0f};
        app = std::make_unique<App>(desktop, commandLine);
        QImage picture(120, 80, QImage::Format_RGB32);
        picture.fill(QColor(0, 128, 0));
        ed().Picture2.SetPicture(picture);
    }
    Form1& ed() { return app->Editor(); }
    QString Path(const QString& name) const { return folder.filePath(name); }

    // Saves the canvas as `name` through the command, the dialog answering with that path.
    QString SaveAs(const QString& name) {
        const QString path = Path(name);
        desktop.watched = path;
        desktop.saveFiles.push_back(path);
        ed().Command5_Click();
        return path;
    }

    // What ImageMagick's identify reports about a file ("" when it is not installed).
    static QString Identify(const QString& path, const char* format) {
        const QString tool = QStandardPaths::findExecutable(QStringLiteral("identify-im6.q16"));
        if (tool.isEmpty()) return {};
        QProcess process;
        process.start(tool, {QStringLiteral("-format"), QString::fromLatin1(format), path});
        process.waitForFinished(30000);
        return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    }

    QTemporaryDir folder;
    SaveDesktop desktop;
    QString commandLine;
    std::unique_ptr<App> app;
};

// Puts one annotation of each kind on the canvas, overlapping so stacking order shows.
void Annotate(Form1& e) {
    Line& line = e.Line1.Load(1);  // a horizontal red line across row 10, x 5..60
    line.X1 = 5 * 15, line.Y1 = 10 * 15, line.X2 = 60 * 15, line.Y2 = 10 * 15;
    line.BorderColor = RGB(255, 0, 0), line.Visible = true;
    Label& length = e.aapx.Load(1);  // a yellow label box over the line's right end
    length.AutoSize = false;
    length.SetCaption(QString());
    length.Left = 50 * 15, length.Top = 5 * 15, length.Width = 10 * 15, length.Height = 10 * 15;
    length.BackColor = RGB(255, 255, 0), length.Visible = true;
    Label& code = e.co.Load(1);  // a colour code in text
    code.Left = 40 * 15, code.Top = 55 * 15;
    code.SetCaption(QStringLiteral("#FF8000"));
    code.Visible = true;
    Shape& swatch = e.Shape1.Load(1);  // a filled blue swatch
    swatch.Left = 10 * 15, swatch.Top = 40 * 15, swatch.Width = 12 * 15, swatch.Height = 12 * 15;
    swatch.BackStyle = 1, swatch.BackColor = RGB(0, 0, 255), swatch.Visible = true;
    TextBox& note = e.bz.Load(1);  // a note box drawn after, yet under, nothing windowless
    note.Left = 0, note.Top = 0, note.Width = 20 * 15, note.Height = 20 * 15;
    note.BackColor = RGB(200, 200, 200), note.Visible = true;
    Label& noteLabel = e.bzz.Load(1);  // a hidden note label must not show
    noteLabel.Left = 90 * 15, noteLabel.Top = 60 * 15, noteLabel.Width = 10 * 15;
    noteLabel.Height = 10 * 15, noteLabel.BackColor = RGB(255, 0, 255);
}

QRgb At(const QImage& image, int x, int y) {
    return image.pixel(x, y) & 0xffffff;
}

TEST_F(SaveTest, CaptureIsTheCanvasAsShownWithItsAnnotationsInStackingOrder) {
    Annotate(ed());
    ed().Command5_Click();  // cancelled: the capture stays on the clipboard
    const QImage capture = desktop.clipboardPicture;
    ASSERT_EQ(capture.size(), QSize(120, 80));
    EXPECT_FALSE(capture.hasAlphaChannel());
    EXPECT_EQ(ed().Picture3.Picture(), capture);
    EXPECT_EQ(At(capture, 100, 20), 0x008000u);  // the picture
    EXPECT_EQ(At(capture, 30, 10), 0xff0000u);   // the line
    EXPECT_EQ(At(capture, 55, 10), 0xffff00u);   // the label, loaded later, covers the line
    EXPECT_EQ(At(capture, 15, 45), 0x0000ffu);   // the swatch
    EXPECT_EQ(At(capture, 8, 10), 0xc8c8c8u);    // the note box lies above the line
    EXPECT_EQ(At(capture, 95, 65), 0x008000u);   // the hidden note label is not drawn

    // Brought to the front, the line crosses the label.
    ed().Line1(1).ZOrder();
    ed().Command5_Click();
    EXPECT_EQ(At(desktop.clipboardPicture, 55, 10), 0xff0000u);

    // The same pixels as the canvas in the editor window, wherever the canvas lies.
    ed().Picture2.Left = 1387.5f;
    ed().Picture2.Top = 733;
    QImage window(1920, 1080, QImage::Format_RGB32);
    window.fill(Qt::black);
    {
        QPainter painter(&window);
        PaintForm(painter, ed());
    }
    ed().Command5_Click();
    const QRect place = ControlPlace(ed().Picture2);
    EXPECT_EQ(window.copy(QRect(place.topLeft(), desktop.clipboardPicture.size())),
              desktop.clipboardPicture);
}

TEST_F(SaveTest, TheDialogIsAskedWithTheSixEntriesPngFirstFromAnExistingFolder) {
    ed().Image9_Click();
    app->Strip().Image2_Click();  // the tool strip's save icon raises the same command
    ASSERT_EQ(desktop.saveRequests.size(), 2u);
    const SaveDialogRequest& r = desktop.saveRequests[0];
    const QStringList expected{"PNG File(*.PNG)",    "*.PNG",  "JPEG File(*.jpg;*.jpeg)", "*.jpg",
                               "Bitmap File(*.bmp)", "*.bmp",  "GIF File(*.gif)",         "*.gif",
                               "TIFF File(*.TIFF)",  "*.tiff", "All File(*.*)",           "*.*"};
    EXPECT_EQ(r.Filters, expected);
    EXPECT_EQ(r.FilterIndex, 1);
    EXPECT_EQ(r.DefaultExtension, QStringLiteral("PNG"));
    EXPECT_TRUE(QDir(r.InitialFolder).exists()) << r.InitialFolder.toStdString();
}

TEST_F(SaveTest, CancelLeavesTheCaptureOnTheClipboardAndWritesNothing) {
    ed().Command5_Click();
    EXPECT_EQ(desktop.clipboardPicture.size(), QSize(120, 80));
    EXPECT_TRUE(desktop.messages.empty());
    EXPECT_TRUE(desktop.busyChanges.empty());
    EXPECT_TRUE(QDir(folder.path()).isEmpty());
}

TEST_F(SaveTest, EachExtensionGetsItsEncoderAndSettings) {
    const struct {
        const char* name;
        const char* expected;  // identify: format, size, bits per sample, compression
        int quality;           // JPEG quality, 0 where it does not apply
    } cases[] = {
        {"shot.PNG", "PNG 120x80 8 Zip", 0},      {"photo.jpg", "JPEG 120x80 8 JPEG", 80},
        {"photo2.JPG", "JPEG 120x80 8 JPEG", 80}, {"photo3.jpeg", "JPEG 120x80 8 JPEG", 75},
        {"plain.bmp", "BMP3 120x80 8 None", 0},   {"flat.gif", "GIF 120x80 8 LZW", 0},
        {"raw.tiff", "TIFF 120x80 8 None", 0},    {"packed.tif", "TIFF 120x80 8 LZW", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        desktop.busyChanges.clear();
        const QString path = SaveAs(QString::fromLatin1(c.name));
        ASSERT_TRUE(QFileInfo::exists(path));
        EXPECT_TRUE(desktop.messages.empty());
        // The busy pointer shows from before the file exists until it is written.
        const std::vector<std::pair<bool, bool>> busy{{true, false}, {false, true}};
        EXPECT_EQ(desktop.busyChanges, busy);
        EXPECT_EQ(desktop.busyDepth, 0);
        EXPECT_TRUE(desktop.clipboardPicture.isNull());  // a completed save empties it
        const QString seen = Identify(path, "%m %wx%h %z %C");
        if (seen.isEmpty()) continue;  // no ImageMagick here
        EXPECT_EQ(seen.toStdString(), c.expected);
        if (c.quality) {
            EXPECT_EQ(Identify(path, "%Q").toInt(), c.quality);
        }
        EXPECT_EQ(Identify(path, "%[channels]").toStdString(), "srgb");  // no alpha
    }
}

TEST_F(SaveTest, TheSavedPixelsAreTheCaptureAndAnExistingFileIsReplaced) {
    Annotate(ed());
    const QString path = Path(QStringLiteral("in.a.dotted.folder/result.png"));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("old contents") > 0);
    old.close();
    // Another program takes the clipboard while the dialog is open: the capture is still what
    // is saved, and the other program's text is left alone.
    desktop.duringDialog = [this] { desktop.SetClipboardText(QStringLiteral("theirs")); };
    desktop.saveFiles.push_back(path);
    ed().Command5_Click();
    const QImage saved(path);
    EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32), ed().Picture3.Picture());
    EXPECT_EQ(desktop.clipboardText, QStringLiteral("theirs"));
    EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(SaveTest, ASaveThatWritesNoFileSaysSoAndKeepsTheCapture) {
    const QString kept = Path(QStringLiteral("notes.txt"));
    QFile existing(kept);
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly) && existing.write("keep me") == 7);
    existing.close();
    const QString paths[] = {kept, Path(QStringLiteral("missing/folder/x.png")),
                             Path(QStringLiteral("noextension"))};
    for (const QString& path : paths) {
        SCOPED_TRACE(path.toStdString());
        desktop.messages.clear();
        desktop.saveFiles.push_back(path);
        ed().Command5_Click();
        ASSERT_EQ(desktop.messages.size(), 1u);
        EXPECT_EQ(desktop.messages[0].first, QStringLiteral("Error "));
        const QString text = desktop.messages[0].second;
        EXPECT_TRUE(text.startsWith(QStringLiteral("Error :\r\n\r\nError Code: ")));
        const QStringList lines = text.split(QStringLiteral("\r\n"));
        ASSERT_EQ(lines.size(), 4);
        EXPECT_GT(lines[2].mid(12).toInt(), 0);
        EXPECT_TRUE(lines[3].startsWith(QStringLiteral("Error Description: ")));
        EXPECT_GT(lines[3].size(), 19);
        EXPECT_EQ(desktop.busyDepth, 0);
        EXPECT_EQ(desktop.clipboardPicture.size(), QSize(120, 80));
    }
    EXPECT_EQ(QFile(kept).size(), 7);
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("missing"))));
}

TEST_F(SaveTest, SavingWithNothingCapturedReportsTheEmptyClipboard) {
    desktop.saveFiles.push_back(Path(QStringLiteral("nothing.png")));
    ed().CutdSave();
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_TRUE(desktop.messages[0].second.startsWith(
        QStringLiteral("Error :\r\n\r\nError Code: 481\r\nError Description: ")));
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("nothing.png"))));
}

}  // namespace
}  // namespace orv::test
