// The two picture loaders: decoding, composition over the background, refusal of damaged,
// foreign and oversized files, and the standard loader's choice by content.
#include "imaging/io/PictureLoader.h"

#include "IoTestSupport.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace orv {
namespace {

using testing::MaxChannelDifference;
using testing::ReadAll;
using testing::WriteAll;

class LoaderTest : public ::testing::Test {
  protected:
    QString Write(const QImage& picture, const char* name, const char* format, int quality = -1,
                  bool progressive = false) {
        const QString path = folder_.filePath(name);
        QImageWriter writer(path, format);
        writer.setQuality(quality);
        writer.setProgressiveScanWrite(progressive);
        EXPECT_TRUE(writer.write(picture)) << name;
        return path;
    }
    QImage Load(const QString& path, uint32_t background = 0xffffff) {
        width_ = height_ = -1;
        return LoadImageAsPicture(path, width_, height_, background, false);
    }
    QTemporaryDir folder_;
    int width_ = -1, height_ = -1;
};

TEST_F(LoaderTest, PngAlphaIsComposedOverTheBackgroundColour) {
    QImage source(3, 1, QImage::Format_ARGB32);
    source.setPixel(0, 0, qRgba(255, 0, 0, 0));
    source.setPixel(1, 0, qRgba(255, 0, 0, 128));
    source.setPixel(2, 0, qRgba(10, 20, 30, 255));
    const QString path = Write(source, "alpha.png", "png");
    // 0x00BBGGRR: 0xFF0000 is pure blue, 0x0000FF pure red.
    for (const uint32_t background : {0xff0000u, 0x00ff00u}) {
        const QImage picture = Load(path, background);
        ASSERT_EQ(picture.format(), QImage::Format_RGB32);
        EXPECT_EQ(width_, 3);
        EXPECT_EQ(height_, 1);
        const QRgb back =
            qRgb(int(background & 0xff), int((background >> 8) & 0xff), int(background >> 16));
        EXPECT_EQ(picture.pixel(0, 0), back);
        EXPECT_EQ(qRed(picture.pixel(1, 0)), 128 + qRed(back) * 127 / 255);
        EXPECT_EQ(qBlue(picture.pixel(1, 0)), (qBlue(back) * 127 + 127) / 255);
        EXPECT_EQ(picture.pixel(2, 0), qRgb(10, 20, 30));
    }
}

// Deep, grey and palette PNGs come out as the same 8-bit colours Qt reads from them.
TEST_F(LoaderTest, PngVariantsDecodeToTheirColours) {
    const QImage colours = testing::RichPicture(37, 11);
    const std::pair<const char*, QImage> cases[] = {
        {"deep.png", colours.convertToFormat(QImage::Format_RGBX64)},
        {"grey.png", colours.convertToFormat(QImage::Format_Grayscale8)},
        {"palette.png", testing::FlatPicture(37, 11, 40, QImage::Format_RGB32)
                            .convertToFormat(QImage::Format_Indexed8)},
    };
    for (const auto& [name, source] : cases) {
        const QImage picture = Load(Write(source, name, "png"));
        EXPECT_EQ(MaxChannelDifference(picture, source), 0) << name;
    }
}

TEST_F(LoaderTest, JpegLoadsAtItsOwnSizeLikeOtherDecoders) {
    const QImage source = testing::RichPicture(131, 67);
    for (const bool progressive : {false, true}) {
        const QString path = Write(source, "photo.jpg", "jpeg", 90, progressive);
        const QImage picture = Load(path);
        ASSERT_EQ(picture.size(), QSize(131, 67));
        EXPECT_EQ(picture.format(), QImage::Format_RGB32);
        EXPECT_LE(MaxChannelDifference(picture, QImage(path)), 1);
        EXPECT_EQ(MaxChannelDifference(LoadPicture(path), picture), 0);
    }
}

TEST_F(LoaderTest, CmykJpegIsConvertedToRgb) {
    const QString convert = QStandardPaths::findExecutable("convert-im6.q16");
    if (convert.isEmpty()) GTEST_SKIP() << "convert-im6.q16 missing";
    QImage bands(48, 16, QImage::Format_RGB32);
    const QRgb colours[] = {qRgb(200, 30, 40), qRgb(20, 160, 90), qRgb(40, 60, 220)};
    for (int x = 0; x < bands.width(); ++x) {
        for (int y = 0; y < bands.height(); ++y) bands.setPixel(x, y, colours[x / 16]);
    }
    const QString rgb = Write(bands, "rgb.png", "png");
    const QString cmyk = folder_.filePath("cmyk.jpg");
    ASSERT_EQ(QProcess::execute(convert, {rgb, "-colorspace", "CMYK", "-quality", "95", cmyk}), 0);
    const QImage picture = Load(cmyk);
    ASSERT_EQ(picture.size(), bands.size());
    for (int band = 0; band < 3; ++band) {
        const QImage middle = picture.copy(band * 16 + 4, 4, 8, 8);
        EXPECT_LE(MaxChannelDifference(middle, bands.copy(band * 16 + 4, 4, 8, 8)), 6) << band;
    }
}

// A file cut short is refused as a whole; so are missing, empty and foreign files. The size
// arguments are left as they were.
TEST_F(LoaderTest, DamagedMissingAndForeignFilesGiveNoPicture) {
    const QImage source = testing::RichPicture(64, 64);
    const QStringList whole = {Write(source, "cut.png", "png"),
                               Write(source, "cut.jpg", "jpeg", 80),
                               Write(source, "cutp.jpg", "jpeg", 80, true)};
    for (const QString& path : whole) {
        const QByteArray bytes = ReadAll(path);
        ASSERT_TRUE(WriteAll(path, bytes.left(bytes.size() * 2 / 3)));
        EXPECT_TRUE(Load(path).isNull()) << path.toStdString();
        EXPECT_EQ(width_, -1);
        EXPECT_TRUE(LoadPicture(path).isNull()) << path.toStdString();
    }
    ASSERT_TRUE(WriteAll(folder_.filePath("notes.png"), "just some text, not a picture"));
    ASSERT_TRUE(WriteAll(folder_.filePath("empty.jpg"), ""));
    for (const char* name : {"missing.png", "notes.png", "empty.jpg"}) {
        EXPECT_TRUE(Load(folder_.filePath(name)).isNull()) << name;
        EXPECT_TRUE(LoadPicture(folder_.filePath(name)).isNull()) << name;
    }
}

TEST_F(LoaderTest, RequestedSizeScalesAndKeepAspectLetterboxes) {
    const QString path = Write(QImage(20, 10, QImage::Format_RGB32), "box.png", "png");
    QImage picture(20, 10, QImage::Format_RGB32);
    picture.fill(Qt::black);
    picture.save(path);
    int width = 40, height = 40;
    const QImage stretched = LoadImageAsPicture(path, width, height, 0x0000ff, false);
    EXPECT_EQ(stretched.size(), QSize(40, 40));
    EXPECT_EQ(stretched.pixel(20, 2), qRgb(0, 0, 0));
    const QImage fitted = LoadImageAsPicture(path, width, height, 0x0000ff, true);
    EXPECT_EQ(fitted.pixel(20, 2), qRgb(255, 0, 0));  // above the centred picture
    EXPECT_EQ(fitted.pixel(20, 20), qRgb(0, 0, 0));
    width = 0;
    EXPECT_TRUE(LoadImageAsPicture(path, width, height, 0, false).isNull());
}

// The standard loader judges by content: a BMP called .png loads, a PNG called .bmp does not.
TEST_F(LoaderTest, StandardLoaderReadsItsFormatsByContentOnly) {
    const QImage flat = testing::FlatPicture(33, 17, 30, QImage::Format_RGB32);
    EXPECT_TRUE(LoadPicture(Write(flat, "real.png", "png")).isNull());
    EXPECT_TRUE(LoadPicture(Write(flat, "fake.bmp", "png")).isNull());
    const QImage bmp = LoadPicture(Write(flat, "fake.png", "bmp"));
    EXPECT_EQ(bmp.format(), QImage::Format_RGB32);
    EXPECT_EQ(MaxChannelDifference(bmp, flat), 0);

    QImage icon(16, 16, QImage::Format_ARGB32);
    icon.fill(qRgba(0, 0, 255, 255));
    icon.setPixel(3, 4, qRgba(0, 0, 0, 0));
    const QString ico = Write(icon, "icon.ico", "ico");
    for (const bool cursor : {false, true}) {
        QByteArray bytes = ReadAll(ico);
        bytes[2] = cursor ? 2 : 1;  // a cursor directory differs in its type field
        const QString path = folder_.filePath(cursor ? "pointer.cur" : "icon.ico");
        ASSERT_TRUE(WriteAll(path, bytes));
        const QImage picture = LoadPicture(path);
        ASSERT_EQ(picture.size(), QSize(16, 16)) << cursor;
        EXPECT_EQ(qAlpha(picture.pixel(3, 4)), 0);
        EXPECT_EQ(picture.pixel(5, 5), qRgb(0, 0, 255));
    }
}

TEST_F(LoaderTest, StandardLoaderTakesTheFirstGifFrame) {
    const QString convert = QStandardPaths::findExecutable("convert-im6.q16");
    if (convert.isEmpty()) GTEST_SKIP() << "convert-im6.q16 missing";
    const QString path = folder_.filePath("frames.gif");
    ASSERT_EQ(QProcess::execute(convert, {"-size", "6x4", "xc:red", "xc:blue", path}), 0);
    const QImage picture = LoadPicture(path);
    ASSERT_EQ(picture.size(), QSize(6, 4));
    EXPECT_EQ(picture.pixel(2, 2), qRgb(255, 0, 0));
}

// 16384 × 16384 loads (a one-bit picture keeps the file and the test's own copy small);
// anything beyond the limits is refused from the header, and Qt's limit is left as found.
TEST_F(LoaderTest, LargestPicturesLoadAndLargerOnesAreRefused) {
    const int qtLimit = QImageReader::allocationLimit();
    QImage mono(16384, 16384, QImage::Format_Mono);
    mono.fill(1);
    mono.setColorTable({qRgb(0, 0, 0), qRgb(0, 128, 255)});
    mono.setPixel(16383, 16383, 0);
    const QString png = Write(mono, "huge.png", "png");
    const QString bmp = Write(mono, "huge.bmp", "bmp");
    mono = QImage();
    for (const QImage& picture : {Load(png), LoadPicture(bmp)}) {
        ASSERT_EQ(picture.size(), QSize(16384, 16384));
        EXPECT_EQ(picture.pixel(0, 0), qRgb(0, 128, 255));
        EXPECT_EQ(picture.pixel(16383, 16383), qRgb(0, 0, 0));
    }
    EXPECT_EQ(QImageReader::allocationLimit(), qtLimit);

    for (const QSize size : {QSize(16385, 16384), QSize(40000, 4)}) {
        QImage tooBig(size, QImage::Format_Mono);
        tooBig.fill(0);
        EXPECT_TRUE(Load(Write(tooBig, "big.png", "png")).isNull()) << size.width();
        EXPECT_TRUE(LoadPicture(Write(tooBig, "big.bmp", "bmp")).isNull()) << size.width();
        EXPECT_TRUE(Load(Write(tooBig, "big.bmp", "bmp")).isNull()) << size.width();
    }
    EXPECT_FALSE(IsAcceptablePictureSize(16384, 16385));
    EXPECT_TRUE(IsAcceptablePictureSize(32767, 8192));
}

}  // namespace
}  // namespace orv
