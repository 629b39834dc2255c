// Saving through the encoder table: encoder choice, lossless round trips, what other programs
// read from the files, and that a failed save never harms an existing file.
#include "imaging/io/PictureSaver.h"

#include "IoTestSupport.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace orv {
namespace {

using testing::FlatPicture;
using testing::Identify;
using testing::MaxChannelDifference;
using testing::ReadAll;

SaveResult Save(const QImage& picture, const QString& path, const QString& extension) {
    return SavePictureWithEncoder(picture, path, extension, 80, 24, kTiffCompressionNone);
}

TEST(EncoderLookup, SubstringOfTheLowerCasedListsInTableOrder) {
    const std::pair<const char*, EncoderId> cases[] = {
        {"png", EncoderId::Png},   {"PNG", EncoderId::Png},   {"jpg", EncoderId::Jpeg},
        {"JPEG", EncoderId::Jpeg}, {"jpe", EncoderId::Jpeg},  {"jfif", EncoderId::Jpeg},
        {"dib", EncoderId::Bmp},   {"rle", EncoderId::Bmp},   {"tif", EncoderId::Tiff},
        {"Tiff", EncoderId::Tiff}, {"gif", EncoderId::Gif},   {"", EncoderId::Bmp},
        {"g", EncoderId::Jpeg},  // "*.jpg" comes before "*.gif"
        {"p", EncoderId::Bmp},     {".png", EncoderId::Png},  {"txt", EncoderId::None},
        {"pngx", EncoderId::None}, {"webp", EncoderId::None},
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
// premultiplied ARGB sources alike, at awkward sizes too.
TEST(SaveRoundTrip, LosslessFormatsAreExact) {
    QTemporaryDir folder;
    const QSize sizes[] = {{1, 1}, {97, 61}, {300, 7}};
    for (const QSize size : sizes) {
        for (const auto format : {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied}) {
            const QImage source = FlatPicture(size.width(), size.height(), 200, format);
            for (const char* extension : {"png", "bmp", "tif", "tiff", "gif"}) {
                const QString path = folder.filePath(QStringLiteral("round.%1").arg(extension));
                ASSERT_TRUE(Save(source, path, extension).ok()) << extension;
                const QImage back(path);
                EXPECT_EQ(MaxChannelDifference(back, source), 0)
                    << extension << " " << size.width() << "x" << size.height() << " " << format;
                EXPECT_FALSE(back.hasAlphaChannel()) << extension;
            }
        }
    }
}

TEST(SaveRoundTrip, GifOfManyColoursIsCloseAndJpegIsLossy) {
    QTemporaryDir folder;
    const QImage source = testing::RichPicture(200, 120);
    const QString gif = folder.filePath("many.gif"), jpg = folder.filePath("many.jpg");
    ASSERT_TRUE(Save(source, gif, "gif").ok());
    ASSERT_TRUE(Save(source, jpg, "jpg").ok());
    const int gifError = MaxChannelDifference(QImage(gif), source);
    EXPECT_GT(gifError, 0);
    EXPECT_LT(gifError, 64);
    EXPECT_LT(MaxChannelDifference(QImage(jpg), source), 96);
}

// Translucent pixels are stored without their alpha: the PNG is colour type 2.
TEST(SaveRoundTrip, TranslucentSourcesAreSavedOpaque) {
    QTemporaryDir folder;
    QImage source(4, 2, QImage::Format_ARGB32);
    source.fill(qRgba(10, 20, 30, 0));
    source.setPixel(1, 1, qRgba(200, 100, 50, 128));
    const QString path = folder.filePath("clear.png");
    ASSERT_TRUE(Save(source, path, "png").ok());
    const QByteArray bytes = ReadAll(path);
    ASSERT_GT(bytes.size(), 26);
    EXPECT_EQ(bytes[25], 2);  // IHDR colour type
    EXPECT_EQ(QImage(path).pixel(1, 1), qRgb(200, 100, 50));
}

class IdentifyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (testing::IdentifyTool().isEmpty()) GTEST_SKIP() << "identify-im6.q16 missing";
    }
    QTemporaryDir folder_;
};

// Format, size, depth, compression, alpha and JPEG quality as ImageMagick reads them.
TEST_F(IdentifyTest, FilesAreWhatTheirExtensionsAsk) {
    const QImage picture = testing::RichPicture(123, 45);
    const QString fields = QStringLiteral("%m %w %h %z %C %Q %A");
    const std::pair<const char*, const char*> cases[] = {
        {"x.png", "PNG 123 45 8 Zip 92 False"},    {"x.jpg", "JPEG 123 45 8 JPEG 80 False"},
        {"x.JPG", "JPEG 123 45 8 JPEG 80 False"},  {"x.jpeg", "JPEG 123 45 8 JPEG 75 False"},
        {"x.bmp", "BMP3 123 45 8 None 92 False"},  {"x.gif", "GIF 123 45 8 LZW 92 False"},
        {"x.tiff", "TIFF 123 45 8 None 92 False"}, {"x.tif", "TIFF 123 45 8 LZW 92 False"},
    };
    for (const auto& [name, expected] : cases) {
        const QString path = folder_.filePath(name);
        const QString extension = QString::fromLatin1(name).section('.', -1);
        ASSERT_TRUE(Save(picture, path, extension).ok()) << name;
        EXPECT_EQ(Identify(path, fields), QString::fromLatin1(expected)) << name;
    }
    // Colour images of three samples: 24-bit BMP and TIFF, no fourth sample.
    EXPECT_EQ(Identify(folder_.filePath("x.bmp"), "%[channels]"), "srgb");
    EXPECT_EQ(ReadAll(folder_.filePath("x.bmp")).at(28), 24);  // biBitCount
    EXPECT_EQ(Identify(folder_.filePath("x.tiff"), "%[tiff:photometric] %[channels]"), "RGB srgb");
}

// A name without extension comes with an empty extension: the first encoder, BMP.
TEST_F(IdentifyTest, EmptyExtensionWritesBmp) {
    const QString path = folder_.filePath("noext");
    ASSERT_TRUE(Save(FlatPicture(8, 8, 4, QImage::Format_RGB32), path, "").ok());
    EXPECT_TRUE(Identify(path, "%m").startsWith("BMP"));
}

class AtomicSaveTest : public ::testing::Test {
  protected:
    void SetUp() override {
        target_ = folder_.filePath("keep.png");
        ASSERT_TRUE(testing::WriteAll(target_, kOld));
    }
    // Only the target file is left in the folder: no temporary file stays behind.
    void ExpectOnlyTarget() {
        EXPECT_EQ(QDir(folder_.path()).entryList(QDir::Files), QStringList{"keep.png"});
    }
    const QByteArray kOld = "the user's earlier work";
    QTemporaryDir folder_;
    QString target_;
};

TEST_F(AtomicSaveTest, ExistingFileIsReplaced) {
    const QImage picture = FlatPicture(10, 10, 5, QImage::Format_RGB32);
    ASSERT_TRUE(Save(picture, target_, "png").ok());
    EXPECT_EQ(MaxChannelDifference(QImage(target_), picture), 0);
    ExpectOnlyTarget();
}

TEST_F(AtomicSaveTest, UnknownExtensionWritesNothingAndSaysSo) {
    const SaveResult result = Save(FlatPicture(4, 4, 2, QImage::Format_RGB32), target_, "txt");
    EXPECT_EQ(result.error, SaveError::NoEncoder);
    EXPECT_EQ(result.errorNumber(), 380);
    EXPECT_TRUE(result.description.contains("txt"));
    EXPECT_EQ(ReadAll(target_), kOld);
    ExpectOnlyTarget();
}

TEST_F(AtomicSaveTest, EncoderFailureLeavesTheOldFile) {
    // GIF sides are 16-bit: the encoder fails after the temporary file was opened.
    const QImage tooWide(70000, 1, QImage::Format_RGB32);
    const SaveResult result = Save(tooWide, target_, "gif");
    EXPECT_EQ(result.error, SaveError::EncodeFailed);
    EXPECT_EQ(ReadAll(target_), kOld);
    ExpectOnlyTarget();
    EXPECT_EQ(Save(QImage(), target_, "png").error, SaveError::EmptyPicture);
    EXPECT_EQ(ReadAll(target_), kOld);
}

TEST_F(AtomicSaveTest, UnwritableFolderLeavesTheOldFile) {
    // Read-only for ordinary users; root needs the immutable attribute as well.
    ASSERT_EQ(::chmod(QFile::encodeName(folder_.path()).constData(), 0555), 0);
    const bool immutable =
        ::geteuid() == 0 && QProcess::execute("chattr", {"+i", folder_.path()}) == 0;
    const bool probeCreated = testing::WriteAll(folder_.filePath("probe"), "x");
    SaveResult result;
    if (!probeCreated) {
        result = Save(FlatPicture(4, 4, 2, QImage::Format_RGB32), target_, "png");
    }
    if (immutable) QProcess::execute("chattr", {"-i", folder_.path()});
    ::chmod(QFile::encodeName(folder_.path()).constData(), 0755);
    if (probeCreated) GTEST_SKIP() << "this folder cannot be made unwritable here";
    EXPECT_EQ(result.error, SaveError::FolderNotWritable);
    EXPECT_FALSE(result.description.isEmpty());
    EXPECT_EQ(ReadAll(target_), kOld);
    ExpectOnlyTarget();
}

TEST(SaveFailure, MissingFolderOrAFolderAsTargetIsReported) {
    QTemporaryDir folder;
    const QImage picture = FlatPicture(4, 4, 2, QImage::Format_RGB32);
    EXPECT_EQ(Save(picture, folder.filePath("nowhere/x.png"), "png").error,
              SaveError::FolderNotWritable);
    EXPECT_FALSE(Save(picture, folder.path(), "png").ok());
    EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files).isEmpty());
}

}  // namespace
}  // namespace orv
