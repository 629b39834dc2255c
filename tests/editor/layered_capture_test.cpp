// Saving the markup as a PSD: the capture is the composite, the canvas without annotations is
// the "Picture" layer, each annotation has its own named layer holding only its pixels, and
// saving the same markup twice gives the same bytes.
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>

#include <sys/stat.h>

#include "CanvasFixture.h"
#include "ChildProcess.h"
#include "annotations/AnnotationJson.h"
#include "editor/LayeredCapture.h"
#include "editor/LayeredOpen.h"
#include "imaging/psd/cpsd.h"
#include "imaging/psd/psd_layers.h"

namespace orv::test {
namespace {

class LayeredCaptureTest : public CanvasTest {
  protected:
    std::vector<psd::LayerPixels> SaveAndRead(const QString& path) {
        desktop.saveFiles.push_back(path);
        ed().Command5_Click();
        EXPECT_TRUE(desktop.messages.empty());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        bytes = file.readAll();
        std::vector<psd::LayerPixels> layers;
        EXPECT_TRUE(psd::ReadLayers(
            {reinterpret_cast<const uint8_t*>(bytes.constData()), std::size_t(bytes.size())},
            layers));
        return layers;
    }
    static int Painted(const psd::LayerPixels& l) {
        int n = 0;
        for (std::size_t i = 3; i < l.bgra.size(); i += 4) n += l.bgra[i] != 0;
        return n;
    }
    QTemporaryDir dir;
    QByteArray bytes;
};

TEST_F(LayeredCaptureTest, EachAnnotationGetsANamedLayerOverThePicture) {
    Picture(200, 120, QColor(30, 60, 90));
    const int d = Draw(&Form1::Command3_Click, 300, 600, 1500, 600);
    const int c = Draw(&Form1::Command4_Click, 1200, 1200, 1800, 900);
    const int n = Draw(&Form1::Command6_Click, 600, 1500, 900, 1200);
    ed().bz(n).SetText(QStringLiteral("Peak day: keep this bar colour, it matters"));

    const QString path = dir.filePath(QStringLiteral("markup.PSD"));
    const auto layers = SaveAndRead(path);
    ASSERT_EQ(layers.size(), 4u);
    EXPECT_EQ(layers[0].name, "Picture");
    EXPECT_EQ(QString::fromStdString(layers[1].name),
              QStringLiteral("Distance %1 — %2").arg(d).arg(ed().aapx(d).Caption()));
    EXPECT_EQ(QString::fromStdString(layers[2].name),
              QStringLiteral("Colour %1 — %2").arg(c).arg(ed().co(c).Caption()));
    EXPECT_EQ(QString::fromStdString(layers[3].name),
              QStringLiteral("Note %1 — Peak day: keep this bar…").arg(n));

    // The picture layer holds the picture and none of the markup.
    ASSERT_EQ(layers[0].width * layers[0].height, 200 * 120);
    for (std::size_t i = 0; i < layers[0].bgra.size(); i += 4)
        ASSERT_EQ(layers[0].bgra[i] << 16 | layers[0].bgra[i + 1] << 8 | layers[0].bgra[i + 2],
                  90 << 16 | 60 << 8 | 30)
            << i / 4;
    // Annotation layers are cut to their markup and hold some of it; the rest is transparent.
    for (std::size_t l = 1; l < 4; ++l) {
        SCOPED_TRACE(layers[l].name);
        EXPECT_GT(Painted(layers[l]), 0);
        EXPECT_LT(layers[l].width * layers[l].height, 200 * 120);
    }
    // The composite is the flat capture.
    cpsd reader;
    ASSERT_TRUE(reader.LoadPsdFile(path));
    EXPECT_EQ(reader.Bitmap(), ed().Picture3.Picture().convertToFormat(QImage::Format_RGB32));

    // The private block holds the editor's annotations, read back equal.
    AnnotationSnapshot saved;
    QString why;
    ASSERT_EQ(AnnotationsFromJson(
                  QByteArray(reinterpret_cast<const char*>(reader.PrivateResource().data()),
                             qsizetype(reader.PrivateResource().size())),
                  saved, why),
              AnnotationJsonError::None)
        << why.toStdString();
    EXPECT_EQ(saved, ed().annotations.Take());
    EXPECT_EQ(saved.Items.size(), 3u);

    const QByteArray first = bytes;
    SaveAndRead(path);
    EXPECT_EQ(bytes, first);
}

// Reopened, the file gives back the picture without markup and live annotations equal to
// those saved; a damaged block opens flat with a message.
TEST_F(LayeredCaptureTest, ReopeningRestoresThePictureAndLiveAnnotations) {
    Picture(200, 120, QColor(30, 60, 90));
    Draw(&Form1::Command3_Click, 300, 600, 1500, 600);
    Draw(&Form1::Command4_Click, 1200, 1200, 1800, 900);
    const int n = Draw(&Form1::Command6_Click, 600, 1500, 900, 1200);
    ed().bz(n).SetText(QStringLiteral("Peak day"));
    const AnnotationSnapshot before = ed().annotations.Take();
    const QString path = dir.filePath(QStringLiteral("again.psd"));
    SaveAndRead(path);

    ed().annotations.RemoveAll();
    ed().open1 = path;
    ed().Command14_Click();
    EXPECT_TRUE(desktop.messages.empty());
    EXPECT_EQ(ed().annotations.Take(), before);
    // Under the distance segment the canvas shows the picture, not a baked-in copy of it.
    EXPECT_EQ(ed().Picture2.Point(900, 600), RGB(30, 60, 90));

    // The same file with its block cut short: flat, and a message says so.
    QByteArray damaged = bytes;
    const qsizetype at = damaged.indexOf("orvane-annotations");
    ASSERT_GT(at, 0);
    damaged[at] = 'X';
    const QString bad = dir.filePath(QStringLiteral("bad.psd"));
    QFile out(bad);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(damaged);
    out.close();
    ed().annotations.RemoveAll();
    ed().open1 = bad;
    ed().Command14_Click();
    EXPECT_EQ(desktop.messages.size(), 1u);
    EXPECT_TRUE(ed().annotations.List().empty());
    // The canvas holds the flat capture, markup in its pixels.
    EXPECT_EQ(ed().Picture2.Surface().copy(0, 0, 200, 120).convertToFormat(QImage::Format_RGB32),
              ed().Picture3.Picture().convertToFormat(QImage::Format_RGB32));
}

// The file is swapped after its picture was read and before its layers are: for a FIFO no
// one writes to, or a link to an endless device. The second read refuses what it opened
// without blocking or reading it, and the file opens flat with a message.
TEST_F(LayeredCaptureTest, AFileSwappedForAFifoOrDeviceWhileItOpensIsNotReadAgain) {
    Picture(64, 48, QColor(10, 20, 30));
    Draw(&Form1::Command3_Click, 300, 300, 600, 300);
    const QString path = dir.filePath(QStringLiteral("swapped.psd"));
    SaveAndRead(path);
    for (const char* swap : {"fifo", "zero"}) {
        SCOPED_TRACE(swap);
        cpsd reader;
        ASSERT_TRUE(QFile::exists(path) || SaveAndRead(path).size() > 0);
        ASSERT_TRUE(reader.LoadPsdFile(path));
        ASSERT_TRUE(QFile::remove(path));
        if (std::string(swap) == "fifo")
            ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else
            ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), path));
        desktop.messages.clear();
        const ChildEnd end = RunInChild(
            [&] {
                RestoreLayeredPsd(ed(), reader, path);
                return desktop.messages.size() == 1 &&
                               desktop.messages[0].second.contains(QStringLiteral("flat"))
                           ? 0
                           : 1;
            },
            30);
        ASSERT_TRUE(end.ended) << "the second read blocked or ran on";
        EXPECT_EQ(end.status, 0);
        ASSERT_TRUE(QFile::remove(path));
    }
}

