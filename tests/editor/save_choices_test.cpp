// The save dialog starts beside the picture being marked up and offers its name, then keeps
// the folder and the file type of the last save, also for the next run; it asks before it
// replaces a file; a save that worked says so in the top bar for a moment.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "../shell/PictureFiles.h"
#include "AppFixture.h"
#include "editor/SaveChoices.h"
#include "platform/PathBytes.h"
#include "platform/qt/QtDesktop.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace orv::test {
namespace {

class SaveChoicesTest : public AppTest {
  protected:
    const SaveDialogRequest& Ask() {
        ed().Command5_Click();
        return desktop.saveRequests.back();
    }
    PictureFiles files;
};

TEST_F(SaveChoicesTest, StartsBesideThePictureThenWhereTheLastSaveWentAlsoInTheNextRun) {
    ASSERT_TRUE(files.Folder(QStringLiteral("pics")));
    const QString picture =
        files.Solid(QStringLiteral("pics/settings mock.v2.png"), 20, 10, Qt::blue, "png");
    desktop.openFiles.push_back(picture);
    app->Strip().OpenFromFile();
    SaveDialogRequest r = Ask();
    EXPECT_EQ(QDir(r.InitialFolder).absolutePath(), QDir(files.Path("pics")).absolutePath());
    EXPECT_EQ(r.SuggestedName, QStringLiteral("settings mock.v2"));
    EXPECT_EQ(r.FilterIndex, 1);
    EXPECT_TRUE(r.ConfirmOverwrite);

    // Saved as JPEG into another folder: the next dialog starts there, JPEG chosen.
    ASSERT_TRUE(files.Folder(QStringLiteral("out")));
    desktop.saveFiles = {files.Path(QStringLiteral("out/redlines.JPG"))};
    Ask();
    ASSERT_TRUE(QFile::exists(files.Path(QStringLiteral("out/redlines.JPG"))));
    r = Ask();
    EXPECT_EQ(QDir(r.InitialFolder).absolutePath(), QDir(files.Path("out")).absolutePath());
    EXPECT_EQ(r.FilterIndex, 2);
    EXPECT_EQ(r.SuggestedName, QStringLiteral("settings mock.v2"));

    // The next run keeps both; a picture from the clipboard has no name to offer.
    app = std::make_unique<App>(desktop, QString());
    QImage clip(8, 8, QImage::Format_RGB32);
    clip.fill(Qt::red);
    desktop.clipboardPicture = clip;
    app->Strip().OpenFromClipboard();
    r = Ask();
    EXPECT_EQ(QDir(r.InitialFolder).absolutePath(), QDir(files.Path("out")).absolutePath());
    EXPECT_EQ(r.FilterIndex, 2);
    EXPECT_TRUE(r.SuggestedName.isEmpty());

    // A remembered folder that is gone gives way to the picture's folder.
    QDir(files.Path(QStringLiteral("out"))).removeRecursively();
    desktop.openFiles.push_back(picture);
    app->Strip().OpenFromFile();
    r = Ask();
    EXPECT_EQ(QDir(r.InitialFolder).absolutePath(), QDir(files.Path("pics")).absolutePath());
    EXPECT_EQ(SaveFilterIndexFor(QStringLiteral("dat")), 0);
    EXPECT_EQ(SaveFilterIndexFor(QStringLiteral("TIF")), 5);
    EXPECT_EQ(SaveFilterIndexFor(QStringLiteral("psd")), 6);
}

TEST_F(SaveChoicesTest, AFolderNotInUtf8IsWhereTheDialogStartsAndWhereTheNextOneDoes) {
    ASSERT_TRUE(files.Folder(QStringLiteral("pics")));
    const QString made = files.Solid(QStringLiteral("pics/made.png"), 20, 10, Qt::blue, "png");
    const QByteArray folderBytes =
        QFile::encodeName(files.Path(QStringLiteral("pics"))) + "/d\xe9p\xf4t";
    ASSERT_EQ(::mkdir(folderBytes.constData(), 0700), 0);
    ASSERT_EQ(
        ::rename(QFile::encodeName(made).constData(), (folderBytes + "/caf\xe9.png").constData()),
        0);
    const QString folder = PathFromBytes(folderBytes);
    desktop.openFiles.push_back(folder + PathFromBytes("/caf\xe9.png"));
    app->Strip().OpenFromFile();
    SaveDialogRequest r = Ask();
    EXPECT_EQ(r.InitialFolder, folder) << "the dialog starts where the picture is";
    EXPECT_EQ(r.SuggestedName, QString::fromUtf8("caf\xef\xbf\xbd"));
    // Saved there: the next dialog starts there again, the folder kept as text a settings
    // file can hold.
    desktop.saveFiles = {folder + QStringLiteral("/out.png")};
    Ask();
    const QString kept = desktop.Setting(QStringLiteral("save/folder"));
    EXPECT_EQ(kept, QString::fromUtf8(kept.toUtf8())) << "a lone surrogate kept";
    desktop.openFiles.push_back(
        files.Solid(QStringLiteral("pics/other.png"), 20, 10, Qt::red, "png"));
    app->Strip().OpenFromFile();
    r = Ask();
    EXPECT_EQ(r.InitialFolder, folder);
    ::unlink((folderBytes + "/caf\xe9.png").constData());
    ::unlink((folderBytes + "/out.png").constData());
    ::rmdir(folderBytes.constData());
}

TEST_F(SaveChoicesTest, ASaveThatWorkedSaysSoForAMomentAndAFailedOneDoesNot) {
    QImage pic(10, 10, QImage::Format_RGB32);
    pic.fill(Qt::white);
    ed().Picture2.SetPicture(pic);
    Ask();  // cancelled
    EXPECT_FALSE(ed().savedNote.Visible);
    desktop.saveFiles = {files.Path(QStringLiteral("no/such/folder/a.png"))};
    Ask();
    EXPECT_FALSE(ed().savedNote.Visible);
    desktop.saveFiles = {files.Path(QStringLiteral("done.png"))};
    Ask();
    EXPECT_TRUE(ed().savedNote.Visible);
    EXPECT_EQ(ed().savedNote.Caption(), QStringLiteral("Saved done.png"));
    EXPECT_TRUE(ed().savedNoteTimer.Enabled());
    ed().savedNoteTimer.Tick();
    EXPECT_FALSE(ed().savedNote.Visible);
    EXPECT_FALSE(ed().savedNoteTimer.Enabled());
}

// The Qt dialog with a name typed over an existing file: it asks, "No" keeps the dialog
// open and the file as it was, "Yes" gives the name back.
QString RunOverwrite(const SaveDialogRequest& r, const QString& typed,
                     QMessageBox::StandardButton answer, bool& asked, QString& offered) {
    int step = 0;
    QTimer timer;
    timer.setInterval(20);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            asked = true;
            if (QAbstractButton* b = box->button(answer)) b->click();
            return;
        }
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (!dialog) return;
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (!edit) return dialog->reject();
        if (step == 0) {
            offered = edit->text();
            edit->setText(typed);
            ++step;
            QMetaObject::invokeMethod(
                dialog, [dialog] { static_cast<QDialog*>(dialog)->accept(); },
                Qt::QueuedConnection);
        } else if (++step > 10) {
            dialog->reject();  // still open after "No": the test ends it
        }
    });
    timer.start();
    return QtDesktop().SaveFileDialog(r);
}

