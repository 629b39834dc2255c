// The picture loaders and the saver: decoding, composition over the background, refusal of
// damaged, foreign and oversized files, the standard loader's choice by content; the encoder
// choice, lossless round trips, and failed saves that never harm an existing file.
#include "imaging/io/PictureLoader.h"
#include "imaging/io/PictureSaver.h"

#include <QDir>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "../ImagingFiles.h"

namespace orv::test {
namespace {

// A flat UI-like picture of exactly `colours` colours (at most 256): blocks of distinct
// colours on a grid, drawn without antialiasing, in the given format.
QImage FlatPicture(int width, int height, int colours, QImage::Format format) {
    QImage picture(width, height, format);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    const int cell = 3;
    for (int i = 0; i < colours; ++i) {
        const int x = (i * cell) % width, y = ((i * cell) / width) * cell;
        painter.fillRect(x, y, cell, cell, QColor(i * 37 % 256, i * 91 % 256, 255 - i));
    }
    return picture;
}

// A picture with far more than 256 colours: gradients and a pattern.
QImage RichPicture(int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, (x ^ y) & 0xff));
    }
    return picture;
}

// The largest difference of any channel between two pictures of the same size (256 when the
// sizes differ or either is null).
int MaxChannelDifference(const QImage& a, const QImage& b) {
    if (a.isNull() || b.isNull() || a.size() != b.size()) return 256;
    const QImage l = a.convertToFormat(QImage::Format_RGB32);
    const QImage r = b.convertToFormat(QImage::Format_RGB32);
    int worst = 0;
    for (int y = 0; y < l.height(); ++y) {
        for (int i = 0; i < 4 * l.width(); ++i)  // every fourth byte is the unused alpha
            if (i % 4 != 3) worst = std::max(worst, std::abs(l.scanLine(y)[i] - r.scanLine(y)[i]));
    }
    return worst;
}

