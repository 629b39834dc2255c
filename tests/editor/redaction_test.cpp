// Redactions through the handlers the window wires: drawn, moved, resized by
// an edge, filled black, deleted and undone; and the promise they make: no
// file the editor writes, no clipboard copy and no colour pick holds a pixel
// of what they cover, and a layered PSD reopens them live over a picture that
// no longer has those pixels.

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <cmath>
#include <random>

#include "CanvasFixture.h"
#include "imaging/psd/cpsd.h"
#include "imaging/psd/psd_layers.h"

namespace orv::test {
namespace {

float At(int p) {
    return (static_cast<float>(p) + 0.5f) * 15.0f;
}

// The hidden area: a 96 x 48 rectangle at (48, 24), whole blocks of 12.
const QRect kArea(48, 24, 96, 48);

class RedactionTest : public CanvasTest {
  protected:
    void SetUp() override {
        CanvasTest::SetUp();
        // Noise no encoder can keep by chance: every pixel its own colour.
        original = QImage(240, 120, QImage::Format_RGB32);
        std::mt19937 rng(29);
        for (int y = 0; y < original.height(); ++y)
            for (int x = 0; x < original.width(); ++x) original.setPixel(x, y, rng() | 0xFF000000u);
        ed().Picture2.SetPicture(original);
    }
    void Key(int key, int shift = 0) { ed().Key(key, shift, true); }
    int Redact(QRect r) {
        Key(Qt::Key_R);
        const int n = ed().annotations.Next().redactions;
        ed().Picture2.MouseDown(Left(At(r.left()), At(r.top())));
        ed().Picture2.MouseMove({1, 0, At(r.right()), At(r.bottom())});
        ed().Picture2.MouseUp(Left(At(r.right()), At(r.bottom())));
        return n;
    }
    void Drag(QPoint from, QPoint to) {
        ed().Picture2.MouseDown(Left(At(from.x()), At(from.y())));
        ed().Picture2.MouseMove({1, 0, At(to.x()), At(to.y())});
        ed().Picture2.MouseUp(Left(At(to.x()), At(to.y())));
    }
    QRect Area(int n) {
        const Shape& s = ed().redaction(n);
        return QRect(qRound(s.Left / 15), qRound(s.Top / 15), qRound(s.Width / 15),
                     qRound(s.Height / 15));
    }
    QImage Shown() { return ed().Picture2.Picture().convertToFormat(QImage::Format_RGB32); }

