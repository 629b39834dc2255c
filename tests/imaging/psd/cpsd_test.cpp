// The cpsd reader as the editor uses it: load a file, read the size, build the picture; and
// small PSDs written by ImageMagick, whose own reading of the channel values, put through our
// conversions, must match our picture.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <algorithm>

#include "../ImagingFiles.h"
#include "cpsd.h"
#include "psd_writer.h"

namespace orv::test {
namespace {

using namespace psdtest;

class CpsdTest : public ::testing::Test {
  protected:
    QString Write(const QString& name, const Bytes& bytes) {
        const QString path = dir_.filePath(name);
        EXPECT_TRUE(WriteFile(path, QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                               static_cast<qsizetype>(bytes.size()))));
        return path;
    }
    QTemporaryDir dir_;
    cpsd reader_;
};

// An upright RGB32 picture in blue, green, red, fourth-byte order, also behind sections longer
// than the 64 KB windows the header fields come through (with 65530 bytes of resources the
// layer section length lies across a window's end).
TEST_F(CpsdTest, LoadBuildsAnUprightRgb32Picture) {
    // Red, green, blue on top; black, white, gray below.
    PsdFile f = Planes8(
        kRgb, 3, 2, {{255, 0, 0, 0, 255, 128}, {0, 255, 0, 0, 255, 128}, {0, 0, 255, 0, 255, 128}});
    for (std::size_t resources : {std::size_t{0}, std::size_t{65530}, std::size_t{200000}}) {
        for (uint16_t compression : {0, 1}) {
            SCOPED_TRACE(::testing::Message() << resources << " resource bytes, " << compression);
            f.compression = compression;
            f.colourData = Bytes(resources ? 70000 : 0, 0xAA);  // of an RGB file: skipped
            f.resources = Bytes(resources, 0xBB);
            f.layers = Bytes(resources ? 150000 : 0, 0xCC);
            ASSERT_TRUE(reader_.LoadPsdFile(Write("sample.psd", Build(f))));
            EXPECT_EQ(reader_.Width(), 3);
            EXPECT_EQ(reader_.Height(), 2);
            EXPECT_EQ(reader_.Scanline(), 12);
            EXPECT_EQ(reader_.SizeImage(), 24);
            const QImage& img = reader_.Bitmap();
            ASSERT_EQ(img.format(), QImage::Format_RGB32);
            ASSERT_EQ(img.size(), QSize(3, 2));
            EXPECT_EQ(img.bytesPerLine(), 12);
            EXPECT_EQ(img.pixel(0, 0), qRgb(255, 0, 0));
            EXPECT_EQ(img.pixel(2, 1), qRgb(128, 128, 128));
            const uchar* blue = img.constScanLine(0) + 8;
            EXPECT_EQ(Bytes(blue, blue + 4), (Bytes{255, 0, 0, 255}));
        }
    }
}

TEST_F(CpsdTest, FailedLoadKeepsThePreviousPictureAndTheSizeRead) {
    ASSERT_TRUE(
        reader_.LoadPsdFile(Write("gray.psd", Build(Planes8(kGray, 2, 2, {Bytes(4, 77)})))));
    // A header claiming 20000 x 20000 pixels in a 62-byte file.
    Bytes liar = Build(Planes8(kRgb, 20000, 20000, {}));
    liar.resize(62, 0);
    EXPECT_FALSE(reader_.LoadPsdFile(Write("liar.psd", liar)));
    EXPECT_EQ(reader_.Width(), 20000);
    EXPECT_EQ(reader_.Height(), 20000);
    EXPECT_EQ(reader_.SizeImage(), 1600000000);
    // Files that end before the size keep the size read last.
    EXPECT_FALSE(reader_.LoadPsdFile(dir_.filePath("missing.psd")));
    EXPECT_FALSE(reader_.LoadPsdFile(Write("ten.psd", Bytes(10, 0xFF))));
    EXPECT_FALSE(reader_.LoadPsdFile(dir_.path()));  // a folder, not a file
    EXPECT_EQ(reader_.Width(), 20000);
    EXPECT_EQ(reader_.Bitmap().size(), QSize(2, 2));
    EXPECT_EQ(reader_.Bitmap().pixel(1, 1), qRgb(77, 77, 77));
}

TEST_F(CpsdTest, ImageMagickFilesMatchTheToolsChannelValues) {
    if (!HaveImageMagick()) GTEST_SKIP() << "ImageMagick is not installed";
    constexpr int kWidth = 23, kHeight = 17;
    const QString source = dir_.filePath("source.png"), psd = dir_.filePath("picture.psd");
    ASSERT_TRUE(ImageMagick("convert",
                            {"-seed", "42", "-size", "23x17", "plasma:", "-depth", "8", source}));
    const struct {
        const char* colourspace;
        const char* rawFormat;  // ImageMagick's raw output of the channels
        int channels;
    } spaces[] = {{"sRGB", "rgb", 3}, {"Gray", "gray", 1}, {"CMYK", "cmyk", 4}};
    for (const auto& v : spaces) {
        for (const char* depth : {"8", "16"}) {
            for (const char* compression : {"None", "RLE"}) {
                SCOPED_TRACE(::testing::Message() << v.colourspace << depth << compression);
                ASSERT_TRUE(ImageMagick("convert", {source, "-colorspace", v.colourspace, "-depth",
                                                    depth, "-compress", compression, psd}));
                // The composite image, each sample as 16 bits, most significant byte first.
                const QByteArray raw =
                    ImageMagick("convert", {psd + "[0]", "-depth", "16", "-endian", "MSB",
                                            QStringLiteral("%1:-").arg(v.rawFormat)})
                        .value_or(QByteArray());
                ASSERT_EQ(raw.size(), kWidth * kHeight * v.channels * 2);
                ASSERT_TRUE(reader_.LoadPsdFile(psd));
                const QImage& img = reader_.Bitmap();
                ASSERT_EQ(img.size(), QSize(kWidth, kHeight));
                for (int i = 0; i < kWidth * kHeight && !HasFailure(); ++i) {
                    // High bytes; the tool reports CMYK as ink, the file stores 255 - ink.
                    int c[4] = {};
                    for (int ch = 0; ch < v.channels; ++ch) {
                        c[ch] = static_cast<uint8_t>(raw[(i * v.channels + ch) * 2]);
                        if (v.channels == 4) c[ch] = 255 - c[ch];
                    }
                    QRgb want = v.channels == 1 ? qRgb(c[0], c[0], c[0]) : qRgb(c[0], c[1], c[2]);
                    if (v.channels == 4)
                        want = qRgb(std::max(0, c[0] + c[3] - 255), std::max(0, c[1] + c[3] - 255),
                                    std::max(0, c[2] + c[3] - 255));
                    EXPECT_EQ(img.pixel(i % kWidth, i / kWidth), want) << "pixel " << i;
                }
            }
        }
    }
}

}  // namespace
}  // namespace orv::test
