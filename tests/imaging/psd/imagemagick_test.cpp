// Files written by a real tool: ImageMagick writes small PSDs, and its own reading of each
// file's channel values, put through the reader's conversions, must match our picture.
#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <optional>
#include <ostream>

#include "cpsd.h"

namespace orv {
namespace {

const QString kConvert = QStringLiteral("convert-im6.q16");

struct Variant {
    const char* colourspace;  // ImageMagick colourspace written to the file
    const char* rawFormat;    // ImageMagick's raw output of the channels
    int channels;
    int depth;
    const char* compression;
};

std::string Name(const ::testing::TestParamInfo<Variant>& info) {
    const Variant& v = info.param;
    return std::string(v.colourspace) + std::to_string(v.depth) + v.compression;
}

void PrintTo(const Variant& v, std::ostream* os) {
    *os << v.colourspace << ", " << v.depth << " bits, compression " << v.compression;
}

// Runs ImageMagick; its standard output, or nothing when it failed.
std::optional<QByteArray> RunConvert(const QStringList& args) {
    QProcess p;
    p.start(kConvert, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return std::nullopt;
    return p.readAllStandardOutput();
}

class ImageMagickPsd : public ::testing::TestWithParam<Variant> {
  protected:
    static constexpr int kWidth = 23;
    static constexpr int kHeight = 17;

    void SetUp() override {
        if (QStandardPaths::findExecutable(kConvert).isEmpty())
            GTEST_SKIP() << "ImageMagick (convert-im6.q16) is not installed";
        ASSERT_TRUE(dir_.isValid());
    }

    QTemporaryDir dir_;
};

TEST_P(ImageMagickPsd, PixelsMatchTheToolsChannelValues) {
    const Variant& v = GetParam();
    const QString source = dir_.filePath("source.png");
    const QString psd = dir_.filePath("picture.psd");
    ASSERT_TRUE(
        RunConvert({"-seed", "42", "-size", QStringLiteral("%1x%2").arg(kWidth).arg(kHeight),
                    "plasma:", "-depth", "8", source}));
    ASSERT_TRUE(RunConvert({source, "-colorspace", v.colourspace, "-depth",
                            QString::number(v.depth), "-compress", v.compression, psd}));
    // The composite image, each sample as 16 bits, most significant byte first.
    const QByteArray raw = RunConvert({psd + "[0]", "-depth", "16", "-endian", "MSB",
                                       QStringLiteral("%1:-").arg(v.rawFormat)})
                               .value_or(QByteArray());
    ASSERT_EQ(raw.size(), kWidth * kHeight * v.channels * 2);

    cpsd reader;
    ASSERT_TRUE(reader.LoadPsdFile(psd));
    const QImage& img = reader.Bitmap();
    ASSERT_EQ(img.size(), QSize(kWidth, kHeight));

    int mismatches = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            // High byte of each channel; the tool reports CMYK as ink, the file stores
            // 255 minus the ink.
            int c[4] = {};
            for (int ch = 0; ch < v.channels; ++ch) {
                c[ch] = static_cast<uint8_t>(raw[((y * kWidth + x) * v.channels + ch) * 2]);
                if (v.channels == 4) c[ch] = 255 - c[ch];
            }
            QRgb want = qRgb(c[0], c[1], c[2]);
            if (v.channels == 1) want = qRgb(c[0], c[0], c[0]);
            if (v.channels == 4)
                want = qRgb(cpsd::ksCheckBounds(c[0] + c[3] - 255),
                            cpsd::ksCheckBounds(c[1] + c[3] - 255),
                            cpsd::ksCheckBounds(c[2] + c[3] - 255));
            if (img.pixel(x, y) != want && ++mismatches <= 3)
                ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << img.pixel(x, y)
                              << " instead of " << want;
        }
    }
    EXPECT_EQ(mismatches, 0);
}

INSTANTIATE_TEST_SUITE_P(
    RealFiles, ImageMagickPsd,
    ::testing::Values(Variant{"sRGB", "rgb", 3, 8, "None"}, Variant{"sRGB", "rgb", 3, 8, "RLE"},
                      Variant{"sRGB", "rgb", 3, 16, "None"}, Variant{"sRGB", "rgb", 3, 16, "RLE"},
                      Variant{"Gray", "gray", 1, 8, "None"}, Variant{"Gray", "gray", 1, 8, "RLE"},
                      Variant{"Gray", "gray", 1, 16, "None"}, Variant{"Gray", "gray", 1, 16, "RLE"},
                      Variant{"CMYK", "cmyk", 4, 8, "None"}, Variant{"CMYK", "cmyk", 4, 8, "RLE"},
                      Variant{"CMYK", "cmyk", 4, 16, "None"},
                      Variant{"CMYK", "cmyk", 4, 16, "RLE"}),
    Name);

}  // namespace
}  // namespace orv