class PictureIo : public ::testing::Test {
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

// A palette PNG's transparency, which comes as a table of alpha values, is composed over the
// background colour; deep, grey and palette PNGs come out as the 8-bit colours Qt reads.
TEST_F(PictureIo, PngAlphaIsComposedOverTheBackgroundAndVariantsKeepTheirColours) {
    QImage alpha(3, 1, QImage::Format_Indexed8);
    alpha.setColorTable({qRgba(255, 0, 0, 0), qRgba(255, 0, 0, 128), qRgba(10, 20, 30, 255)});
    for (int x = 0; x < 3; ++x) alpha.setPixel(x, 0, uint(x));
    const QImage picture = Load(Write(alpha, "alpha.png", "png"), 0x204080);  // 0x00BBGGRR
    ASSERT_EQ(picture.format(), QImage::Format_RGB32);
    EXPECT_EQ(QSize(width_, height_), QSize(3, 1));
    EXPECT_EQ(picture.pixel(0, 0), qRgb(0x80, 0x40, 0x20));
    EXPECT_EQ(picture.pixel(1, 0), qRgb(192, 32, 16));  // (f*a + b*(255-a) + 127) / 255
    EXPECT_EQ(picture.pixel(2, 0), qRgb(10, 20, 30));
    const QImage colours = RichPicture(37, 11);
    const std::pair<const char*, QImage> cases[] = {
        {"deep.png", colours.convertToFormat(QImage::Format_RGBX64)},
        {"grey.png", colours.convertToFormat(QImage::Format_Grayscale8)},
        {"palette.png",
         FlatPicture(37, 11, 40, QImage::Format_RGB32).convertToFormat(QImage::Format_Indexed8)},
    };
    for (const auto& [name, source] : cases) {
        EXPECT_EQ(MaxChannelDifference(Load(Write(source, name, "png")), source), 0) << name;
    }
}

// Baseline and progressive JPEGs load at their own size as Qt decodes them; CMYK ones in RGB.
TEST_F(PictureIo, JpegLoadsAtItsOwnSizeLikeOtherDecodersAndCmykAsRgb) {
    const QImage source = RichPicture(131, 67);
    for (const bool progressive : {false, true}) {
        const QString path = Write(source, "photo.jpg", "jpeg", 90, progressive);
        const QImage picture = Load(path);
        ASSERT_EQ(picture.size(), QSize(131, 67));
        EXPECT_EQ(picture.format(), QImage::Format_RGB32);
        EXPECT_LE(MaxChannelDifference(picture, QImage(path)), 1);
        EXPECT_EQ(MaxChannelDifference(LoadPicture(path), picture), 0);
    }
    if (!HaveImageMagick()) GTEST_SKIP() << "ImageMagick missing for the CMYK part";
    const QString cmyk = folder_.filePath("cmyk.jpg");
    ASSERT_TRUE(ImageMagick("convert", {"-size", "16x16", "xc:rgb(200,30,90)", "-colorspace",
                                        "CMYK", "-quality", "95", cmyk}));
    QImage expected(16, 16, QImage::Format_RGB32);
    expected.fill(qRgb(200, 30, 90));
    EXPECT_LE(MaxChannelDifference(Load(cmyk), expected), 6);
}

// A file cut short is refused as a whole; so are missing, empty and foreign files. The size
// arguments are left as they were.
TEST_F(PictureIo, DamagedMissingAndForeignFilesGiveNoPicture) {
    const QImage source = RichPicture(64, 64);
    const QStringList whole = {Write(source, "cut.png", "png"),
                               Write(source, "cut.jpg", "jpeg", 80),
                               Write(source, "cutp.jpg", "jpeg", 80, true)};
    for (const QString& path : whole) {
        const QByteArray bytes = ReadFile(path);
        ASSERT_TRUE(WriteFile(path, bytes.left(bytes.size() * 2 / 3)));
    }
    ASSERT_TRUE(WriteFile(folder_.filePath("notes.png"), "just some text, not a picture"));
    ASSERT_TRUE(WriteFile(folder_.filePath("empty.jpg"), ""));
    for (const QString& path :
         whole + QStringList{folder_.filePath("missing.png"), folder_.filePath("notes.png"),
                             folder_.filePath("empty.jpg")}) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_TRUE(Load(path).isNull());
        EXPECT_EQ(width_, -1);
        EXPECT_TRUE(LoadPicture(path).isNull());
    }
}

// The standard loader judges by content: a BMP called .png loads, a PNG called .bmp does not;
// icons and cursors keep their transparency; a GIF gives its first frame.
TEST_F(PictureIo, StandardLoaderReadsItsFormatsByContentOnly) {
    const QImage flat = FlatPicture(33, 17, 30, QImage::Format_RGB32);
    EXPECT_TRUE(LoadPicture(Write(flat, "fake.bmp", "png")).isNull());
    const QImage bmp = LoadPicture(Write(flat, "fake.png", "bmp"));
    EXPECT_EQ(bmp.format(), QImage::Format_RGB32);
    EXPECT_EQ(MaxChannelDifference(bmp, flat), 0);

    QImage icon(16, 16, QImage::Format_ARGB32);
    icon.fill(qRgba(0, 0, 255, 255));
    icon.setPixel(3, 4, qRgba(0, 0, 0, 0));
    QByteArray bytes = ReadFile(Write(icon, "icon.ico", "ico"));
    bytes[2] = 2;  // a cursor directory differs in its type field
    ASSERT_TRUE(WriteFile(folder_.filePath("pointer.cur"), bytes));
    for (const char* name : {"icon.ico", "pointer.cur"}) {
        const QImage picture = LoadPicture(folder_.filePath(name));
        ASSERT_EQ(picture.size(), QSize(16, 16)) << name;
        EXPECT_EQ(qAlpha(picture.pixel(3, 4)), 0);
        EXPECT_EQ(picture.pixel(5, 5), qRgb(0, 0, 255));
    }

    if (!HaveImageMagick()) GTEST_SKIP() << "ImageMagick missing for the GIF part";
    const QString gif = folder_.filePath("frames.gif");
    ASSERT_TRUE(ImageMagick("convert", {"-size", "6x4", "xc:red", "xc:blue", gif}));
    const QImage frame = LoadPicture(gif);
    ASSERT_EQ(frame.size(), QSize(6, 4));
    EXPECT_EQ(frame.pixel(2, 2), qRgb(255, 0, 0));
}