// Every kind with every style its menus allow: reopened, the file gives annotations equal to
// those saved, and saving them again gives the very same bytes.
TEST_F(LayeredCaptureTest, EveryStyleTheMenusAllowSurvivesReopeningAndSavesTheSameBytes) {
    Picture(400, 300, QColor(30, 60, 90));
    const Colour green = RGB(10, 200, 30), yellow = RGB(250, 250, 5), violet = RGB(90, 10, 160);
    ed().colormenu_Click(2);  // a palette colour for everything drawn from here on

    const int d1 = Draw(&Form1::Command3_Click, 300, 600, 1500, 600);
    const int d2 = Draw(&Form1::Command3_Click, 3000, 600, 3050, 2400);  // vertical
    const int d3 = Draw(&Form1::Command3_Click, 300, 3000, 1800, 3000);
    desktop.colourChoices = {green, yellow};
    Choose(&Form1::aapx_MouseDown, d1, "delyanse");  // line colour
    Choose(&Form1::aapx_MouseDown, d1, "btmbjs");    // label background colour
    Choose(&Form1::aapx_MouseDown, d2, "tmbjs");     // transparent label
    Choose(&Form1::aapx_MouseDown, d3, "shizhi");    // custom text
    ed().shuzhi.SetText(QStringLiteral("Gutter \"12\" — 间距"));
    ed().szz_Click();
    ed().aapx_MouseDown(d3, Left(10, 10));  // its label moved aside
    ed().aapx_MouseMove(d3, Left(310, 160));
    ed().aapx_MouseUp(d3, Left(310, 160));

    const int m1 = Draw(&Form1::Command4_Click, 1200, 1200, 1800, 900);
    const int m2 = Draw(&Form1::Command4_Click, 2400, 1800, 1800, 2400);
    desktop.colourChoices = {violet, green};
    Choose(&Form1::co_MouseDown, m1, "delys");    // line colour
    Choose(&Form1::co_MouseDown, m1, "tjbjs");    // label background colour
    Choose(&Form1::co_MouseDown, m1, "getrgb");   // RGB form of the code
    Choose(&Form1::co_MouseDown, m2, "coltran");  // transparent label
    Choose(&Form1::co_MouseDown, m2, "getrgb");
    Choose(&Form1::co_MouseDown, m2, "getweb");  // and back to the web form

    const int n1 = Draw(&Form1::Command6_Click, 600, 3600, 900, 3300);
    const int n2 = Draw(&Form1::Command6_Click, 3600, 3000, 4200, 3300);
    const int n3 = Draw(&Form1::Command6_Click, 4500, 600, 4800, 900);
    ed().bz(n1).SetText(QStringLiteral("Peak day: keep this bar colour"));
    ed().bz(n2).SetText(QStringLiteral("two\r\nlines"));
    desktop.colourChoices = {yellow, violet, green};
    Choose(&Form1::bz_MouseDown, n1, "editys");    // background colour
    Choose(&Form1::bz_MouseDown, n1, "editfore");  // text colour
    Choose(&Form1::bz_MouseDown, n2, "backtm");    // transparent
    Choose(&Form1::bz_MouseDown, n3, "backtm");
    Choose(&Form1::bz_MouseDown, n3, "backno");  // opaque again, on a chosen background
    // A contrast note between the two colour markers.
    Choose(&Form1::co_MouseDown, m1, "contrast");
    ed().co_MouseDown(m2, Left(5, 5));
    ed().co_MouseUp(m2, Left(5, 5));
    ASSERT_TRUE(desktop.colourChoices.empty());

    const AnnotationSnapshot before = ed().annotations.Take();
    ASSERT_EQ(before.Items.size(), 9u);
    const QString path = dir.filePath(QStringLiteral("styles.psd"));
    SaveAndRead(path);
    const QByteArray first = bytes;

    ed().annotations.RemoveAll();
    ed().open1 = path;
    ed().Command14_Click();
    EXPECT_TRUE(desktop.messages.empty());
    EXPECT_EQ(ed().annotations.Take(), before);
    // The styles are there, live.
    EXPECT_EQ(ed().Line1(d1).BorderColor, green);
    EXPECT_EQ(ed().aapx(d1).BackColor, yellow);
    EXPECT_EQ(ed().aapx(d2).BackStyle, 0);
    EXPECT_EQ(ed().aapx(d3).Caption(), QStringLiteral("Gutter \"12\" — 间距"));
    EXPECT_EQ(ed().co(m1).Caption(), QStringLiteral("R30,G60,B90"));
    EXPECT_EQ(ed().co(m1).BackColor, green);
    EXPECT_EQ(ed().zba(m1).BorderColor, violet);
    EXPECT_EQ(ed().co(m2).Caption(), QStringLiteral("#1E3C5A"));
    EXPECT_EQ(ed().co(m2).BackStyle, 0);
    EXPECT_EQ(ed().bz(n1).BackColor, yellow);
    EXPECT_EQ(ed().bz(n1).ForeColor, violet);
    EXPECT_TRUE(ed().bzz(n2).Visible && !ed().bz(n2).Visible);
    EXPECT_TRUE(ed().bz(n3).Visible && !ed().bzz(n3).Visible);
    EXPECT_EQ(ed().bz(n3).BackColor, green);

    SaveAndRead(path);
    EXPECT_EQ(bytes, first);
}

TEST_F(LayeredCaptureTest, OnlyThePsdExtensionAsksForLayers) {
    EXPECT_TRUE(IsLayeredSavePath(QStringLiteral("/a.b/shot.psd")));
    EXPECT_TRUE(IsLayeredSavePath(QStringLiteral("shot.PsD")));
    EXPECT_FALSE(IsLayeredSavePath(QStringLiteral("/x.psd/shot.png")));
    EXPECT_FALSE(IsLayeredSavePath(QStringLiteral("psd")));
    // Without annotations the document is the picture alone.
    Picture(20, 10);
    const auto layers = SaveAndRead(dir.filePath(QStringLiteral("plain.psd")));
    ASSERT_EQ(layers.size(), 1u);
    EXPECT_EQ(layers[0].name, "Picture");
}

}  // namespace
}  // namespace orv::test
