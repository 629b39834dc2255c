// The adaptive GIF palette: every pixel goes to its truly nearest entry (the pruned search must
// never stop early), and a UI-like picture keeps its common colours exact.
#include "imaging/io/PictureWriters.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace orv::test {
namespace {

int Distance(QRgb a, QRgb b) {
    const int dr = qRed(a) - qRed(b), dg = qGreen(a) - qGreen(b), db = qBlue(a) - qBlue(b);
    return dr * dr + dg * dg + db * db;
}

QImage RandomPicture(int width, int height, quint32 seed) {
    QImage picture(width, height, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < width; ++x) line[x] = 0xff000000u | random.bounded(0x1000000u);
    }
    return picture;
}

// Random colours, both with every colour in the histogram (few pixels) and with a sample of
// them (many pixels, mapped in bands): no pixel has a palette entry nearer than the one it got.
TEST(GifPalette, EveryPixelGetsItsNearestEntry) {
    for (const QSize size : {QSize(200, 150), QSize(1200, 900)}) {
        SCOPED_TRACE(size.width());
        const QImage picture = RandomPicture(size.width(), size.height(), 7);
        QList<QRgb> palette;
        QByteArray indices;
        ASSERT_TRUE(detail::QuantizedPalette(picture, palette, indices));
        ASSERT_GT(palette.size(), 128);
        ASSERT_LE(palette.size(), 256);
        ASSERT_EQ(indices.size(), qsizetype(size.width()) * size.height());
        qsizetype wrong = 0;
        for (int y = 0, i = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x, ++i) {
                const QRgb pixel = picture.pixel(x, y);
                const uint8_t given = uint8_t(indices[i]);
                ASSERT_LT(given, palette.size());
                int best = INT32_MAX;
                for (const QRgb entry : palette) best = std::min(best, Distance(pixel, entry));
                wrong += Distance(pixel, palette[given]) != best;
            }
        }
        EXPECT_EQ(wrong, 0);
    }
}

// 200 flat colours over most of the picture and a thousand rare ones (antialiasing): the flat
// colours come out exact, so at least 99 % of the pixels do.
TEST(GifPalette, CommonColoursOfAUiPictureStayExact) {
    QImage picture(800, 500, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            const int block = (y / 25) * 10 + x / 80;  // 20 × 10 blocks
            line[x] = qRgb(block * 37 % 256, block * 91 % 256, 255 - block);
        }
    }
    QRandomGenerator random(3);
    for (int i = 0; i < 1000; ++i) {
        picture.setPixel(int(random.bounded(800)), int(random.bounded(500)),
                         0xff000000u | random.bounded(0x1000000u));
    }
    const QImage source = picture.copy();
    QList<QRgb> palette;
    QByteArray indices;
    ASSERT_TRUE(detail::QuantizedPalette(picture, palette, indices));
    qsizetype exact = 0;
    for (int y = 0, i = 0; y < source.height(); ++y) {
        for (int x = 0; x < source.width(); ++x, ++i) {
            exact += (palette[uint8_t(indices[i])] | 0xff000000u) == source.pixel(x, y);
        }
    }
    EXPECT_GE(double(exact) / (800.0 * 500.0), 0.99);
}

}  // namespace
}  // namespace orv::test
