// The cpsd reader as the editor uses it: load a file, read the size, draw the picture.
#include <gtest/gtest.h>

#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <climits>

#include "cpsd.h"
#include "psd_writer.h"

namespace orv {
namespace {

using psdtest::Build;
using psdtest::Bytes;
using psdtest::Planes8;

class CpsdTest : public ::testing::Test {
  protected:
    QString Write(const QString& name, const Bytes& bytes) {
        const QString path = dir_.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        return path;
    }
    // A 3 x 2 RGB picture: red, green, blue on top; black, white, gray below.
    QString WriteSample(uint16_t compression = 0) {
        auto f =
            Planes8(psdtest::kRgb, 3, 2,
                    {{255, 0, 0, 0, 255, 128}, {0, 255, 0, 0, 255, 128}, {0, 0, 255, 0, 255, 128}});
        f.compression = compression;
        return Write(QStringLiteral("sample%1.psd").arg(compression), Build(f));
    }
    QString WriteGray(uint8_t value) {
        return Write(QStringLiteral("gray%1.psd").arg(value),
                     Build(Planes8(psdtest::kGray, 2, 2, {Bytes(4, value)})));
    }

    QTemporaryDir dir_;
    cpsd reader_;
};

TEST_F(CpsdTest, LoadBuildsAnUprightRgb32Picture) {
    for (uint16_t compression : {0, 1}) {
        ASSERT_TRUE(reader_.LoadPsdFile(WriteSample(compression)));
        EXPECT_EQ(reader_.Width(), 3);
        EXPECT_EQ(reader_.Height(), 2);
        EXPECT_EQ(reader_.Scanline(), 12);
        EXPECT_EQ(reader_.SizeImage(), 24);
        const QImage& img = reader_.Bitmap();
        ASSERT_EQ(img.format(), QImage::Format_RGB32);
        ASSERT_EQ(img.size(), QSize(3, 2));
        EXPECT_EQ(img.bytesPerLine(), 12);
        EXPECT_EQ(img.pixel(0, 0), qRgb(255, 0, 0));
        EXPECT_EQ(img.pixel(2, 0), qRgb(0, 0, 255));
        EXPECT_EQ(img.pixel(0, 1), qRgb(0, 0, 0));
        EXPECT_EQ(img.pixel(2, 1), qRgb(128, 128, 128));
        // Bytes in memory: blue, green, red, fourth byte.
        const uchar* row0 = img.constScanLine(0);
        EXPECT_EQ(row0[8], 255);
        EXPECT_EQ(row0[9], 0);
        EXPECT_EQ(row0[10], 0);
    }
}

TEST_F(CpsdTest, DrawToDCCopiesThePictureAtItsOwnSize) {
    QImage canvas(8, 6, QImage::Format_ARGB32);
    canvas.fill(qRgba(10, 20, 30, 40));
    {
        QPainter p(&canvas);
        EXPECT_EQ(reader_.DrawToDC(p, 0, 0), 0);  // nothing loaded yet
        ASSERT_TRUE(reader_.LoadPsdFile(WriteSample()));
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        EXPECT_NE(reader_.DrawToDC(p, 4, 3), 0);
        EXPECT_EQ(p.compositionMode(), QPainter::CompositionMode_SourceOver);
    }
    EXPECT_EQ(canvas.pixel(4, 3), qRgb(255, 0, 0));
    EXPECT_EQ(canvas.pixel(6, 3), qRgb(0, 0, 255));
    EXPECT_EQ(canvas.pixel(6, 4), qRgb(128, 128, 128));
    EXPECT_EQ(canvas.pixel(7, 3), qRgba(10, 20, 30, 40));  // right of the picture
    EXPECT_EQ(canvas.pixel(4, 5), qRgba(10, 20, 30, 40));  // below it
    EXPECT_EQ(canvas.pixel(3, 3), qRgba(10, 20, 30, 40));  // left of it
}

TEST_F(CpsdTest, FailedLoadKeepsThePreviousPictureAndTheSizeRead) {
    ASSERT_TRUE(reader_.LoadPsdFile(WriteGray(77)));
    // A header claiming 20000 x 20000 pixels in a 62-byte file.
    Bytes liar = Build(Planes8(psdtest::kRgb, 20000, 20000, {}));
    liar.resize(62, 0);
    EXPECT_FALSE(reader_.LoadPsdFile(Write("liar.psd", liar)));
    EXPECT_EQ(reader_.Width(), 20000);
    EXPECT_EQ(reader_.Height(), 20000);
    EXPECT_EQ(reader_.SizeImage(), 1600000000);
    EXPECT_EQ(reader_.Bitmap().size(), QSize(2, 2));
    EXPECT_EQ(reader_.Bitmap().pixel(1, 1), qRgb(77, 77, 77));

    EXPECT_FALSE(reader_.LoadPsdFile(dir_.filePath("missing.psd")));
    EXPECT_FALSE(reader_.LoadPsdFile(Write("empty.psd", {})));
    EXPECT_FALSE(reader_.LoadPsdFile(Write("ten.psd", Bytes(10, 0xFF))));
    EXPECT_FALSE(reader_.LoadPsdFile(dir_.path()));  // a folder, not a file
    EXPECT_EQ(reader_.Bitmap().pixel(0, 0), qRgb(77, 77, 77));
}

TEST_F(CpsdTest, EachLoadReplacesThePictureAndFreePsdReleasesIt) {
    ASSERT_TRUE(reader_.LoadPsdFile(WriteSample()));
    ASSERT_TRUE(reader_.LoadPsdFile(WriteGray(9)));
    EXPECT_EQ(reader_.Bitmap().size(), QSize(2, 2));
    EXPECT_EQ(reader_.Bitmap().pixel(0, 0), qRgb(9, 9, 9));

    EXPECT_TRUE(reader_.FreePsd());
    EXPECT_TRUE(reader_.Bitmap().isNull());
    QImage canvas(2, 2, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter p(&canvas);
    EXPECT_EQ(reader_.DrawToDC(p, 0, 0), 0);
    p.end();
    EXPECT_EQ(canvas.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_TRUE(reader_.FreePsd());  // a second release is harmless
}

TEST_F(CpsdTest, LargeSectionsBeforeTheImageDataAreSkipped) {
    // The reader fetches header fields through 64 KB windows. With 65530 bytes of resources
    // the layer section length lies across the end of the window that starts at the
    // resources length; all sections are longer than a window.
    for (std::size_t resources : {std::size_t{65530}, std::size_t{200000}}) {
        for (uint16_t compression : {0, 1}) {
            auto f = Planes8(psdtest::kRgb, 3, 2, {{1, 2, 3, 4, 5, 6}, Bytes(6, 7), Bytes(6, 8)});
            f.compression = compression;
            f.colourData = Bytes(70000, 0xAA);  // colour mode data of an RGB file: skipped
            f.resources = Bytes(resources, 0xBB);
            f.layers = Bytes(150000, 0xCC);
            ASSERT_TRUE(reader_.LoadPsdFile(Write("big.psd", Build(f))));
            EXPECT_EQ(reader_.Bitmap().pixel(0, 0), qRgb(1, 7, 8));
            EXPECT_EQ(reader_.Bitmap().pixel(2, 1), qRgb(6, 7, 8));
        }
    }
}

TEST(CpsdBounds, ClampsToAByte) {
    EXPECT_EQ(cpsd::ksCheckBounds(INT_MIN), 0);
    EXPECT_EQ(cpsd::ksCheckBounds(-1), 0);
    EXPECT_EQ(cpsd::ksCheckBounds(0), 0);
    EXPECT_EQ(cpsd::ksCheckBounds(200), 200);
    EXPECT_EQ(cpsd::ksCheckBounds(255), 255);
    EXPECT_EQ(cpsd::ksCheckBounds(256), 255);
    EXPECT_EQ(cpsd::ksCheckBounds(INT_MAX), 255);
}

}  // namespace
}  // namespace orv
