// Our layered PSD saved back by another program: a copy Krita saved (kept beside the tests)
// and, where Krita is installed, one it saves now reopen with live annotations; layers
// deleted or changed elsewhere bring back only what is still there unchanged.
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <unistd.h>

#include <cstdio>

#include "CanvasFixture.h"
#include "ChildProcess.h"
#include "LayerSpecs.h"
#include "imaging/psd/psd_decoder.h"
#include "imaging/psd/psd_layers.h"
#include "imaging/psd/psd_writer.h"

namespace orv::test {
namespace {

// The resident memory of this process now, in KB.
long ResidentKb() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

/// Runs Krita's `program` with `args` on an X display of its own and returns what it printed.
/// The display is one the server picks itself (-displayfd): two such runs at once, or beside
/// the end-to-end tests' displays, never race for the same number, as `xvfb-run -a` can.
QString RunOnOwnDisplay(const QString& program, const QStringList& args, const QString& home) {
    QProcess server;
    server.start(QStringLiteral("Xvfb"),
                 {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                  QStringLiteral("0"), QStringLiteral("1280x800x24"), QStringLiteral("-nolisten"),
                  QStringLiteral("tcp")});
    QByteArray display;
    while (!display.contains('\n') && server.waitForReadyRead(30000))
        display += server.readAllStandardOutput();
    if (!display.contains('\n')) return QStringLiteral("Xvfb did not start");
    QProcess run;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("DISPLAY"),
               QLatin1Char(':') + QString::fromLatin1(display.trimmed()));
    env.insert(QStringLiteral("PYTHONPATH"), QStringLiteral(QT_TESTCASE_SOURCEDIR "/editor/data"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    run.setProcessEnvironment(env);
    run.start(program, args);
    EXPECT_TRUE(run.waitForFinished(900000)) << "Krita did not end";
    server.kill();
    server.waitForFinished();
    return QString::fromLocal8Bit(run.readAllStandardOutput() + run.readAllStandardError());
}

class ForeignResaveTest : public CanvasTest {
  protected:
    // The markup the kept Krita copy was made from: one annotation of each kind.
    void DrawMarkup() {
        Picture(160, 100, QColor(30, 60, 90));
        distance = Draw(&Form1::Command3_Click, 300, 450, 1500, 450);
        colour = Draw(&Form1::Command4_Click, 1200, 900, 1800, 600);
        note = Draw(&Form1::Command6_Click, 450, 1200, 750, 900);
        ed().bz(note).SetText(QStringLiteral("Größe prüfen — 间距"));
        saved = ed().annotations.Take();
    }
    QString Save(const QString& name) {
        const QString path = dir.filePath(name);
        desktop.saveFiles.push_back(path);
        ed().Command5_Click();
        EXPECT_TRUE(desktop.messages.empty());
        return path;
    }
    void Open(const QString& path) {
        ed().annotations.RemoveAll();
        desktop.messages.clear();
        ed().open1 = path;
        ed().Command14_Click();
    }
    static QByteArray Read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static std::span<const uint8_t> Span(const QByteArray& b) {
        return {reinterpret_cast<const uint8_t*>(b.constData()), std::size_t(b.size())};
    }
    static QString KritaCopy() {
        return QStringLiteral(QT_TESTCASE_SOURCEDIR "/editor/data/krita-resaved.psd");
    }
    void ExpectLive() {
        EXPECT_TRUE(desktop.messages.empty())
            << (desktop.messages.empty() ? "" : desktop.messages[0].second.toStdString());
        EXPECT_EQ(ed().annotations.Take(), saved);
        // The canvas shows the picture, pixel for pixel, and no markup baked into it.
        QImage picture(160, 100, QImage::Format_RGB32);
        picture.fill(QColor(30, 60, 90));
        EXPECT_EQ(
            ed().Picture2.Surface().copy(0, 0, 160, 100).convertToFormat(QImage::Format_RGB32),
            picture);
    }
    QTemporaryDir dir;
    int distance = 0, colour = 0, note = 0;
    AnnotationSnapshot saved;
};

TEST_F(ForeignResaveTest, TheCopyKritaSavedReopensLive) {
    DrawMarkup();
    const QByteArray krita = Read(KritaCopy());
    ASSERT_FALSE(krita.isEmpty()) << KritaCopy().toStdString();
    // What Krita does to our file is in it: Unicode layer names ending in a NUL character.
    ASSERT_TRUE(krita.contains(QByteArray("\0P\0i\0c\0t\0u\0r\0e\0\0", 16)));
    std::vector<psd::LayerPixels> layers;
    ASSERT_TRUE(psd::ReadLayers(Span(krita), layers));
    ASSERT_EQ(layers.size(), 4u);
    EXPECT_EQ(layers[0].name, "Picture");
    Open(KritaCopy());
    ExpectLive();

    // A block whose last byte is a NUL, as when Krita counts the pad byte of an odd-length
    // block in its length, reads the same.
    QByteArray padded = krita;
    const qsizetype at = padded.indexOf(QByteArray("8BIM\x0f\xef", 6));
    ASSERT_GT(at, 0);
    const auto length = qsizetype(uint8_t(padded[at + 10]) << 8 | uint8_t(padded[at + 11]));
    ASSERT_EQ(padded[at + 12 + length - 1], ' ');
    padded[at + 12 + length - 1] = '\0';
    const QString path = dir.filePath(QStringLiteral("padded.psd"));
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(padded);
    out.close();
    Open(path);
    ExpectLive();
}

// The Krita copy edited in Krita (tests/editor/data/krita_edit_layers.py): the note's layer
// deleted there, or the picture layer painted on.
TEST_F(ForeignResaveTest, WhatWasDeletedOrRetouchedInKritaIsWhatTheCanvasShows) {
    DrawMarkup();
    Open(QStringLiteral(QT_TESTCASE_SOURCEDIR "/editor/data/krita-note-deleted.psd"));
    AnnotationSnapshot expected = saved;
    expected.Items.pop_back();  // the note, drawn last
    EXPECT_EQ(ed().annotations.Take(), expected);
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_TRUE(desktop.messages[0].second.contains(QStringLiteral("left out")));
    EXPECT_EQ(ed().Picture2.Point(900, 450), RGB(30, 60, 90));

    Open(QStringLiteral(QT_TESTCASE_SOURCEDIR "/editor/data/krita-picture-retouched.psd"));
    EXPECT_TRUE(desktop.messages.empty());
    EXPECT_EQ(ed().annotations.Take(), saved);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(ed().Picture2.Point(x * 15, 0), RGB(30, 250, 0)) << x;
    EXPECT_EQ(ed().Picture2.Point(4 * 15, 0), RGB(30, 60, 90));
}

// What other writers may do while keeping our block as it is: a note's layer deleted, the
// picture retouched, a layer of their own added.
TEST_F(ForeignResaveTest, DeletedAndChangedLayersDoNotComeBackLive) {
    DrawMarkup();
    const QByteArray krita = Read(KritaCopy());
    psd::Decoder decoder;
    ASSERT_TRUE(decoder.Parse(Span(krita)));
    std::vector<psd::LayerPixels> layers;
    ASSERT_TRUE(psd::ReadLayers(Span(krita), layers));
    ASSERT_EQ(layers.size(), 4u);
    for (int i = 0; i < 20; ++i) layers[0].bgra[std::size_t(i) * 4 + 1] = 250;  // top row, green
    layers.erase(layers.begin() + 3);                                           // the note
    psd::LayerPixels added = layers[0];
    added.name = "Arrow";
    added.width = added.height = 2;
    added.left = 150;
    added.top = 90;
    added.bgra.assign(16, 255);
    layers.push_back(added);

    psd::DocumentLayout layout;
    std::vector<uint8_t> composite(160 * 100 * 4, 0);
    layout.composite = {composite.data(), 160, 100, 160 * 4};
    for (const psd::LayerPixels& l : layers) layout.layers.push_back(SpecOf(l));
    layout.privateResource = decoder.privateResource();
    std::vector<uint8_t> bytes;
    std::string why;
    ASSERT_TRUE(psd::WriteDocument(layout, bytes, why));
    const QString path = dir.filePath(QStringLiteral("edited.psd"));
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    out.close();

    Open(path);
    AnnotationSnapshot expected = saved;
    expected.Items.pop_back();  // the note, drawn last
    EXPECT_EQ(ed().annotations.Take(), expected);
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_TRUE(desktop.messages[0].second.contains(QStringLiteral("left out")));
    EXPECT_EQ(ed().Picture2.Point(15, 0), RGB(30, 250, 90));  // the retouch, in the top row
    EXPECT_EQ(ed().Picture2.Point(151 * 15, 91 * 15), RGB(255, 255, 255));  // the added layer
    EXPECT_EQ(ed().Picture2.Point(900, 450), RGB(30, 60, 90));
}

// Our file at 1920 x 1080 with 200 layers of its own size added elsewhere, a few MB that claim
// 1.6 GB of pixels: either 200 foreign layers (one of them showing a white pixel), or 200 that
// all carry the name of the note's layer. Reopened in a child process: the annotations whose layers
// are unchanged come back live, the added pixel is drawn into the picture, and no more than one
// added layer is held at a time.
TEST_F(ForeignResaveTest, TwoHundredFullSizeLayersAddedElsewhereReopenInBoundedMemory) {
    Picture(1920, 1080, QColor(30, 60, 90));
    Draw(&Form1::Command3_Click, 300, 450, 1500, 450);
    const int n = Draw(&Form1::Command6_Click, 450, 1200, 750, 900);
    ed().bz(n).SetText(QStringLiteral("spacing"));
    const AnnotationSnapshot markup = ed().annotations.Take();
    const QByteArray ours = Read(Save(QStringLiteral("ours.psd")));
    psd::Decoder decoder;
    ASSERT_TRUE(decoder.Parse(Span(ours)));
    std::vector<psd::LayerPixels> layers;
    ASSERT_TRUE(psd::ReadLayers(Span(ours), layers));
    ASSERT_EQ(layers.size(), 3u);  // the picture, the distance, the note
    const std::string noteLayer = layers[2].name;
    const std::size_t area = std::size_t(1920) * 1080 * 4;
    std::vector<uint8_t> clear(area, 0), white = clear;
    std::fill_n(white.begin() + (91 * 1920 + 151) * 4, 4, uint8_t(255));
    // The merged picture as our save left it: the picture (the markup is drawn live).
    const std::vector<uint8_t> composite = layers[0].bgra;
    for (const bool sameName : {false, true}) {
        SCOPED_TRACE(sameName ? "named as the note's layer" : "foreign");
        psd::DocumentLayout layout;
        layout.composite = {composite.data(), 1920, 1080, 1920 * 4};
        for (const psd::LayerPixels& l : layers) layout.layers.push_back(SpecOf(l));
        for (int i = 0; i < 200; ++i) {
            const std::vector<uint8_t>& pixels = !sameName && i == 199 ? white : clear;
            layout.layers.push_back({sameName ? noteLayer : "Layer " + std::to_string(i),
                                     0,
                                     0,
                                     {pixels.data(), 1920, 1080, 1920 * 4}});
        }
        layout.privateResource = decoder.privateResource();
        std::vector<uint8_t> bytes;
        std::string why;
        ASSERT_TRUE(psd::WriteDocument(layout, bytes, why)) << why;
        EXPECT_LT(bytes.size(), std::size_t(32) << 20);
        const QString path = dir.filePath(QStringLiteral("many.psd"));
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
        out.close();

        // What this process holds now, which the child starts with.
        const long before = ResidentKb();
        const ChildEnd opened = RunInChild(
            [&] {
                Open(path);
                // The note's layer is now above 200 others of its name: the first, unchanged,
                // brings it back live; the foreign layers are drawn in, the white one on top.
                if (ed().annotations.Take() != markup) return 1;
                if (!sameName && ed().Picture2.Point(151 * 15, 91 * 15) != RGB(255, 255, 255))
                    return 2;
                if (ed().Picture2.Point(152 * 15, 91 * 15) != RGB(30, 60, 90)) return 3;
                return 0;
            },
            60);
        ASSERT_TRUE(opened.ended) << "the reopen did not end";
        EXPECT_EQ(opened.status, 0);
        // The picture is 8 MB; 200 layers of that size held together would be 1.6 GB.
        if (orv::test::kPeakMemoryIsMeaningful) {
            EXPECT_LT(opened.peakKb - before, 200 * 1024) << opened.peakKb << " KB at the peak";
        }
        RecordProperty(sameName ? "added_kb_named" : "added_kb_foreign",
                       std::to_string(opened.peakKb - before));
    }
}

// Krita itself, when installed: it opens our file and saves it back.
TEST_F(ForeignResaveTest, KritaSavesOurFileBackAndItReopensLive) {
    const QString krita = QStandardPaths::findExecutable(QStringLiteral("krita"));
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (krita.isEmpty() || xvfb.isEmpty()) GTEST_SKIP() << "krita or Xvfb is not installed";
    DrawMarkup();
    const QString ours = Save(QStringLiteral("ours.psd"));
    const QString back = dir.filePath(QStringLiteral("back.psd"));
    const QString said = RunOnOwnDisplay(krita,
                                         {QStringLiteral("--nosplash"), QStringLiteral("--export"),
                                          QStringLiteral("--export-filename"), back, ours},
                                         dir.filePath(QStringLiteral("home")));
    ASSERT_TRUE(QFile::exists(back)) << said.toStdString();
    // Kept for use as the tests' Krita copy when asked for.
    const QString keep = qEnvironmentVariable("ORVANE_KEEP_KRITA_COPY");
    if (!keep.isEmpty()) QFile::copy(back, keep);
    Open(back);
    ExpectLive();
}

// Krita's script runner, when installed with its Python bindings: our file with the note's
// layer deleted and the picture painted on in Krita, as a designer would.
TEST_F(ForeignResaveTest, KritaEditsOurFileAndOnlyWhatIsLeftComesBackLive) {
    const QString runner = QStandardPaths::findExecutable(QStringLiteral("kritarunner"));
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (runner.isEmpty() || xvfb.isEmpty()) GTEST_SKIP() << "kritarunner or Xvfb is not installed";
    DrawMarkup();
    const QString ours = Save(QStringLiteral("ours.psd"));
    const auto edit = [&](const char* mode, const QString& target) {
        return RunOnOwnDisplay(
            runner,
            {QStringLiteral("-s"), QStringLiteral("krita_edit_layers"), QStringLiteral("-f"),
             QStringLiteral("main"), ours, target, QString::fromLatin1(mode)},
            dir.filePath(QStringLiteral("home")));
    };
    const QString deleted = dir.filePath(QStringLiteral("deleted.psd"));
    const QString retouched = dir.filePath(QStringLiteral("retouched.psd"));
    const QString said = edit("delete-note", deleted);
    if (said.contains(QStringLiteral("Cannot load the PyKrita module")))
        GTEST_SKIP() << "Krita's Python bindings (python3-pyqt5) are not installed";
    ASSERT_TRUE(QFile::exists(deleted)) << said.toStdString();
    edit("retouch", retouched);
    ASSERT_TRUE(QFile::exists(retouched));

    Open(deleted);
    AnnotationSnapshot expected = saved;
    expected.Items.pop_back();
    EXPECT_EQ(ed().annotations.Take(), expected);
    EXPECT_EQ(desktop.messages.size(), 1u);
    Open(retouched);
    EXPECT_TRUE(desktop.messages.empty());
    EXPECT_EQ(ed().annotations.Take(), saved);
    EXPECT_EQ(ed().Picture2.Point(0, 0), RGB(30, 250, 0));
}

}  // namespace
}  // namespace orv::test
