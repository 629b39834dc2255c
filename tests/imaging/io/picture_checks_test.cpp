// Refusals the loaders make before decoding: cut GIF, BMP, PNG and JPEG files, run-length BMPs
// without their end, PSB documents, FIFOs; and files whose header promises a huge picture,
// which must be refused quickly and with little memory (measured in a child process).
#include "imaging/io/DecodedPictures.h"
#include "imaging/io/PictureChecks.h"
#include "imaging/io/PictureLoader.h"
#include "imaging/psd/cpsd.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QImageWriter>

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <functional>

#include "../../shell/PictureFiles.h"
#include "../ImagingFiles.h"
#include "ChildProcess.h"

namespace orv::test {
namespace {

// A picture with many colours, so that compressed data fills most of each file.
QImage Rich(int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, qRgb(x * 7 % 256, y * 13 % 256, (x * y) % 256));
    return picture;
}

QByteArray Jpeg(const QImage& picture, bool progressive) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(progressive);
    writer.setQuality(90);
    EXPECT_TRUE(writer.write(picture));
    return buffer.data();
}

// Puts a big-endian 16-bit value at `at`.
void Put16(QByteArray& bytes, qsizetype at, int value) {
    bytes[at] = char(value >> 8);
    bytes[at + 1] = char(value & 0xff);
}

// A BMP of width × height 8-bit pixels whose data is the given run-length stream.
QByteArray Rle8Bmp(int width, int height, const QByteArray& stream) {
    QByteArray b("BM");
    const auto le32 = [&b](uint32_t v) {
        for (int i = 0; i < 4; ++i) b.append(char(v >> (8 * i)));
    };
    const auto le16 = [&b](int v) { b.append(char(v & 0xff)).append(char(v >> 8)); };
    const uint32_t offset = 14 + 40 + 2 * 4;
    le32(offset + uint32_t(stream.size()));
    le32(0);
    le32(offset);
    le32(40);
    le32(uint32_t(width));
    le32(uint32_t(height));
    le16(1);
    le16(8);
    le32(1);  // RLE8
    le32(uint32_t(stream.size()));
    le32(2835);
    le32(2835);
    le32(2);
    le32(0);
    b.append(QByteArray("\x00\x00\xff\x00\xff\x00\x00\x00", 8));  // red (index 0), blue (1)
    return b.append(stream);
}

