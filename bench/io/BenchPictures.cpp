#include "BenchPictures.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <random>
#include <unordered_set>

namespace orv::bench {

QImage UiPicture() {
    QImage picture(3840, 2160, QImage::Format_RGB32);
    picture.fill(QColor(243, 243, 243));
    QPainter painter(&picture);
    // Title bar, tool bar, side bar and a content card.
    painter.fillRect(0, 0, 3840, 64, QColor(32, 48, 72));
    painter.fillRect(0, 64, 3840, 96, QColor(250, 250, 250));
    painter.fillRect(0, 160, 520, 2000, QColor(228, 232, 238));
    painter.fillRect(600, 240, 3100, 1800, Qt::white);
    painter.setPen(QColor(210, 214, 220));
    for (int y = 300; y < 2000; y += 48) painter.drawLine(640, y, 3660, y);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont font(QStringLiteral("Sans"));
    font.setPixelSize(22);
    painter.setFont(font);
    for (int i = 0; i < 14; ++i) {
        const QRectF button(40 + i * 260, 84, 230, 56);
        painter.setBrush(i % 3 == 0 ? QColor(0, 120, 215) : QColor(236, 236, 236));
        painter.setPen(QColor(180, 180, 180));
        painter.drawRoundedRect(button, 8, 8);
        painter.setPen(i % 3 == 0 ? Qt::white : QColor(30, 30, 30));
        painter.drawText(button, Qt::AlignCenter, QStringLiteral("Action %1").arg(i + 1));
    }
    painter.setPen(QColor(40, 40, 40));
    for (int row = 0; row < 34; ++row) {
        painter.drawText(40, 220 + row * 56, QStringLiteral("Navigation item %1").arg(row));
        painter.drawText(660, 290 + row * 48,
                         QStringLiteral("Row %1  ·  The quick brown fox jumps over the lazy dog "
                                        "0123456789  status: ok  size 1920×1080")
                             .arg(row));
    }
    // Annotation marks on top: a red distance line with ticks, a label, a note box.
    painter.setPen(QPen(QColor(255, 0, 0), 2));
    painter.drawLine(700, 1300, 2900, 1300);
    painter.drawLine(700, 1290, 700, 1310);
    painter.drawLine(2900, 1290, 2900, 1310);
    painter.fillRect(1720, 1270, 160, 36, QColor(255, 0, 0));
    painter.setPen(Qt::white);
    painter.drawText(QRect(1720, 1270, 160, 36), Qt::AlignCenter, QStringLiteral("2200px"));
    painter.setPen(QColor(0, 90, 200));
    painter.setBrush(QColor(255, 255, 200));
    painter.drawRect(3000, 1500, 600, 200);
    painter.drawText(QRect(3020, 1520, 560, 160), Qt::TextWordWrap,
                     QStringLiteral("Note: spacing between the cards should be 24px"));
    return picture;
}

QImage PhotoPicture() {
    QImage picture(3840, 2160, QImage::Format_RGB32);
    std::mt19937 random(12345);
    std::normal_distribution<float> noise(0.0f, 3.0f);
    for (int y = 0; y < picture.height(); ++y) {
        auto* pixels = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            const float u = float(x) / 3840.0f, v = float(y) / 2160.0f;
            const float r = 120 + 90 * std::sin(3.1f * u + 1.3f * v);
            const float g = 110 + 70 * std::cos(2.3f * v - 0.7f * u);
            const float b = 140 + 80 * std::sin(1.7f * (u + v) + 2.0f);
            const auto channel = [&](float value) {
                return int(std::lround(std::clamp(value + noise(random), 0.0f, 255.0f)));
            };
            pixels[x] = qRgb(channel(r), channel(g), channel(b));
        }
    }
    return picture;
}

int CountColours(const QImage& picture, int stopAt) {
    std::unordered_set<QRgb> colours;
    for (int y = 0; y < picture.height(); ++y) {
        const auto* pixels = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            colours.insert(pixels[x] | 0xff000000u);
            if (int(colours.size()) >= stopAt) return stopAt;
        }
    }
    return int(colours.size());
}

double MedianMs(const std::function<bool()>& work, int runs) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (!work()) {
            std::fprintf(stderr, "a save failed\n");
            std::exit(1);
        }
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace orv::bench