// 16384 × 16384 loads (a one-bit picture keeps the file and the test's own copy small);
// anything beyond the limits is refused from the header, and Qt's limit is left as found.
TEST_F(PictureIo, LargestPicturesLoadAndLargerOnesAreRefused) {
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

SaveResult Save(const QImage& picture, const QString& path, const QString& extension) {
    return SavePictureWithEncoder(picture, path, extension, 80, 24, kTiffCompressionNone);
}

// The first encoder whose lower-cased list holds the lower-cased extension as a substring.
TEST(PictureSaver, EncoderIsTheFirstWhoseLowerCasedListHoldsTheExtension) {
    const std::pair<const char*, EncoderId> cases[] = {
        {"JFIF", EncoderId::Jpeg}, {"", EncoderId::Bmp},      {"g", EncoderId::Jpeg},  // before gif
        {".png", EncoderId::Png},  {"pngx", EncoderId::None},
    };
    for (const auto& [extension, expected] : cases) {
        EncoderId found = EncoderId::Png;
        EXPECT_EQ(EncoderClsidForExtension(QString::fromLatin1(extension), found),
                  expected != EncoderId::None)
            << extension;
        EXPECT_EQ(found, expected) << extension;
    }
}

// Lossless formats give back exactly the source's colours, from opaque RGB32 and from
// premultiplied ARGB sources alike, at awkward sizes too. Over 256 colours, a GIF takes an
// adaptive palette: close, though not exact.
TEST_F(PictureIo, LosslessFormatsRoundTripExactlyAndManyColoursInAGifClosely) {
    for (const QSize size : {QSize(1, 1), QSize(97, 61), QSize(300, 7)}) {
        for (const auto format : {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied}) {
            const QImage source = FlatPicture(size.width(), size.height(), 200, format);
            for (const char* extension : {"png", "bmp", "tif", "tiff", "gif"}) {
                SCOPED_TRACE(::testing::Message() << extension << " " << size.width() << "x"
                                                  << size.height() << " " << format);
                const QString path = folder_.filePath(QStringLiteral("round.%1").arg(extension));
                ASSERT_TRUE(Save(source, path, extension).ok());
                const QImage back(path);
                EXPECT_EQ(MaxChannelDifference(back, source), 0);
                EXPECT_FALSE(back.hasAlphaChannel());
            }
        }
    }
    const QImage source = RichPicture(200, 120);
    const QString gif = folder_.filePath("many.gif");
    ASSERT_TRUE(Save(source, gif, "gif").ok());
    const int error = MaxChannelDifference(QImage(gif), source);
    EXPECT_GT(error, 0);
    EXPECT_LT(error, 64);
}

// An encoder failing after the temporary file was opened, or nothing to save: each says why,
// and the user's earlier file stays as it was with nothing left beside it.
TEST_F(PictureIo, FailedSavesLeaveTheOldFileAsItWas) {
    const QString target = folder_.filePath("keep.png");
    const QByteArray old = "the user's earlier work";
    ASSERT_TRUE(WriteFile(target, old));
    const QImage tooWide(70000, 1, QImage::Format_RGB32);  // GIF sides are 16-bit
    const std::tuple<QImage, const char*, SaveError> cases[] = {
        {tooWide, "gif", SaveError::EncodeFailed}, {QImage(), "png", SaveError::EmptyPicture}};
    for (const auto& [picture, extension, error] : cases) {
        const SaveResult result = Save(picture, target, extension);
        EXPECT_EQ(result.error, error) << extension;
        EXPECT_FALSE(result.description.isEmpty());
        EXPECT_EQ(ReadFile(target), old);
        EXPECT_EQ(QDir(folder_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                  QStringList{"keep.png"});
    }
    EXPECT_FALSE(Save(tooWide, folder_.path(), "png").ok());  // a folder as the target
}

}  // namespace
}  // namespace orv::test