// The CRC-32 of PNG chunks.
uint32_t Crc32(const QByteArray& bytes) {
    uint32_t crc = 0xffffffffu;
    for (const char c : bytes) {
        crc ^= uint8_t(c);
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

// A well-formed interlaced 8-bit grey PNG of width × height whose image data is `raw`.
QByteArray GreyPng(int width, int height, const QByteArray& raw) {
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    const auto be32 = [](QByteArray& b, uint32_t v) {
        for (int i = 3; i >= 0; --i) b.append(char(v >> (8 * i)));
    };
    const auto chunk = [&](const char* type, const QByteArray& body) {
        be32(png, uint32_t(body.size()));
        const QByteArray typed = QByteArray(type, 4) + body;
        png.append(typed);
        be32(png, Crc32(typed));
    };
    QByteArray header;
    be32(header, uint32_t(width));
    be32(header, uint32_t(height));
    header.append(QByteArray("\x08\x00\x00\x00\x01", 5));
    chunk("IHDR", header);
    chunk("IDAT", qCompress(raw, 9).mid(4));  // without Qt's length prefix: a zlib stream
    chunk("IEND", QByteArray());
    return png;
}

class PictureChecksTest : public ::testing::Test {
  protected:
    void SetUp() override { ForgetDecodedPictures(); }
    // Both loaders on a file: whether either produced a picture, and the refusal reason.
    bool Loads(const QString& path, QString* reason = nullptr) {
        const OpenAttempt attempt;
        int w = -1, h = -1;
        const bool asPicture = !LoadImageAsPicture(path, w, h, 0xffffff, false).isNull();
        const bool standard = !LoadPicture(path).isNull();
        if (reason) *reason = attempt.Reason();
        return asPicture || standard;
    }
    PictureFiles files;
};

// Every kind refused when cut anywhere in its picture data, and read when whole.
TEST_F(PictureChecksTest, FilesCutShortAreRefusedWholeFilesLoad) {
    const QImage picture = Rich(160, 120);
    QBuffer png, bmp;
    png.open(QIODevice::WriteOnly);
    bmp.open(QIODevice::WriteOnly);
    ASSERT_TRUE(picture.save(&png, "png") && picture.save(&bmp, "bmp"));
    QBuffer bmp8;
    bmp8.open(QIODevice::WriteOnly);
    ASSERT_TRUE(picture.convertToFormat(QImage::Format_Indexed8).save(&bmp8, "bmp"));
    const QString gif = files.Save(QStringLiteral("whole.gif"), picture, "gif");
    ASSERT_FALSE(gif.isEmpty());
    const std::pair<const char*, QByteArray> kinds[] = {
        {"png", png.data()}, {"jpg", Jpeg(picture, false)}, {"jpg", Jpeg(picture, true)},
        {"bmp", bmp.data()}, {"bmp", bmp8.data()},          {"gif", ReadFile(gif)}};
    int n = 0;
    for (const auto& [extension, whole] : kinds) {
        const QString name = QStringLiteral("f%1.%2").arg(++n).arg(QLatin1String(extension));
        SCOPED_TRACE(name.toStdString());
        EXPECT_TRUE(Loads(files.Write(name, whole)));
        for (const double part : {0.3, 0.6, 0.9, 0.99}) {
            const qsizetype keep = qsizetype(double(whole.size()) * part);
            SCOPED_TRACE(keep);
            QString reason;
            EXPECT_FALSE(
                Loads(files.Write(QStringLiteral("cut-") + name, whole.left(keep)), &reason));
            EXPECT_EQ(reason, QStringLiteral("the file ends early or is damaged"));
        }
    }
}

// A run-length BMP is read when its stream reaches its end, refused when the file ends first.
TEST_F(PictureChecksTest, RunLengthBmpMustReachItsEnd) {
    // Row 0 (bottom): 3 red, 1 blue; end of line; row 1: a literal run of 4; end of bitmap.
    const QByteArray rows("\x03\x00\x01\x01\x00\x00\x00\x04\x01\x00\x01\x00", 12);
    const QString whole =
        files.Write(QStringLiteral("rle.bmp"), Rle8Bmp(4, 2, rows + QByteArray("\x00\x01", 2)));
    const QImage picture = LoadPicture(whole);
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.pixel(0, 1), qRgb(255, 0, 0));
    EXPECT_EQ(picture.pixel(3, 1), qRgb(0, 0, 255));
    EXPECT_EQ(picture.pixel(0, 0), qRgb(0, 0, 255));
    EXPECT_EQ(picture.pixel(1, 0), qRgb(255, 0, 0));
    for (const int keep : {2, 5, 8, 11}) {
        SCOPED_TRACE(keep);
        EXPECT_FALSE(Loads(files.Write(QStringLiteral("cut.bmp"), Rle8Bmp(4, 2, rows.left(keep)))));
    }
    // Ending every row counts as reaching the end.
    EXPECT_FALSE(
        LoadPicture(files.Write(QStringLiteral("lines.bmp"),
                                Rle8Bmp(2, 2, QByteArray("\x02\x01\x00\x00\x02\x00\x00\x00", 8))))
            .isNull());
}

TEST_F(PictureChecksTest, PsbDocumentsAndNonFilesAreRefused) {
    const QString good = files.SolidPsd(QStringLiteral("a.psd"), 8, 8, Qt::red);
    QByteArray psb = ReadFile(good);
    Put16(psb, 4, 2);
    cpsd reader;
    EXPECT_TRUE(reader.LoadPsdFile(good));
    EXPECT_FALSE(reader.LoadPsdFile(files.Write(QStringLiteral("b.psd"), psb)));
    Put16(psb, 4, 1);
    EXPECT_TRUE(reader.LoadPsdFile(files.Write(QStringLiteral("c.psd"), psb)));

    // A FIFO would block open() until a writer came: run in a child that an alarm ends.
    const QString fifo = files.Path(QStringLiteral("pipe.png"));
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        alarm(20);
        QString reason;
        cpsd psd;
        const bool refused = !Loads(fifo, &reason) && !psd.LoadPsdFile(fifo) &&
                             reason == QStringLiteral("it is not a regular file");
        _exit(refused ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status)) << "the child hung or crashed";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_FALSE(Loads(files.Path(QString())));  // the folder itself
}