TEST(SaveOverwrite, TheQtDialogAsksBeforeReplacingAFileAndNoKeepsIt) {
    QTemporaryDir folder;
    const QString there = QDir(folder.path()).filePath(QStringLiteral("there.png"));
    {
        QFile f(there);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old bytes");
    }
    SaveDialogRequest r;
    r.Filters = {QStringLiteral("PNG File(*.PNG)"), QStringLiteral("*.PNG")};
    r.DefaultExtension = QStringLiteral("PNG");
    r.InitialFolder = folder.path();
    r.SuggestedName = QStringLiteral("mock-up");
    r.ConfirmOverwrite = true;
    bool asked = false;
    QString offered;
    EXPECT_TRUE(
        RunOverwrite(r, QStringLiteral("there.png"), QMessageBox::No, asked, offered).isEmpty());
    EXPECT_TRUE(asked);
    EXPECT_EQ(offered, QStringLiteral("mock-up"));
    QFile f(there);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("old bytes"));

    asked = false;
    EXPECT_EQ(RunOverwrite(r, QStringLiteral("there.png"), QMessageBox::Yes, asked, offered),
              there);
    EXPECT_TRUE(asked);
    // A new name is not asked about.
    asked = false;
    EXPECT_EQ(RunOverwrite(r, QStringLiteral("fresh"), QMessageBox::Yes, asked, offered),
              QDir(folder.path()).filePath(QStringLiteral("fresh.PNG")));
    EXPECT_FALSE(asked);
}

}  // namespace
}  // namespace orv::test
