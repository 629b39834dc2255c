// The save command on a disk that is full: the error box says 61, the capture stays on the
// clipboard and the file of that name keeps its old bytes.
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include "AppFixture.h"
#include "ImagingFiles.h"

namespace orv::test {
namespace {

bool RunTool(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

TEST(SaveOnAFullDisk, SaysDiskFullAndKeepsTheCaptureAndTheOldFile) {
    QTemporaryDir folder;
    const QString disk = folder.filePath("disk");
    ASSERT_TRUE(QDir().mkpath(disk));
    if (!RunTool("mount", {"-t", "tmpfs", "-o", "size=8192", "tmpfs", disk})) {
        GTEST_SKIP() << "cannot mount a tmpfs here (needs root)";
    }
    const QString target = disk + "/client_mockup.tiff";
    const QByteArray old(3000, 'm');
    const bool written = WriteFile(target, old);

    Screen() = ScreenInfo{15.0f, 15.0f, 1920 * 15.0f, 1080 * 15.0f};
    FakeDesktop desktop;
    QString commandLine;
    App app(desktop, commandLine);
    QImage picture(400, 300, QImage::Format_RGB32);  // 360 KB as an uncompressed TIFF
    picture.fill(QColor(20, 90, 160));
    app.Editor().Picture2.SetPicture(picture);
    desktop.saveFiles.push_back(target);
    app.Editor().Command5_Click();

    const QByteArray after = ReadFile(target);
    const QStringList left = QDir(disk).entryList(QDir::Files | QDir::Hidden);
    RunTool("umount", {disk});
    ASSERT_TRUE(written);
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_TRUE(desktop.messages[0].second.startsWith("Error :\r\n\r\nError Code: 61\r\n"))
        << desktop.messages[0].second.toStdString();
    EXPECT_EQ(desktop.clipboardPicture.size(), QSize(400, 300));
    EXPECT_EQ(after, old);
    EXPECT_EQ(left, QStringList{"client_mockup.tiff"});
}

}  // namespace
}  // namespace orv::test
