// Layered PSDs without a merged picture: what `--convert` composes from their layers is the
// picture GIMP shows for them, flattened onto white, to within one level per channel. All files
// go through one GIMP start (a single script-fu batch), which takes seconds. The two differ by
// one level where rounding does: GIMP keeps a pixel's alpha times the layer's opacity, and the
// picture between one layer and the next, unrounded; we round both to whole levels.
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

#include "HeadlessProgram.h"
#include "imaging/psd/psd_writer.h"

namespace orv {
namespace {

using test::Outcome;
using test::RunHeadless;

constexpr int W = 64, H = 48;

// A picture of w x h whose pixel x, y is `colour(x, y)`, as 0xAARRGGBB.
template <typename Colour>
QImage Painted(int w, int h, Colour colour) {
    QImage i(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) i.setPixel(x, y, colour(x, y));
    return i;
}

psd::PixelView View(const QImage& i) {
    return {i.constBits(), i.width(), i.height(), std::size_t(i.bytesPerLine())};
}

// Writes `layout` to `path` without its merged picture: the file ends after its layers.
bool WriteWithoutComposite(const psd::DocumentLayout& layout, const QString& path) {
    std::vector<uint8_t> bytes;
    std::string why;
    if (!psd::WriteDocument(layout, bytes, why)) return false;
    const auto u32 = [&](std::size_t at) {
        return std::size_t(bytes[at]) << 24 | std::size_t(bytes[at + 1]) << 16 |
               std::size_t(bytes[at + 2]) << 8 | bytes[at + 3];
    };
    std::size_t end = 26;  // header, then colour mode data, resources and layers by length
    for (int section = 0; section < 3; ++section) end += 4 + u32(end);
    QFile f(path);
    return f.open(QIODevice::WriteOnly) &&
           f.write(reinterpret_cast<const char*>(bytes.data()), qint64(end)) == qint64(end);
}

// How two pictures of the same size differ: the largest difference of a channel, how many
// channels differ at all, and the first pixel with the largest difference.
struct Difference {
    int largest = 0, channels = 0, x = -1, y = -1;
    QRgb ours = 0, theirs = 0;
};

Difference Compare(const QImage& ours, const QImage& theirs) {
    Difference d;
    for (int y = 0; y < ours.height(); ++y)
        for (int x = 0; x < ours.width(); ++x) {
            const QRgb a = ours.pixel(x, y), b = theirs.pixel(x, y);
            for (const int shift : {16, 8, 0}) {
                const int delta = std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF));
                d.channels += delta != 0;
                if (delta > d.largest) d = {delta, d.channels, x, y, a, b};
            }
        }
    return d;
}

TEST(PsdGimp, ComposedPicturesAreWhatGimpShowsForThem) {
    const QString gimp = QStandardPaths::findExecutable(QStringLiteral("gimp"));
    ASSERT_FALSE(gimp.isEmpty()) << "GIMP is not installed (scripts/install-deps installs it)";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QImage picture =
        Painted(W, H, [](int x, int y) { return qRgba(x * 4, y * 5, 255 - x * 2 - y, 255); });
    // Colour and alpha change from pixel to pixel, with fully clear and fully opaque stretches.
    const QImage soft = Painted(60, 50, [](int x, int y) {
        const int a = x < 6 ? 0 : x > 52 ? 255 : (x * 37 + y * 11) % 256;
        return qRgba(200 - y * 3, x * 4, (x * y) % 256, a);
    });
    const QImage solid =
        Painted(30, 20, [](int x, int y) { return qRgba(250, 120 + x, 10 + y * 6, 255); });
    const QImage green = Painted(W, H, [](int, int) { return qRgba(0, 255, 0, 255); });
    // Each file: its name and layers, bottom first.
    struct Case {
        const char* name;
        std::vector<psd::LayerSpec> layers;
    };
    const std::vector<Case> cases = {
        // Whole layers at several opacities, one reaching past the right and bottom edges.
        {"opacity",
         {{"Picture", 0, 0, View(picture)},
          {"Half", 10, 8, View(solid), 128},
          {"Faint", 44, 34, View(solid), 51},
          {"Most", -12, 20, View(solid), 230}}},
        // Alpha from pixel to pixel, past the top and left edges, under a hidden layer.
        {"alpha",
         {{"Picture", 0, 0, View(picture)},
          {"Soft", -8, -6, View(soft), 255},
          {"Hidden", 0, 0, View(green), 255, false},
          {"Soft again", 20, 10, View(soft), 140}}},
        // No picture layer: what no layer covers is white; one layer lies wholly outside.
        {"no-picture",
         {{"Soft", 10, 4, View(soft), 200},
          {"Solid", -5, 30, View(solid), 255},
          {"Outside", 70, 60, View(solid), 255},
          {"Soft over", 30, -20, View(soft), 90}}},
    };
    QString script = QStringLiteral(
        "(define (flatten-to-png in out)"
        "  (let* ((image (car (gimp-file-load RUN-NONINTERACTIVE in in)))"
        "         (layer (car (gimp-image-flatten image))))"
        "    (file-png-save RUN-NONINTERACTIVE image layer out out 0 9 0 0 0 0 0)"
        "    (gimp-image-delete image)))"
        "(gimp-context-set-background '(255 255 255))");
    for (const Case& c : cases) {
        psd::DocumentLayout layout;
        layout.composite = View(picture);  // cut off below
        layout.layers = c.layers;
        const QString psd = dir.filePath(QString::fromLatin1(c.name) + QStringLiteral(".psd"));
        ASSERT_TRUE(WriteWithoutComposite(layout, psd)) << c.name;
        script +=
            QStringLiteral("(flatten-to-png \"%1\" \"%2\")")
                .arg(psd, dir.filePath(QString::fromLatin1(c.name) + QStringLiteral("-gimp.png")));
    }
    // GIMP without a display, its settings and caches in the temporary folder.
    QProcess run;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    const QString home = dir.filePath(QStringLiteral("home"));
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/.cache"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
    run.setProcessEnvironment(env);
    run.setProcessChannelMode(QProcess::MergedChannels);
    run.start(gimp, {QStringLiteral("-i"), QStringLiteral("-d"), QStringLiteral("-f"),
                     QStringLiteral("-b"), script, QStringLiteral("-b"),
                     QStringLiteral("(gimp-quit 0)")});
    ASSERT_TRUE(run.waitForFinished(240000)) << "GIMP did not finish";
    const QByteArray said = run.readAll();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString name = QString::fromLatin1(c.name);
        const QImage theirs(dir.filePath(name + QStringLiteral("-gimp.png")));
        ASSERT_FALSE(theirs.isNull()) << said.toStdString();
        const QString png = dir.filePath(name + QStringLiteral(".png"));
        const Outcome r = RunHeadless(
            {QStringLiteral("--convert"), dir.filePath(name + QStringLiteral(".psd")), png});
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        const QImage ours(png);
        ASSERT_EQ(ours.size(), theirs.size());
        const Difference d = Compare(ours, theirs);
        EXPECT_LE(d.largest, 1) << "at " << d.x << "," << d.y << " ours " << std::hex << d.ours
                                << " GIMP's " << d.theirs;
        // Printed, so that the rounding differences can be seen in the log.
        std::printf("%s: %d of %d channels differ, by at most %d\n", c.name, d.channels, W * H * 3,
                    d.largest);
    }
}

}  // namespace
}  // namespace orv
