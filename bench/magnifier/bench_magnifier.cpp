// Magnifier benchmark: the cost of one Timer3 refresh (read 50 x 50 screen
// pixels round the pointer, enlarge them four times into the view) and the heap
// bytes it allocates per tick, against the obvious Qt way of doing the same
// (QImage::scaled with fast transformation, painted into the view), in one run.
// The screen is a 1920 x 1080 picture; under a real display the platform's own
// screen read is timed as well.

#include <QApplication>
#include <QPainter>
#include <QScreen>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

#include "AllocationCounter.h"
#include "FakeDesktop.h"
#include "editor/Form1.h"
#include "platform/Screen.h"
#include "platform/qt/QtDesktop.h"
#include "shell/App.h"

namespace {

using orv::bench::InScreenRead;
using orv::bench::StartCounting;
using orv::bench::StopCounting;
using orv::bench::Tally;

// A desktop whose screen is a still picture (or, when given, the real screen).
class BenchDesktop : public orv::test::FakeDesktop {
  public:
    QImage screen;
    orv::Desktop* real = nullptr;

    QImage GrabScreen(int x, int y, int w, int h) override {
        InScreenRead(true);
        QImage out = real ? real->GrabScreen(x, y, w, h) : screen.copy(x, y, w, h);
        InScreenRead(false);
        return out;
    }
    bool CanGrabScreen() override { return true; }
};

QImage NoiseScreen(int w, int h) {
    QImage s(w, h, QImage::Format_RGB32);
    std::mt19937 rng(7);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(s.scanLine(y));
        for (int x = 0; x < w; ++x) row[x] = 0xFF000000u | (rng() & 0xFFFFFFu);
    }
    return s;
}

// Pointer positions of a walk over the screen, corners included.
std::vector<QPoint> PointerWalk(QSize screen) {
    std::vector<QPoint> walk{{0, 0},
                             {screen.width() - 1, 0},
                             {0, screen.height() - 1},
                             {screen.width() - 1, screen.height() - 1}};
    for (int i = 0; i < 252; ++i)
        walk.emplace_back((i * 37) % screen.width(), (i * 53) % screen.height());
    return walk;
}

// Median over batches of the mean time of one call, in microseconds.
double MedianMicros(const std::function<void(int)>& tick, int perBatch, int batches) {
    std::vector<double> means;
    int n = 0;
    for (int b = 0; b < batches; ++b) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < perBatch; ++i) tick(n++);
        const auto end = std::chrono::steady_clock::now();
        means.push_back(std::chrono::duration<double, std::micro>(end - start).count() / perBatch);
    }
    std::sort(means.begin(), means.end());
    return means[means.size() / 2];
}

Tally CountPerTick(const std::function<void(int)>& tick, int ticks) {
    for (int i = 0; i < 10; ++i) tick(i);  // buffers made on first use are not per tick
    StartCounting();
    for (int i = 0; i < ticks; ++i) tick(i);
    Tally t = StopCounting();
    for (orv::bench::Allocations* a : {&t.other, &t.screenRead}) {
        a->calls /= static_cast<std::size_t>(ticks);
        a->bytes /= static_cast<std::size_t>(ticks);
    }
    return t;
}

void Report(const char* name, double micros, const Tally& t) {
    std::printf(
        "%-34s %9.2f us/tick %7.4f%% of 100 ms | heap per tick: %6zu B in %zu calls "
        "(screen read %zu B in %zu calls)\n",
        name, micros, micros / 1000.0, t.other.bytes, t.other.calls, t.screenRead.bytes,
        t.screenRead.calls);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    Q_INIT_RESOURCE(resources);
    orv::Screen() = orv::ScreenInfo{15.0f, 15.0f, 1920 * 15.0f, 1080 * 15.0f};

    BenchDesktop desktop;
    desktop.screen = NoiseScreen(1920, 1080);
    orv::App app(desktop, QString());
    orv::Form1& editor = app.Editor();
    const std::vector<QPoint> walk = PointerWalk(desktop.screen.size());
    const auto at = [&](int i) { return walk[static_cast<size_t>(i) % walk.size()]; };

    // This program's refresh.
    const auto refresh = [&](int i) {
        desktop.cursor = at(i);
        editor.Timer3_Timer();
    };
    // The peer: the same read, enlarged by QImage::scaled and painted into a view.
    QImage peerView(67, 67, QImage::Format_ARGB32_Premultiplied);
    const auto peer = [&](int i) {
        const QPoint p = at(i);
        const QImage shot = desktop.GrabScreen(p.x() - 7, p.y() - 7, 50, 50);
        const QImage big = shot.scaled(200, 200, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        QPainter painter(&peerView);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, big);
    };
    // The screen read alone, which both share.
    const auto readOnly = [&](int i) {
        const QPoint p = at(i);
        const QImage shot = desktop.GrabScreen(p.x() - 7, p.y() - 7, 50, 50);
        (void)shot;
    };

    constexpr int kPerBatch = 2000, kBatches = 15;
    std::printf("magnifier refresh, 50 x 50 screen pixels to a 4x view, picture screen:\n");
    const double ours = MedianMicros(refresh, kPerBatch, kBatches);
    const double theirs = MedianMicros(peer, kPerBatch, kBatches);
    const double read = MedianMicros(readOnly, kPerBatch, kBatches);
    Report("Timer3_Timer", ours, CountPerTick(refresh, 1000));
    Report("peer: QImage::scaled + QPainter", theirs, CountPerTick(peer, 1000));
    Report("screen read alone", read, CountPerTick(readOnly, 1000));
    std::printf("ratio Timer3_Timer / peer: %.2f; enlarging alone (tick - read): %.2f us\n",
                ours / theirs, ours - read);

    if (QGuiApplication::platformName() != QStringLiteral("offscreen")) {
        orv::QtDesktop qtDesktop;
        desktop.real = &qtDesktop;
        std::printf("the same on the real screen (%s):\n",
                    qPrintable(QGuiApplication::platformName()));
        const double realOurs = MedianMicros(refresh, 200, 9);
        const double realPeer = MedianMicros(peer, 200, 9);
        Report("Timer3_Timer", realOurs, CountPerTick(refresh, 200));
        Report("peer: QImage::scaled + QPainter", realPeer, CountPerTick(peer, 200));
        std::printf("ratio Timer3_Timer / peer: %.2f\n", realOurs / realPeer);
        desktop.real = nullptr;
    }
    return 0;
}