    /// How much of the original's fine pattern (each pixel less its block's mean)
    /// `img` still holds inside `area`: the correlation of the two, 1 for a copy.
    double PatternLeft(const QImage& img, QRect area) const {
        std::vector<double> a, b;
        for (int by = area.top(); by < area.bottom(); by += 12)
            for (int bx = area.left(); bx < area.right(); bx += 12) {
                for (int c = 0; c < 3; ++c) {
                    double mean = 0;
                    const auto part = [&](QRgb p) {
                        return c == 0 ? qRed(p) : c == 1 ? qGreen(p) : qBlue(p);
                    };
                    for (int y = by; y < by + 12; ++y)
                        for (int x = bx; x < bx + 12; ++x) mean += part(original.pixel(x, y));
                    mean /= 144;
                    for (int y = by; y < by + 12; ++y)
                        for (int x = bx; x < bx + 12; ++x) {
                            a.push_back(part(original.pixel(x, y)) - mean);
                            b.push_back(part(img.pixel(x, y)));
                        }
                }
            }
        const auto avg = [](const std::vector<double>& v) {
            double s = 0;
            for (double d : v) s += d;
            return s / static_cast<double>(v.size());
        };
        const double ma = avg(a), mb = avg(b);
        double sab = 0, saa = 0, sbb = 0;
        for (std::size_t i = 0; i < a.size(); ++i) {
            sab += (a[i] - ma) * (b[i] - mb);
            saa += (a[i] - ma) * (a[i] - ma);
            sbb += (b[i] - mb) * (b[i] - mb);
        }
        return sbb == 0 ? 0 : sab / std::sqrt(saa * sbb);
    }
    /// Whether `bytes` hold eight pixels running of a row of the original inside
    /// `area`, in any byte order a writer uses: RGB, BGR, BGRA, or one channel alone.
    bool RawPattern(const QByteArray& bytes, QRect area) const {
        for (int y = area.top(); y <= area.bottom(); y += 7) {
            const int x0 = area.left() + 20;
            QByteArray rgb, bgr, bgra, red, green, blue;
            for (int x = x0; x < x0 + 8; ++x) {
                const QRgb p = original.pixel(x, y);
                rgb += char(qRed(p)), rgb += char(qGreen(p)), rgb += char(qBlue(p));
                bgr += char(qBlue(p)), bgr += char(qGreen(p)), bgr += char(qRed(p));
                bgra += char(qBlue(p)), bgra += char(qGreen(p)), bgra += char(qRed(p)),
                    bgra += char(0xFF);
                red += char(qRed(p)), green += char(qGreen(p)), blue += char(qBlue(p));
            }
            for (const QByteArray* run : {&rgb, &bgr, &bgra, &red, &green, &blue})
                if (bytes.contains(*run)) return true;
        }
        return false;
    }
    QImage original;
    QTemporaryDir dir;
};

TEST_F(RedactionTest, TheAreaShowsBlockMeansAndColourPicksReadThem) {
    const int n = Redact(kArea);
    ASSERT_EQ(Area(n), QRect(48, 24, 96, 48));
    const QImage shown = Shown();
    // Each block of 12 is one colour, the mean of the original's block.
    long r = 0;
    for (int y = 36; y < 48; ++y)
        for (int x = 60; x < 72; ++x) r += qRed(original.pixel(x, y));
    const QRgb block = shown.pixel(60, 36);
    EXPECT_NEAR(qRed(block), r / 144.0, 0.6);
    for (int y = 36; y < 48; ++y)
        for (int x = 60; x < 72; ++x) ASSERT_EQ(shown.pixel(x, y), block);
    EXPECT_LT(PatternLeft(shown, kArea), 0.05);
    // Outside the area the picture is untouched.
    EXPECT_EQ(shown.pixel(47, 24), original.pixel(47, 24));
    EXPECT_EQ(shown.pixel(144, 71), original.pixel(144, 71));
    // A colour pick reads what the canvas shows.
    EXPECT_EQ(ed().Picture2.Point(At(65), At(40)), FromQRgb(block));
    ed().Image6_Click();
    ed().Picture2.MouseDown(Left(At(65), At(40)));
    EXPECT_EQ(ed().vars.sampledColor, FromQRgb(block));
}

TEST_F(RedactionTest, MovedResizedFilledDeletedAndUndoneTheCanvasFollows) {
    const int n = Redact(kArea);
    const QImage first = Shown();
    // A press on the right edge moves that edge only.
    Drag({kArea.right(), 40}, {kArea.right() + 24, 40});
    EXPECT_EQ(Area(n), QRect(48, 24, 120, 48));
    EXPECT_LT(PatternLeft(Shown(), QRect(48, 24, 120, 48)), 0.05);
    // A press inside moves it; the place it left shows the picture again.
    Drag({90, 50}, {90, 80});
    EXPECT_EQ(Area(n), QRect(48, 54, 120, 48));
    EXPECT_EQ(Shown().pixel(60, 30), original.pixel(60, 30));
    // Filled black from its menu.
    desktop.menuChoices.push_back(QStringLiteral("redactblack"));
    ed().Picture2.MouseDown(Right(At(90), At(70)));
    EXPECT_EQ(Shown().pixel(90, 70), qRgb(0, 0, 0));
    // Deleted: the picture as it was.
    desktop.menuChoices.push_back(QStringLiteral("redactdel"));
    ed().Picture2.MouseDown(Right(At(90), At(70)));
    EXPECT_FALSE(ed().redaction.Exists(n));
    EXPECT_EQ(Shown(), original);
    // Undone step by step back to the first drawing, each with its pixels.
    for (int k = 0; k < 4; ++k) ed().Key(Qt::Key_Z, kCtrlMask, true);
    EXPECT_EQ(Area(n), kArea);
    EXPECT_EQ(Shown(), first);
    ed().Key(Qt::Key_Z, kCtrlMask, true);
    EXPECT_FALSE(ed().redaction.Exists(n));
    EXPECT_EQ(Shown(), original);
    ed().Key(Qt::Key_Y, kCtrlMask, true);
    EXPECT_EQ(Shown(), first);
}

// The promise: every format, the clipboard, and the layered PSD's composite,
// layers and annotation block are free of the covered pixels.
TEST_F(RedactionTest, NoSavedFormatClipboardOrLayerHoldsTheCoveredPixels) {
    // The search finds the pattern where it is not covered: it can fail.
    const QRect open(160, 24, 60, 48);
    Redact(kArea);
    Key(Qt::Key_B);  // a box over it too, so there is a layer above
    ed().Picture2.MouseDown(Left(At(50), At(30)));
    ed().Picture2.MouseMove({1, 0, At(140), At(70)});
    ed().Picture2.MouseUp(Left(At(140), At(70)));

    // The save's clipboard copy (the dialog cancelled, so it stays there).
    ed().Command5_Click();
    ASSERT_FALSE(desktop.clipboardPicture.isNull());
    const QImage clip = desktop.clipboardPicture.convertToFormat(QImage::Format_RGB32);
    EXPECT_LT(PatternLeft(clip, kArea), 0.05);
    EXPECT_GT(PatternLeft(clip, open), 0.9);  // where nothing covers it, the pattern is found

    for (const char* ext : {"png", "jpg", "bmp", "gif", "tiff", "psd"}) {
        SCOPED_TRACE(ext);
        const QString path = dir.filePath(QStringLiteral("out.") + QLatin1String(ext));
        desktop.saveFiles.push_back(path);
        ed().Command5_Click();
        ASSERT_TRUE(desktop.messages.empty());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_FALSE(RawPattern(bytes, kArea));
        if (QLatin1String(ext) == QLatin1String("bmp")) {
            EXPECT_TRUE(RawPattern(bytes, open));
        }

        std::vector<QImage> decoded;
        if (QLatin1String(ext) == QLatin1String("psd")) {
            cpsd reader;
            ASSERT_TRUE(reader.LoadPsdFile(path));
            decoded.push_back(reader.Bitmap());
            const auto& block = reader.PrivateResource();
            EXPECT_FALSE(RawPattern(
                QByteArray(reinterpret_cast<const char*>(block.data()), qsizetype(block.size())),
                kArea));
            std::vector<psd::LayerPixels> layers;
            ASSERT_TRUE(psd::ReadLayers(
                {reinterpret_cast<const uint8_t*>(bytes.constData()), std::size_t(bytes.size())},
                layers));
            ASSERT_EQ(layers.size(), 2u);  // the picture and the box: a redaction has no layer
            for (const auto& l : layers) {
                QImage img(240, 120, QImage::Format_RGB32);
                img.fill(Qt::black);
                const QImage layer(l.bgra.data(), l.width, l.height, l.width * 4,
                                   QImage::Format_ARGB32);
                for (int y = 0; y < l.height; ++y)
                    for (int x = 0; x < l.width; ++x)
                        if (img.valid(l.left + x, l.top + y))
                            img.setPixel(l.left + x, l.top + y, layer.pixel(x, y));
                decoded.push_back(img);
            }
        } else {
            decoded.push_back(QImage(path).convertToFormat(QImage::Format_RGB32));
        }
        for (const QImage& img : decoded) {
            ASSERT_FALSE(img.isNull());
            EXPECT_LT(std::abs(PatternLeft(img, kArea)), 0.1);
        }
        // Lossless copies keep the pattern outside the area: the measure sees a leak.
        if (QLatin1String(ext) == QLatin1String("png")) {
            EXPECT_EQ(decoded[0].pixel(200, 50), original.pixel(200, 50));
        }
    }
}

TEST_F(RedactionTest, APictureOpenedUnderARedactionIsHiddenBeforeItIsSavedOrPicked) {
    Redact(kArea);
    // Another picture comes in (an open keeps the annotations): the same noise, shifted.
    QImage next = original.copy();
    ed().Picture2.SetPicture(next);
    ed().Command5_Click();  // the dialog cancelled: the capture stays on the clipboard
    EXPECT_LT(std::abs(PatternLeft(desktop.clipboardPicture.convertToFormat(QImage::Format_RGB32),
                                   kArea)),
              0.05);
    ed().Picture2.SetPicture(next);
    ed().Image6_Click();
    ed().Picture2.MouseDown(Left(At(65), At(40)));
    EXPECT_NE(ed().vars.sampledColor, FromQRgb(original.pixel(65, 40)));
    EXPECT_EQ(ed().vars.sampledColor, FromQRgb(Shown().pixel(60, 36)));
}

TEST_F(RedactionTest, ALayeredPsdReopensItLiveButNeverBringsTheOriginalBack) {
    const int n = Redact(kArea);
    const QString path = dir.filePath(QStringLiteral("hidden.psd"));
    desktop.saveFiles.push_back(path);
    ed().Command5_Click();
    const AnnotationSnapshot saved = ed().annotations.Take();

    // A fresh editor opens it: the redaction is there and can be moved.
    ed().annotations.RemoveAll();
    ed().Picture2.SetPicture(QImage());
    ed().open1 = path;
    ed().Command14_Click();
    ASSERT_TRUE(desktop.messages.empty());
    EXPECT_EQ(ed().annotations.Take(), saved);
    ASSERT_TRUE(ed().redaction.Exists(n));
    QImage canvas = ed().Picture2.Surface().convertToFormat(QImage::Format_RGB32);
    EXPECT_LT(std::abs(PatternLeft(canvas, kArea)), 0.05);
    // Moved away, the place it covered shows blocks, not the original pixels.
    Key(Qt::Key_R);
    Drag({90, 50}, {90, 110});
    canvas = ed().Picture2.Surface().convertToFormat(QImage::Format_RGB32);
    EXPECT_LT(std::abs(PatternLeft(canvas, kArea)), 0.05);
}

}  // namespace
}  // namespace orv::test
