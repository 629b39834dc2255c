// Layered PSD saves as other programs see them: ImageMagick lists the layers and its reading
// of the composite is the merged picture, pixel for pixel; the "psd" extension picks the
// layered writer; a save into a folder that cannot be written fails and says so.
#include "imaging/io/PictureSaver.h"
#include "imaging/io/PsdSaver.h"

#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "../ImagingFiles.h"
#include "imaging/psd/cpsd.h"

namespace orv::test {
namespace {

QImage Merged(int w, int h) {
    QImage picture(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            picture.setPixel(x, y, qRgb(x * 255 / w, y * 255 / h, (x * 7 ^ y * 3) & 0xff));
    return picture;
}

// A marker: a translucent red bar with an opaque tick, on a transparent layer.
QImage Marker() {
    QImage layer(24, 6, QImage::Format_ARGB32);
    layer.fill(Qt::transparent);
    QPainter p(&layer);
    p.fillRect(0, 2, 24, 2, QColor(255, 0, 0, 160));
    p.fillRect(0, 0, 1, 6, QColor(0, 0, 255));
    return layer;
}

TEST(PsdSave, ImageMagickSeesTheLayersAndTheMergedPicture) {
    if (!HaveImageMagick()) GTEST_SKIP() << "ImageMagick is not installed";
    QTemporaryDir dir;
    LayeredPicture doc;
    doc.merged = Merged(61, 33);
    doc.layers.push_back({QStringLiteral("Picture"), {0, 0}, Merged(61, 33), true});
    doc.layers.push_back({QStringLiteral("Distance 1 — 311px"), {10, 20}, Marker(), true});
    doc.layers.push_back({QStringLiteral("Colour 2 — #6C5CE7"), {40, 3}, Marker(), false});
    doc.privateData = QByteArrayLiteral("{\"version\":1}");
    const QString path = dir.filePath(QStringLiteral("markup.psd"));
    const SaveResult saved = SaveLayeredPsd(doc, path);
    ASSERT_TRUE(saved.ok()) << saved.description.toStdString();

    const auto listed = ImageMagick(
        "identify", {QStringLiteral("-format"), QStringLiteral("%[scene] %wx%h %X%Y|"), path});
    ASSERT_TRUE(listed);
    // The last layer reaches past the right edge and is cut to the picture's 61 columns.
    EXPECT_EQ(listed->toStdString(), "0 61x33 +0+0|1 61x33 +0+0|2 24x6 +10+20|3 21x6 +40+3|");

    const QString png = dir.filePath(QStringLiteral("composite.png"));
    ASSERT_TRUE(ImageMagick("convert", {path + QStringLiteral("[0]"), png}));
    const QImage composite = QImage(png).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(composite, doc.merged);

    cpsd reader;  // our own reader takes it too, and finds our bytes
    ASSERT_TRUE(reader.LoadPsdFile(path));
    EXPECT_EQ(reader.Bitmap(), doc.merged);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(reader.PrivateResource().data()),
                         qsizetype(reader.PrivateResource().size())),
              doc.privateData);
}

TEST(PsdSave, ThePsdExtensionWritesAFlatPictureAsOneLayer) {
    EncoderId found = EncoderId::None;
    EXPECT_TRUE(EncoderClsidForExtension(QStringLiteral("PSD"), found));
    EXPECT_EQ(found, EncoderId::Psd);
    EXPECT_TRUE(EncoderClsidForExtension(QStringLiteral("png"), found));
    EXPECT_EQ(found, EncoderId::Png);  // the rows before it keep their place

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("flat.psd"));
    const QImage picture = Merged(20, 10);
    ASSERT_TRUE(
        SavePictureWithEncoder(picture, path, QStringLiteral("psd"), 80, 24, kTiffCompressionNone)
            .ok());
    cpsd reader;
    ASSERT_TRUE(reader.LoadPsdFile(path));
    EXPECT_EQ(reader.Bitmap(), picture);
    EXPECT_TRUE(reader.PrivateResource().empty());

    // A second save of the same picture gives the same bytes; a save into a missing folder
    // fails without leaving anything behind.
    const QByteArray first = ReadFile(path);
    ASSERT_TRUE(SaveLayeredPsd(FlatLayeredPicture(picture), path).ok());
    EXPECT_EQ(ReadFile(path), first);
    const QString nowhere = dir.filePath(QStringLiteral("missing/x.psd"));
    const SaveResult failed = SaveLayeredPsd(FlatLayeredPicture(picture), nowhere);
    EXPECT_EQ(failed.error, SaveError::FolderNotWritable);
    EXPECT_FALSE(QFile::exists(nowhere));
    EXPECT_EQ(SaveLayeredPsd(LayeredPicture{}, path).error, SaveError::EmptyPicture);
    EXPECT_EQ(ReadFile(path), first);
}

}  // namespace
}  // namespace orv::test