// Runs `load` in a child process and returns its peak resident memory in kB, or -1 when the
// child failed; `loaded` tells whether load produced a picture.
long PeakKbOfLoad(const std::function<bool()>& load, bool& loaded, double& seconds) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return -1;
    const pid_t child = fork();
    if (child < 0) return -1;
    if (child == 0) {
        close(pipeEnds[0]);
        alarm(120);
        // Counts the peak from here on, not what the test process held before.
        if (FILE* refs = std::fopen("/proc/self/clear_refs", "w")) {
            std::fputs("5", refs);
            std::fclose(refs);
        }
        QElapsedTimer timer;
        timer.start();
        const bool ok = load();
        const double took = double(timer.nsecsElapsed()) / 1e9;
        long peak = -1;
        if (FILE* status = std::fopen("/proc/self/status", "r")) {
            char line[256];
            while (std::fgets(line, sizeof line, status))
                if (std::strncmp(line, "VmHWM:", 6) == 0) peak = std::atol(line + 6);
            std::fclose(status);
        }
        char out[128];
        const int n = std::snprintf(out, sizeof out, "%d %ld %f", ok ? 1 : 0, peak, took);
        if (write(pipeEnds[1], out, size_t(n)) != n) _exit(2);
        _exit(0);
    }
    close(pipeEnds[1]);
    char in[128] = {};
    const ssize_t got = read(pipeEnds[0], in, sizeof in - 1);
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (got <= 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    int ok = 0;
    long peak = -1;
    if (std::sscanf(in, "%d %ld %lf", &ok, &peak, &seconds) != 3) return -1;
    loaded = ok != 0;
    return peak;
}

// Small files that claim huge pictures are refused, quickly and with little memory.
TEST_F(PictureChecksTest, SmallFilesClaimingHugePicturesAreRefusedCheaply) {
    // 16384² interlaced grey whose data stops after 32 MB of the 268 MB it needs.
    const QByteArray png = GreyPng(16384, 16384, QByteArray(32 << 20, '\0'));
    // The same writer makes a picture that loads (Adam7 needs 10 bytes for 3 × 2).
    ASSERT_TRUE(Loads(files.Write(QStringLiteral("small.png"), GreyPng(3, 2, QByteArray(10, 0)))));
    QByteArray jpeg = Jpeg(Rich(64, 64), true);
    const qsizetype sof = jpeg.indexOf("\xff\xc2");
    ASSERT_GT(sof, 0);
    Put16(jpeg, sof + 5, 16384);
    Put16(jpeg, sof + 7, 16384);
    // 16384² RLE8: a few short runs and then the file ends.
    const QByteArray bmp = Rle8Bmp(16384, 16384, QByteArray(1000, '\x10'));

    psdtest::PsdFile header;  // 30000² RGB, no image data at all
    header.width = header.height = 30000;
    psdtest::Bytes psd62 = psdtest::Build(header);
    psd62.resize(62, 0);
    // 23000² Lab, PackBits: every row one run of 128 repeated bytes after another.
    const int side = 23000;
    QByteArray lab("8BPS\x00\x01\x00\x00\x00\x00\x00\x00\x00\x03", 14);
    for (const int v :
         {side >> 16, side & 0xffff, side >> 16, side & 0xffff, 8, 9, 0, 0, 0, 0, 0, 0, 1})
        lab.append(char(v >> 8)).append(char(v & 0xff));
    const int runsPerRow = (side + 127) / 128;
    for (int row = 0; row < 3 * side; ++row)
        lab.append(char((2 * runsPerRow) >> 8)).append(char(2 * runsPerRow & 0xff));
    QByteArray packedRow;
    for (int i = 0; i < runsPerRow; ++i) packedRow.append("\x81\x40", 2);
    lab.append(packedRow.repeated(3 * side));
    ASSERT_GT(lab.size(), 20'000'000);

    const std::pair<QString, QByteArray> bombs[] = {
        {QStringLiteral("bomb.png"), png},
        {QStringLiteral("bomb.jpg"), jpeg},
        {QStringLiteral("bomb.bmp"), bmp},
        {QStringLiteral("bomb62.psd"),
         QByteArray(reinterpret_cast<const char*>(psd62.data()), qsizetype(psd62.size()))},
        {QStringLiteral("lab.psd"), lab}};
    for (const auto& [name, bytes] : bombs) {
        SCOPED_TRACE(name.toStdString());
        const QString path = files.Write(name, bytes);
        ASSERT_FALSE(path.isEmpty());
        bool loaded = true;
        double seconds = 0;
        const long peakKb = PeakKbOfLoad(
            [&, path = path] {
                if (path.endsWith(QStringLiteral(".psd"))) return cpsd().LoadPsdFile(path);
                return Loads(path);
            },
            loaded, seconds);
        ASSERT_GE(peakKb, 0) << "the child failed";
        EXPECT_FALSE(loaded);
        if (orv::test::kPeakMemoryIsMeaningful) {
            EXPECT_LT(peakKb, 200 * 1024);
        }
        std::printf("  %-11s %9lld bytes: refused in %.3f s, peak %ld kB\n", qPrintable(name),
                    static_cast<long long>(bytes.size()), seconds, peakKb);
    }
}

}  // namespace
}  // namespace orv::test
