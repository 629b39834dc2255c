// The nearest-colour table's pruning never drops the true nearest entry (nor the lower index of
// two equally near ones), the banded mapping hands out every row as the table would map it,
// and the palette of a photo-like picture keeps its error low.
#include "imaging/io/NearestColourTable.h"
#include "imaging/io/PaletteMapping.h"
#include "imaging/io/PictureWriters.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

namespace orv::test {
namespace {

int Distance(QRgb a, QRgb b) {
    const int dr = qRed(a) - qRed(b), dg = qGreen(a) - qGreen(b), db = qBlue(a) - qBlue(b);
    return dr * dr + dg * dg + db * db;
}

// The nearest entry of lowest index, by trying every one.
int BruteNearest(const QList<QRgb>& palette, QRgb colour) {
    int best = 0;
    for (qsizetype i = 1; i < palette.size(); ++i) {
        if (Distance(colour, palette[i]) < Distance(colour, palette[best])) best = int(i);
    }
    return best;
}

QList<QRgb> RandomPalette(int size, QRandomGenerator& random) {
    QList<QRgb> palette;
    for (int i = 0; i < size; ++i) palette.append(0xff000000u | random.bounded(0x1000000u));
    return palette;
}

// Palettes of every shape: one entry, a few far apart, a full random one, and a dense cluster
// with duplicates (many candidates per cell, many ties); the colours asked include the corners
// of the cube and the cell borders, where pruning goes wrong first.
TEST(NearestColourTable, AgreesWithTryingEveryEntry) {
    QRandomGenerator random(11);
    std::vector<QList<QRgb>> palettes = {{qRgb(200, 10, 30)},
                                         {qRgb(0, 0, 0), qRgb(255, 255, 255), qRgb(255, 0, 0)},
                                         RandomPalette(256, random)};
    QList<QRgb> cluster;
    for (int i = 0; i < 256; ++i) {
        cluster.append(qRgb(100 + int(random.bounded(12)), 60 + int(random.bounded(12)),
                            180 + int(random.bounded(12))));
    }
    palettes.push_back(cluster);
    for (std::size_t p = 0; p < palettes.size(); ++p) {
        SCOPED_TRACE(p);
        detail::NearestColourTable table(palettes[p]);
        std::vector<QRgb> colours;
        for (int r : {0, 3, 4, 127, 128, 255}) {
            for (int g : {0, 7, 8, 100, 255}) {
                for (int b : {0, 1, 4, 191, 252, 255}) colours.push_back(qRgb(r, g, b));
            }
        }
        for (int i = 0; i < 20000; ++i) colours.push_back(random.bounded(0x1000000u));
        for (int i = 0; i < 5000; ++i) {  // around the cluster
            colours.push_back(qRgb(90 + int(random.bounded(32)), 50 + int(random.bounded(32)),
                                   170 + int(random.bounded(32))));
        }
        int wrong = 0;
        for (const QRgb colour : colours) {
            wrong += table(colour) != BruteNearest(palettes[p], colour);
        }
        EXPECT_EQ(wrong, 0);
    }
}

// Pruning is what makes the table fast: with a full palette spread over the cube, a cell keeps
// only a few of the 256 entries.
TEST(NearestColourTable, KeepsFewCandidatesPerCell) {
    QRandomGenerator random(5);
    detail::NearestColourTable table(RandomPalette(256, random));
    double total = 0;
    for (int i = 0; i < 2000; ++i) total += table.CandidatesFor(random.bounded(0x1000000u));
    EXPECT_LT(total / 2000, 16.0);
}

// A palette crowded into a corner makes every far cell keep all 256 entries: asking one colour
// of each of the 262,144 cells overflows the store many times over, yet it stays bounded and
// the answers stay right after each time it starts again.
TEST(NearestColourTable, StaysBoundedForACrowdedPalette) {
    QList<QRgb> crowded;
    for (int i = 0; i < 256; ++i) crowded.append(qRgb(i % 8, i / 8 % 8, i / 64));
    detail::NearestColourTable table(crowded);
    int wrong = 0;
    std::size_t most = 0;
    for (int r = 0; r < 256; r += 4) {
        for (int g = 0; g < 256; g += 4) {
            for (int b = 0; b < 256; b += 4) {
                const QRgb colour = qRgb(r, g, b);
                const int nearest = table(colour);
                most = std::max(most, table.StoredCandidates());
                if ((r + g + b) % 60 == 0) wrong += nearest != BruteNearest(crowded, colour);
            }
        }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_LE(most, detail::NearestColourTable::kMaxCandidates);
    EXPECT_GT(most, detail::NearestColourTable::kMaxCandidates / 2);  // it did fill up
}

QImage NoisyGradient(int width, int height, quint32 seed) {
    QImage picture(width, height, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const auto channel = [&](double value) {
                const double noise = double(random.bounded(13)) - 6;  // flat, -6 .. 6
                return std::clamp(int(std::lround(value + noise)), 0, 255);
            };
            const double u = double(x) / width, v = double(y) / height;
            line[x] = qRgb(channel(120 + 90 * std::sin(3.1 * u + 1.3 * v)),
                           channel(110 + 70 * std::cos(2.3 * v - 0.7 * u)),
                           channel(140 + 80 * std::sin(1.7 * (u + v) + 2.0)));
        }
    }
    return picture;
}

// Rows asked for in order while the helpers still work (as the GIF writer does), and all rows
// at once, both match the table's answer for every pixel; a mapping dropped unfinished stops.
TEST(PaletteMapping, EveryRowAsTheTableMapsIt) {
    const QImage picture = NoisyGradient(1500, 900, 2);  // over a million pixels: threaded
    QRandomGenerator random(8);
    const QList<QRgb> palette = RandomPalette(256, random);
    detail::NearestColourTable table(palette);
    detail::PaletteMapping byRow(picture, palette);
    qsizetype wrong = 0;
    for (int y = 0; y < picture.height(); ++y) {
        const uint8_t* row = byRow.Row(y);
        ASSERT_NE(row, nullptr);
        for (int x = 0; x < picture.width(); ++x) wrong += row[x] != table(picture.pixel(x, y));
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(byRow.Row(picture.height()), nullptr);

    const QByteArray all = detail::PaletteMapping(picture, palette).TakeAll();
    ASSERT_EQ(all.size(), qsizetype(picture.width()) * picture.height());
    for (int y = 0; y < picture.height(); y += 7) {
        for (int x = 0; x < picture.width(); x += 3) {
            wrong += uint8_t(all[qsizetype(y) * picture.width() + x]) != table(picture.pixel(x, y));
        }
    }
    EXPECT_EQ(wrong, 0);

    { detail::PaletteMapping dropped(picture, palette); }  // must return, not hang or crash
}

// A noisy gradient has far more colours than the full histogram holds, so its palette comes
// from the fast quantizer and the refinement rounds: the mean error per channel stays near what
// the slow quantizer (speed 4, four times the samples) reached on it, 2.74; the fast one
// without the rounds gives 2.83.
TEST(GifPalette, PhotoLikePictureKeepsALowError) {
    const QImage picture = NoisyGradient(1280, 720, 4);
    QList<QRgb> palette;
    QByteArray indices;
    ASSERT_TRUE(detail::QuantizedPalette(picture, palette, indices));
    double error = 0;
    for (int y = 0, i = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x, ++i) {
            const QRgb a = picture.pixel(x, y), b = palette[uint8_t(indices[i])];
            error += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                     std::abs(qBlue(a) - qBlue(b));
        }
    }
    EXPECT_LE(error / (3.0 * picture.width() * picture.height()), 2.78);
}

}  // namespace
}  // namespace orv::test
