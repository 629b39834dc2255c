// The real program on PSDs other programs wrote: --convert composes a file without a merged
// picture from its layers and exits 0 only when it composed one, reads the large document
// format (PSB) to the same pixels as the PSD, and --export-annotations prints only the
// annotations whose layers are still in the file.
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include "ChildProcess.h"
#include "HeadlessProgram.h"
#include "annotations/AnnotationBlock.h"
#include "app/CommandLine.h"
#include "imaging/psd/psd_layers.h"
#include "imaging/psd/psd_writer.h"

namespace orv {
namespace {

using test::Outcome;
using test::RunHeadless;

class PsdProgram : public ::testing::Test {
  protected:
    Outcome Start(const QStringList& args) { return RunHeadless(args); }
    QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    QString Write(const char* name, const psd::DocumentLayout& layout) {
        std::vector<uint8_t> bytes;
        std::string why;
        EXPECT_TRUE(psd::WriteDocument(layout, bytes, why)) << why;
        QFile f(Path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
        return Path(name);
    }
    static psd::PixelView View(const QImage& i) {
        return {i.constBits(), i.width(), i.height(), std::size_t(i.bytesPerLine())};
    }
    QTemporaryDir dir;
};

TEST_F(PsdProgram, ConvertComposesMissingPicturesAndReadsTheLargeFormat) {
    QImage picture(40, 24, QImage::Format_ARGB32);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 40; ++x) picture.setPixel(x, y, qRgba(x * 6, y * 10, 90, 255));
    QImage black(40, 24, QImage::Format_ARGB32);
    black.fill(qRgba(0, 0, 0, 255));
    psd::DocumentLayout layout;
    layout.composite = View(black);
    layout.layers = {{"Picture", 0, 0, View(picture)}};
    for (bool large : {false, true}) {
        layout.large = large;
        const QString in = Write(large ? "layers.psb" : "layers.psd", layout);
        const QString out = Path(large ? "from-psb.png" : "from-psd.png");
        const Outcome r = Start({"--convert", in, out});
        EXPECT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_EQ(QImage(out).convertToFormat(QImage::Format_RGB32),
                  picture.convertToFormat(QImage::Format_RGB32))
            << large;
    }
    // No merged picture and nothing to compose: a failure, and no black picture written.
    layout.large = false;
    layout.layers[0].visible = false;
    QFile hidden(Write("hidden.psd", layout));
    ASSERT_TRUE(hidden.open(QIODevice::ReadWrite));
    const QByteArray bytes = hidden.readAll();
    const auto u32 = [&](qsizetype at) {
        return qsizetype(uint8_t(bytes[at])) << 24 | qsizetype(uint8_t(bytes[at + 1])) << 16 |
               qsizetype(uint8_t(bytes[at + 2])) << 8 | uint8_t(bytes[at + 3]);
    };
    qsizetype end = 26;
    for (int section = 0; section < 3; ++section) end += 4 + u32(end);
    ASSERT_TRUE(hidden.resize(end));  // cut after the layers
    hidden.close();
    const Outcome r = Start({"--convert", Path("hidden.psd"), Path("hidden.png")});
    EXPECT_EQ(r.status, kExitUnreadableInput);
    EXPECT_TRUE(r.err.contains("cannot be composed")) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(Path("hidden.png")));
}

// A large document beyond the editor's size limit is too large, not damaged: refused from its
// header, before any pixels.
TEST_F(PsdProgram, ALargeDocumentBeyondTheLimitIsSaidToBeTooLarge) {
    QByteArray header("8BPS\0\2\0\0\0\0\0\0\0\3", 14);
    for (int side = 0; side < 2; ++side) header.append(QByteArray("\0\0\x4e\x20", 4));  // 20000
    header.append(QByteArray("\0\x08\0\x03", 4));                                       // 8-bit RGB
    header.append(QByteArray(4 + 4 + 8 + 2, '\0'));  // no colour data, resources, layers; raw
    QFile f(Path("huge.psb"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(header);
    f.close();
    const Outcome r = Start({"--convert", Path("huge.psb"), Path("huge.png")});
    EXPECT_EQ(r.status, kExitUnreadableInput);
    EXPECT_TRUE(r.err.contains("larger than")) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains("damaged"));
}

TEST_F(PsdProgram, ExportLeavesOutAnnotationsWhoseLayersAreGone) {
    QImage picture(40, 24, QImage::Format_ARGB32);
    picture.fill(qRgba(30, 60, 90, 255));
    QImage mark(4, 4, QImage::Format_ARGB32);
    mark.fill(qRgba(255, 0, 0, 255));
    AnnotationSnapshot snapshot;
    for (int i = 1; i <= 2; ++i) {
        NoteState n;
        n.Index = i;
        n.Box.Text = QStringLiteral("note number %1").arg(i);
        snapshot.Items.push_back(n);
    }
    snapshot.wwww = 3;
    SavedLayers saved;
    saved.picture = CheckOfLayer(QStringLiteral("Picture"), 0, 0, picture.constBits(), 40, 24,
                                 std::size_t(picture.bytesPerLine()), 40, 24);
    for (int i = 1; i <= 2; ++i)
        saved.annotations.push_back(CheckOfLayer(QStringLiteral("Note %1").arg(i), i * 10, 5,
                                                 mark.constBits(), 4, 4, 16, 40, 24));
    const QByteArray block = AnnotationBlockToJson(snapshot, saved);
    psd::DocumentLayout layout;
    layout.composite = View(picture);
    layout.layers = {{"Picture", 0, 0, View(picture)}, {"Note 1", 10, 5, View(mark)}};
    layout.privateResource.assign(block.begin(), block.end());
    const Outcome r = Start({"--export-annotations", Write("one-gone.psd", layout)});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("note number 1"));
    EXPECT_FALSE(r.out.contains("note number 2"));
    EXPECT_TRUE(r.err.contains("left out")) << r.err.toStdString();
}

// Our file at 1920 x 1080 with 200 full-size layers added that all carry the name of the
// note's layer: a few MB that would unpack to 1.6 GB. The export, a process of its own, decodes
// only the first layer of that name, and keeps the note live.
TEST_F(PsdProgram, ExportWithTwoHundredFullSizeLayersOfOneNameStaysSmall) {
    const int w = 1920, h = 1080;
    QImage picture(w, h, QImage::Format_ARGB32);
    picture.fill(qRgba(30, 60, 90, 255));
    QImage mark(4, 4, QImage::Format_ARGB32);
    mark.fill(qRgba(255, 0, 0, 255));
    QImage clear(w, h, QImage::Format_ARGB32);
    clear.fill(0);
    AnnotationSnapshot snapshot;
    NoteState n;
    n.Index = 1;
    n.Box.Text = QStringLiteral("the only note");
    snapshot.Items.push_back(n);
    snapshot.wwww = 2;
    SavedLayers saved;
    saved.picture = CheckOfLayer(QStringLiteral("Picture"), 0, 0, picture.constBits(), w, h,
                                 std::size_t(picture.bytesPerLine()), w, h);
    saved.annotations.push_back(
        CheckOfLayer(QStringLiteral("Note 1"), 10, 5, mark.constBits(), 4, 4, 16, w, h));
    const QByteArray block = AnnotationBlockToJson(snapshot, saved);
    psd::DocumentLayout layout;
    layout.composite = View(picture);
    layout.layers = {{"Picture", 0, 0, View(picture)}, {"Note 1", 10, 5, View(mark)}};
    for (int i = 0; i < 200; ++i) layout.layers.push_back({"Note 1", 0, 0, View(clear)});
    layout.privateResource.assign(block.begin(), block.end());
    const std::string path = QFile::encodeName(Write("many.psd", layout)).toStdString();
    ASSERT_LT(QFile(QString::fromStdString(path)).size(), 32 << 20);
    const std::string out = QFile::encodeName(Path("out.json")).toStdString();
    const test::ChildEnd end = test::RunInChild(
        [&] {
            const int file = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (file < 0) return 126;
            ::dup2(file, STDOUT_FILENO);
            ::unsetenv("DISPLAY");
            ::execl(ORVANE_BINARY, ORVANE_BINARY, "--export-annotations", path.c_str(),
                    static_cast<char*>(nullptr));
            return 127;
        },
        60);
    ASSERT_TRUE(end.ended) << "the export did not end";
    EXPECT_EQ(end.status, 0);
    QFile json(QString::fromStdString(out));
    ASSERT_TRUE(json.open(QIODevice::ReadOnly));
    EXPECT_TRUE(json.readAll().contains("the only note"));
    // The picture is 8 MB; the 200 layers together would be 1.6 GB.
    if (orv::test::kPeakMemoryIsMeaningful) {
        EXPECT_LT(end.peakKb, 200 * 1024 + 8 * 1024) << end.peakKb << " KB at the peak";
    }
}

}  // namespace
}  // namespace orv
