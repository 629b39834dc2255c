// Edge-snapping benchmark: one guide update (the horizontal and the vertical
// span through the pointer) on a 3840 x 2160 picture whose flat region is
// 3000 x 2000 pixels, so the spans walk 3000 and 2000 pixels. The peer walks
// the very same pixels with the same comparison through PictureBox::Point,
// the canvas read of the toolkit layer, in the same run. Goal: under 0.2 ms.

#include <QGuiApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "annotations/EdgeSpans.h"
#include "platform/Controls.h"
#include "platform/Screen.h"

namespace {

using Clock = std::chrono::steady_clock;

// Median over batches of the mean time of one call, in microseconds.
double MedianMicros(const std::function<void(int)>& call, int perBatch, int batches) {
    std::vector<double> means;
    int n = 0;
    for (int b = 0; b < batches; ++b) {
        const auto start = Clock::now();
        for (int i = 0; i < perBatch; ++i) call(n++);
        means.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count() /
                        perBatch);
    }
    std::sort(means.begin(), means.end());
    return means[means.size() / 2];
}

// The same search written against the toolkit's per-pixel read.
struct PointSpans {
    int left, right, top, bottom;
};
PointSpans SpansThroughPoint(const orv::PictureBox& canvas, int x, int y, int tolerance, int w,
                             int h) {
    const float tx = orv::Screen().TwipsPerPixelX, ty = orv::Screen().TwipsPerPixelY;
    auto at = [&](int px, int py) { return canvas.Point(px * tx, py * ty); };
    const int64_t ref = at(x, y);
    auto ok = [&](int64_t c) {
        return std::abs(int(c & 0xFF) - int(ref & 0xFF)) <= tolerance &&
               std::abs(int((c >> 8) & 0xFF) - int((ref >> 8) & 0xFF)) <= tolerance &&
               std::abs(int((c >> 16) & 0xFF) - int((ref >> 16) & 0xFF)) <= tolerance;
    };
    PointSpans s{x, x, y, y};
    while (s.left > 0 && ok(at(s.left - 1, y))) --s.left;
    while (s.right < w - 1 && ok(at(s.right + 1, y))) ++s.right;
    while (s.top > 0 && ok(at(x, s.top - 1))) --s.top;
    while (s.bottom < h - 1 && ok(at(x, s.bottom + 1))) ++s.bottom;
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication qapp(argc, argv);
    constexpr int W = 3840, H = 2160;
    orv::Screen() = orv::ScreenInfo{15.0f, 15.0f, W * 15.0f, H * 15.0f};

    // Busy detail everywhere except a flat 3000 x 2000 panel at (420, 80).
    QImage picture(W, H, QImage::Format_RGB32);
    for (int y = 0; y < H; ++y) {
        auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < W; ++x) row[x] = qRgb((x * 7) & 255, (y * 3) & 255, (x ^ y) & 255);
    }
    const QRect panel(420, 80, 3000, 2000);
    for (int y = panel.top(); y <= panel.bottom(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
        std::fill(row + panel.left(), row + panel.right() + 1, qRgb(0xF4, 0xF5, 0xF7));
    }
    orv::PictureBox canvas;
    canvas.AutoSize = true;
    canvas.SetPicture(picture);
    const orv::PixelView view = orv::PixelView::Of(canvas.Picture());

    // Pointer positions spread over the panel, so every update walks the
    // panel's full 3000 and 2000 pixels.
    std::vector<QPoint> walk;
    for (int i = 0; i < 64; ++i)
        walk.emplace_back(panel.left() + 40 + (i * 263) % 2900,
                          panel.top() + 30 + (i * 151) % 1900);
    const auto at = [&](int i) { return walk[static_cast<size_t>(i) % walk.size()]; };
    const int tol = orv::kDefaultSpanTolerance;

    long checksum = 0;
    const auto direct = [&](int i) {
        const QPoint p = at(i);
        const orv::EdgeSpans s = orv::FindEdgeSpans(view, p.x(), p.y(), tol);
        checksum += s.horizontal.Length() + s.vertical.Length();
    };
    const auto throughPoint = [&](int i) {
        const QPoint p = at(i);
        const PointSpans s = SpansThroughPoint(canvas, p.x(), p.y(), tol, W, H);
        checksum += (s.right - s.left + 1) + (s.bottom - s.top + 1);
    };

    // Both must find the same spans before their times mean anything.
    for (int i = 0; i < int(walk.size()); ++i) {
        const QPoint p = at(i);
        const orv::EdgeSpans a = orv::FindEdgeSpans(view, p.x(), p.y(), tol);
        const PointSpans b = SpansThroughPoint(canvas, p.x(), p.y(), tol, W, H);
        if (a.horizontal.first != b.left || a.horizontal.last != b.right ||
            a.vertical.first != b.top || a.vertical.last != b.bottom ||
            a.horizontal.Length() != panel.width() || a.vertical.Length() != panel.height()) {
            std::fprintf(stderr, "spans differ at %d,%d\n", p.x(), p.y());
            return 1;
        }
    }

    const int batches = argc > 1 ? std::max(3, std::atoi(argv[1])) : 15;
    const double us = MedianMicros(direct, 200, batches);
    const double peer = MedianMicros(throughPoint, 5, batches);
    std::printf("picture %d x %d, flat panel %d x %d, tolerance %d (checksum %ld)\n", W, H,
                panel.width(), panel.height(), tol, checksum);
    std::printf(
        "  guide update, direct pixel read:  %9.2f us  (%.4f of the 200 us goal, %.4f of a 60 Hz "
        "frame)\n",
        us, us / 200.0, us / 16667.0);
    std::printf("  same spans through Point (peer):  %9.2f us\n", peer);
    std::printf("  ratio direct / peer:              %9.4f  (%.0fx faster)\n", us / peer,
                peer / us);
    return 0;
}
