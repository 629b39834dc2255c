// File names that are not UTF-8, given to the real program on its command line as the bytes a
// shell passes: converted, saved under such names (PSD and vector formats included), and told
// in messages and vector titles as U+FFFD, so that what is printed or written is valid text.
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include "ByteNamedFiles.h"
#include "HeadlessProgram.h"
#include "annotations/AnnotationJson.h"
#include "app/CommandLine.h"
#include "imaging/io/PsdSaver.h"
#include "platform/PathBytes.h"
#include "platform/RegularFile.h"

namespace orv {
namespace {

using test::HeadlessEnvironment;
using test::Outcome;

bool IsUtf8(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    (void)utf8.decode(bytes);
    return !utf8.hasError();
}

class ByteNames : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    void TearDown() override { test::RemoveFilesByBytes(dir.path()); }

    // The program run in the test's folder with these arguments, each given as its raw bytes
    // (QProcess would pass them through UTF-8, which has no way to say a stray byte).
    Outcome Run(const std::vector<QByteArray>& args) {
        QString script = QStringLiteral("exec \"$0\"");
        for (const QByteArray& arg : args) {
            QString octal;
            for (const char c : arg)
                octal += QStringLiteral("\\%1").arg(uint(uchar(c)), 3, 8, QChar('0'));
            script += QStringLiteral(" \"$(printf '%1')\"").arg(octal);
        }
        QProcess process;
        process.setProcessEnvironment(HeadlessEnvironment());
        process.setWorkingDirectory(dir.path());
        process.start(QStringLiteral("/bin/sh"),
                      {QStringLiteral("-c"), script, QStringLiteral(ORVANE_BINARY)});
        EXPECT_TRUE(process.waitForFinished(60000));
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput(), process.readAllStandardError()};
    }
    QByteArray At(const QByteArray& name) const {
        return QFile::encodeName(dir.path()) + '/' + name;
    }
    // Writes `picture` as a PNG under the name's own bytes.
    void WritePng(const QByteArray& name, const QImage& picture) const {
        QByteArray png;
        QBuffer buffer(&png);
        ASSERT_TRUE(buffer.open(QIODevice::WriteOnly) && picture.save(&buffer, "png"));
        const int fd = ::open(At(name).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, png.constData(), std::size_t(png.size())), png.size());
        ::close(fd);
    }
    bool Exists(const QByteArray& name) const { return ::access(At(name).constData(), F_OK) == 0; }
    QByteArray Content(const QByteArray& name) const {
        QByteArray bytes;
        EXPECT_EQ(ReadRegularFile(PathFromBytes(At(name)), 1 << 26, bytes), ReadFault::None);
        return bytes;
    }
    QTemporaryDir dir;
};

TEST_F(ByteNames, PicturesWhoseNamesAreNotUtf8ConvertAndSaveUnderSuchNames) {
    QImage picture(30, 20, QImage::Format_RGB32);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x) picture.setPixel(x, y, qRgb(x * 8, y * 12, 90));
    WritePng("caf\xe9.png", picture);  // Latin-1 "café.png"
    ASSERT_TRUE(Exists("caf\xe9.png"));

    for (const QByteArray& out : {QByteArray("caf\xe9-out.png"), QByteArray("\xff\xfe.psd"),
                                  QByteArray("caf\xe9 \xe9t\xe9.tiff")}) {
        SCOPED_TRACE(out.toHex().toStdString());
        const Outcome r = Run({"--convert", "caf\xe9.png", out});
        EXPECT_EQ(r.status, kExitOk) << r.err.toStdString();
        EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
        ASSERT_TRUE(Exists(out));
        // Not a look-alike under the name UTF-8 would make of it: the very bytes.
        EXPECT_FALSE(Exists(QFile::encodeName(QFile::decodeName(out))));
        if (out.endsWith(".psd")) continue;  // read back below
        QImage back;
        ASSERT_TRUE(back.loadFromData(Content(out)));
        EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32), picture);
    }
    // From the PSD of that odd name back to a picture, through the layered reader.
    const Outcome again = Run({"--convert", "\xff\xfe.psd", "back\xe9.png"});
    EXPECT_EQ(again.status, kExitOk) << again.err.toStdString();
    QImage back;
    ASSERT_TRUE(back.loadFromData(Content("back\xe9.png")));
    EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32), picture);

    // A layered PSD of ours under such a name gives a vector file whose title is text: the
    // stray byte is written as U+FFFD.
    LayeredPicture ours = FlatLayeredPicture(picture);
    ours.privateData = AnnotationsToJson(AnnotationSnapshot{});
    ASSERT_TRUE(SaveLayeredPsd(ours, PathFromBytes(At("ours\xe9.psd"))).ok());
    ASSERT_TRUE(Exists("ours\xe9.psd"));
    const Outcome svg = Run({"--convert", "ours\xe9.psd", "ours\xe9.svg"});
    EXPECT_EQ(svg.status, kExitOk) << svg.err.toStdString();
    const QByteArray text = Content("ours\xe9.svg");
    EXPECT_TRUE(IsUtf8(text));
    EXPECT_TRUE(text.contains("<title>ours\xef\xbf\xbd</title>")) << text.left(600).toStdString();
}

TEST_F(ByteNames, MessagesTellSuchNamesAsValidText) {
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::green);
    WritePng("plain\xe9.psd", picture);  // a PNG under a PSD's name
    const struct {
        std::vector<QByteArray> args;
        int status;
        QByteArray said;
    } cases[] = {
        {{"--convert", "gone\xe9.png", "x.png"},
         kExitUnreadableInput,
         "cannot open gone\xef\xbf\xbd.png: no such file"},
        {{"--convert", "plain\xe9.psd", "out\xe9.png"},
         kExitUnreadableInput,
         "cannot open plain\xef\xbf\xbd.psd"},
        {{"--export-annotations", "gone\xe9.psd"},
         kExitUnreadableInput,
         "cannot open gone\xef\xbf\xbd.psd"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.said.toStdString());
        const Outcome r = Run(c.args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_TRUE(IsUtf8(r.err)) << r.err.toHex().toStdString();
        EXPECT_TRUE(r.err.contains(c.said)) << r.err.toStdString();
    }
    // A folder that is not UTF-8 cannot be written into when it is missing; the message names
    // it as a user reads it.
    WritePng("ok.png", picture);
    const Outcome r = Run({"--convert", "ok.png", "no\xe9/x.png"});
    EXPECT_EQ(r.status, kExitNotWritten);
    EXPECT_TRUE(IsUtf8(r.err));
    EXPECT_TRUE(r.err.contains("no\xef\xbf\xbd/x.png")) << r.err.toStdString();
}

}  // namespace
}  // namespace orv
