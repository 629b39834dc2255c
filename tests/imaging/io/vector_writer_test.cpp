// The SVG and PDF writers: any text in names and metadata stays well-formed XML and comes back
// as written; the picture comes back pixel for pixel from other programs' renderers; a file
// the device cannot take is the device's error and leaves an old file as it was.
#include "imaging/io/VectorWriter.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <cstring>

#include "../ImagingFiles.h"
#include "platform/ReplacingFile.h"

namespace orv::test {
namespace {

QImage Noise(int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    QRandomGenerator random(5);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) picture.setPixel(x, y, random.generate() | 0xff000000u);
    return picture;
}

bool RunProgram(const char* program, const QStringList& args) {
    const QString found = QStandardPaths::findExecutable(QString::fromLatin1(program));
    if (found.isEmpty()) return false;
    QProcess process;
    process.start(found, args);
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// Names, titles and metadata holding XML's own characters, a CDATA end and Chinese text are
// written so that the document parses and gives each back exactly.
TEST(VectorWriter, AnyTextInNamesAndMetadataComesBackFromTheSvgAsWritten) {
    VectorDocument doc;
    doc.picture = Noise(8, 6);
    doc.title = QStringLiteral("a <b> & \"c\"");
    doc.metadata = QStringLiteral(R"({"text":"]]> <x> & 'q' 峰值"})").toUtf8();
    doc.metadataName = QStringLiteral("m&m");
    doc.groups.push_back(
        {QStringLiteral("note-1"), QStringLiteral("Note 1 — <\"峰\"> & ]]>"), [](QPainter& p) {
             p.setPen(Qt::red);
             p.drawText(QPointF(1, 5), QStringLiteral("<&>"));
         }});
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QString why;
    ASSERT_TRUE(WriteSvg(doc, out, why)) << why.toStdString();

    QXmlStreamReader xml(out.data());
    QStringList titles, texts;
    QString metadata, metadataId, label;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.name() == u"title") {
            titles << xml.readElementText();
        } else if (xml.name() == u"metadata") {
            metadataId = xml.attributes().value("id").toString();
            metadata = xml.readElementText();
        } else if (xml.name() == u"text") {
            texts << xml.readElementText();
        } else if (xml.name() == u"g" && xml.attributes().hasAttribute("id")) {
            label = xml.attributes()
                        .value("http://www.inkscape.org/namespaces/inkscape", "label")
                        .toString();
        }
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(titles, QStringList({doc.title, doc.groups[0].title}));
    EXPECT_EQ(label, doc.groups[0].title);
    EXPECT_EQ(metadata.toUtf8(), doc.metadata);
    EXPECT_EQ(metadataId, doc.metadataName);
    EXPECT_EQ(texts, QStringList{QStringLiteral("<&>")});
}

// A picture alone, saved under an .svg or .pdf name by the ordinary saver, is drawn back pixel
// for pixel by rsvg-convert and by pdftoppm at the document's own size (odd sizes included).
TEST(VectorWriter, ThePictureComesBackPixelForPixelFromOtherRenderers) {
    QTemporaryDir dir;
    const QImage picture = Noise(333, 101);
    const QString svg = dir.filePath(QStringLiteral("noise.SVG"));
    const QString pdf = dir.filePath(QStringLiteral("noise.pdf"));
    ASSERT_TRUE(
        SavePictureWithEncoder(picture, svg, QStringLiteral("SVG"), 80, 24, kTiffCompressionNone)
            .ok());
    ASSERT_TRUE(
        SavePictureWithEncoder(picture, pdf, QStringLiteral("pdf"), 80, 24, kTiffCompressionNone)
            .ok());
    EXPECT_TRUE(ReadFile(svg).contains("viewBox=\"0 0 333 101\""));
    EXPECT_FALSE(ReadFile(svg).contains("<g "));
    EXPECT_TRUE(ReadFile(pdf).startsWith("%PDF-"));

    if (QStandardPaths::findExecutable(QStringLiteral("rsvg-convert")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        GTEST_SKIP() << "librsvg2-bin or poppler-utils is not installed";
    const QString fromSvg = dir.filePath(QStringLiteral("svg.png"));
    ASSERT_TRUE(RunProgram("rsvg-convert", {"-f", "png", "-o", fromSvg, svg}));
    EXPECT_EQ(QImage(fromSvg).convertToFormat(QImage::Format_RGB32), picture);
    ASSERT_TRUE(RunProgram(
        "pdftoppm", {"-r", "72", "-png", "-singlefile", pdf, dir.filePath(QStringLiteral("pdf"))}));
    EXPECT_EQ(QImage(dir.filePath(QStringLiteral("pdf.png"))).convertToFormat(QImage::Format_RGB32),
              picture);
}

// Stores what fits of `capacity` bytes, then fails as a full disk does.
class FullDisk : public ByteSink {
  public:
    explicit FullDisk(qint64 capacity) : capacity_(capacity) {}
    FileStatus WriteAt(std::uint64_t offset, const void*, std::size_t size) override {
        if (qint64(offset + size) > capacity_) return {FileFault::DiskFull, "no space"};
        return {};
    }

  private:
    qint64 capacity_;
};

// A disk that fills up anywhere in the document is a full disk (61), never a writer failure;
// a folder that cannot be written is 75, and nothing is left behind.
TEST(VectorWriter, ADocumentTheDeviceCannotTakeIsTheDevicesErrorAndKeepsTheOldFile) {
    const QImage picture = Noise(640, 480);
    for (const char* extension : {"svg", "pdf"}) {
        SCOPED_TRACE(extension);
        QBuffer whole;
        whole.open(QIODevice::WriteOnly);
        QString why;
        const VectorDocument doc{picture, {}, {}, {}, {}};
        ASSERT_TRUE(QByteArray(extension) == "svg" ? WriteSvg(doc, whole, why)
                                                   : WritePdf(doc, whole, why));
        const qint64 size = whole.data().size();
        for (const qint64 capacity : {qint64(0), qint64(100), size / 2, size - 1}) {
            SCOPED_TRACE(capacity);
            FullDisk disk(capacity);
            EXPECT_EQ(EncodePictureTo(disk, picture, QString::fromLatin1(extension), 80, 24,
                                      kTiffCompressionNone)
                          .error,
                      SaveError::DiskFull);
        }
        FullDisk roomy(size + 4096);
        EXPECT_TRUE(EncodePictureTo(roomy, picture, QString::fromLatin1(extension), 80, 24,
                                    kTiffCompressionNone)
                        .ok());
    }

    // A folder that cannot hold the file: its name is taken by a file.
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("file"));
    ASSERT_TRUE(WriteFile(file, "old"));
    const VectorDocument doc{picture, {}, {}, {}, {}};
    EXPECT_EQ(SaveVectorDocument(doc, file + "/x.pdf", VectorFormat::Pdf).error,
              SaveError::FolderNotWritable);
    EXPECT_EQ(ReadFile(file), QByteArray("old"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"file"});
}

}  // namespace
}  // namespace orv::test
