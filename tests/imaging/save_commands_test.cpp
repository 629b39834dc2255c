// The save command: the capture of the canvas with its annotations, the save dialog (asked of
// the fake desktop and shown on Qt), the file written for each extension, the clipboard
// hand-over and the error box.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

#include "AppFixture.h"
#include "ImagingFiles.h"
#include "platform/Painter.h"
#include "platform/qt/QtDesktop.h"

namespace orv::test {
namespace {

// A fake desktop that also records, at each change of the busy pointer, whether the file being
// saved exists yet.
class SaveDesktop : public FakeDesktop {
  public:
    QString watched;
    std::vector<std::pair<bool, bool>> busyChanges;  ///< (busy, file exists at that moment)

    QString copiedMeanwhile;  ///< text the user copies while the save dialog is open

    QString SaveFileDialog(const SaveDialogRequest& r) override {
        if (!copiedMeanwhile.isEmpty()) SetClipboardText(copiedMeanwhile);
        return FakeDesktop::SaveFileDialog(r);
    }
    void SetBusyCursor(bool busy) override {
        FakeDesktop::SetBusyCursor(busy);
        busyChanges.emplace_back(busy, QFileInfo::exists(watched));
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

    // Saves the canvas through the command, the dialog answering with `path`.
    void SaveAs(const QString& path) {
        desktop.watched = path;
        desktop.saveFiles.push_back(path);
        ed().Command5_Click();
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
    TextBox& note = e.bz.Load(1);  // a note box, a window, above every windowless element
    note.Left = 0, note.Top = 0, note.Width = 20 * 15, note.Height = 20 * 15;
    note.BackColor = RGB(200, 200, 200), note.Visible = true;
    Label& noteLabel = e.bzz.Load(1);  // a hidden note label must not show
    noteLabel.Left = 90 * 15, noteLabel.Top = 60 * 15, noteLabel.Width = 10 * 15;
    noteLabel.Height = 10 * 15, noteLabel.BackColor = RGB(255, 0, 255);
}

QRgb At(const QImage& image, int x, int y) {
    return image.pixel(x, y) & 0xffffff;
}

TEST_F(SaveTest, CaptureIsTheCanvasAsShownAndStaysOnTheClipboardWhenCancelled) {
    Annotate(ed());
    ed().Command5_Click();  // cancelled
    const QImage capture = desktop.clipboardPicture;
    ASSERT_EQ(capture.size(), QSize(120, 80));
    EXPECT_FALSE(capture.hasAlphaChannel());
    EXPECT_EQ(ed().Picture3.Picture(), capture);
    EXPECT_TRUE(desktop.messages.empty());
    EXPECT_TRUE(desktop.busyChanges.empty());
    EXPECT_TRUE(QDir(folder.path()).isEmpty());
    EXPECT_EQ(At(capture, 100, 20), 0x008000u);  // the picture
    EXPECT_EQ(At(capture, 30, 10), 0xff0000u);   // the line
    EXPECT_EQ(At(capture, 55, 10), 0xffff00u);   // the label, loaded later, covers the line
    EXPECT_EQ(At(capture, 15, 45), 0x0000ffu);   // the swatch
    EXPECT_EQ(At(capture, 8, 10), 0xc8c8c8u);    // the note box lies above the line
    EXPECT_EQ(At(capture, 95, 65), 0x008000u);   // the hidden note label is not drawn

    // The same pixels as the canvas in the editor window, wherever the canvas lies (so the
    // stacking order, ZOrder included, is the window's).
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

// Shows the save dialog on Qt, lets `drive` act on it as the user would, and returns its
// answer. Any box over it (a question before replacing a file) is closed, and so is the dialog
// itself after five seconds: the answer is then empty, and the test never hangs.
QString RunQtDialog(const SaveDialogRequest& r, const std::function<void(QFileDialog&)>& drive) {
    bool driven = false;
    int ticks = 0;
    QTimer timer;
    timer.setInterval(20);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (dialog && !driven) {
            driven = true;  // queued: a timer never fires in its own slot, boxes must meet it
            QMetaObject::invokeMethod(
                dialog, [&drive, dialog] { drive(*dialog); }, Qt::QueuedConnection);
        } else if (modal && (!dialog || ++ticks > 250)) {
            modal->close();
        }
    });
    timer.start();
    return QtDesktop().SaveFileDialog(r);
}

// The editor's save picture and the strip's save icon ask for the same dialog. Shown on Qt it
// lists the nine descriptions and gives a bare name the chosen entry's extension (PNG first,
// and for every file type). (Replacing a file is asked first: save_choices_test.)
TEST_F(SaveTest, TheDialogListsNineEntriesAndABareNameTakesTheChosenOnesExtension) {
    ed().Image9_Click();
    app->Strip().Image2_Click();
    ASSERT_EQ(desktop.saveRequests.size(), 2u);
    SaveDialogRequest r = desktop.saveRequests[1];
    EXPECT_TRUE(QDir(r.InitialFolder).exists()) << r.InitialFolder.toStdString();
    r.InitialFolder = folder.path();
    r.SuggestedName.clear();
    const struct {
        int entry;  // -1 leaves the first entry chosen
        const char* typed;
        const char* expected;
    } cases[] = {{-1, "a", "a.PNG"}, {1, "b", "b.jpg"}, {2, "c", "c.bmp"},
                 {4, "d", "d.tiff"}, {5, "f", "f.psd"}, {6, "e", "e.PNG"},
                 {7, "g", "g.svg"},  {8, "h", "h.pdf"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        QStringList shown;
        QString directory;
        const auto drive = [&](QFileDialog& dialog) {
            auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (!types || !edit) return dialog.reject();
            for (int i = 0; i < types->count(); ++i) shown << types->itemText(i);
            directory = dialog.directory().absolutePath();
            if (c.entry >= 0) {  // as a click on the entry would
                types->setCurrentIndex(c.entry);
                emit types->activated(c.entry);
                emit types->textActivated(types->itemText(c.entry));
            }
            edit->setText(QString::fromLatin1(c.typed));
            static_cast<QDialog&>(dialog).accept();  // the accept button's own slot
        };
        const QString result = RunQtDialog(r, drive);
        EXPECT_EQ(shown.join('|').toStdString(),
                  "PNG File(*.PNG)|JPEG File(*.jpg;*.jpeg)|Bitmap File(*.bmp)|GIF File(*.gif)|"
                  "TIFF File(*.TIFF)|PSD File(*.psd)|All File(*.*)|SVG File(*.SVG)|"
                  "PDF File(*.PDF)");
        EXPECT_EQ(directory, QDir(folder.path()).absolutePath());
        EXPECT_EQ(
            result.toStdString(),
            QDir(folder.path()).absoluteFilePath(QString::fromLatin1(c.expected)).toStdString());
    }
}

TEST_F(SaveTest, EachExtensionGetsItsEncoderAndSettingsAndReplacesAFile) {
    // What identify reads: format, size, bits per sample, compression, channels, quality.
    const std::pair<const char*, const char*> cases[] = {
        {"shot.PNG", "PNG 120x80 8 Zip srgb 92"},     {"photo.jpg", "JPEG 120x80 8 JPEG srgb 80"},
        {"photo2.JPG", "JPEG 120x80 8 JPEG srgb 80"}, {"photo3.jpeg", "JPEG 120x80 8 JPEG srgb 75"},
        {"plain.bmp", "BMP3 120x80 8 None srgb 92"},  {"flat.gif", "GIF 120x80 8 LZW srgb 92"},
        {"raw.tiff", "TIFF 120x80 8 None srgb 92"},   {"packed.tif", "TIFF 120x80 8 LZW srgb 92"},
    };
    for (const auto& [name, expected] : cases) {
        SCOPED_TRACE(name);
        desktop.busyChanges.clear();
        const QString path = Path(QString::fromLatin1(name));
        SaveAs(path);
        ASSERT_TRUE(QFileInfo::exists(path));
        EXPECT_TRUE(desktop.messages.empty());
        // The busy pointer shows from before the file exists until it is written.
        const std::vector<std::pair<bool, bool>> busy{{true, false}, {false, true}};
        EXPECT_EQ(desktop.busyChanges, busy);
        EXPECT_TRUE(desktop.clipboardPicture.isNull());  // a completed save empties it
        if (!HaveImageMagick()) continue;
        EXPECT_EQ(ImageMagick("identify", {"-format", "%m %wx%h %z %C %[channels] %Q", path})
                      .value_or("missing")
                      .toStdString(),
                  expected);
    }
    // Saved again with annotations, the PNG is replaced by exactly the new capture. Text the
    // user copied while the dialog was open is not the capture: it stays on the clipboard.
    Annotate(ed());
    desktop.copiedMeanwhile = QStringLiteral("copied meanwhile");
    SaveAs(Path(QStringLiteral("shot.PNG")));
    EXPECT_EQ(desktop.clipboardText, desktop.copiedMeanwhile);
    EXPECT_EQ(QImage(Path(QStringLiteral("shot.PNG"))).convertToFormat(QImage::Format_RGB32),
              ed().Picture3.Picture());
}

// No encoder for the name or no folder to write in: the error box says so,
// the capture stays on the clipboard and an existing file is untouched.
TEST_F(SaveTest, ASaveThatWritesNoFileSaysSoAndKeepsTheCapture) {
    const QString kept = Path(QStringLiteral("notes.txt"));
    ASSERT_TRUE(WriteFile(kept, "keep me"));
    const QRegularExpression box(
        QStringLiteral("^Error :\r\n\r\nError Code: [1-9][0-9]*\r\nError Description: .+$"));
    for (const QString& path : {kept, Path(QStringLiteral("missing/folder/x.png")),
                                Path(QStringLiteral("noextension"))}) {
        SCOPED_TRACE(path.toStdString());
        desktop.messages.clear();
        SaveAs(path);
        ASSERT_EQ(desktop.messages.size(), 1u);
        EXPECT_EQ(desktop.messages[0].first, QStringLiteral("Error "));
        EXPECT_TRUE(box.match(desktop.messages[0].second).hasMatch());
        EXPECT_EQ(desktop.busyDepth, 0);
        EXPECT_EQ(desktop.clipboardPicture.size(), QSize(120, 80));
    }
    EXPECT_EQ(QFile(kept).size(), 7);
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("missing"))));
}

}  // namespace
}  // namespace orv::test

namespace orv::test {
namespace {

// A name typed without a dot is its own extension; a dot in the folder's name
// never passes for one.
TEST_F(SaveTest, OnlyTheFileNameGivesTheExtension) {
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("client.jpg")));
    const QString path = Path(QStringLiteral("client.jpg/gif"));
    SaveAs(path);
    EXPECT_TRUE(desktop.messages.empty());
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.read(4), QByteArray("GIF8"));
}

}  // namespace
}  // namespace orv::test
