// Canvas drag benchmark: 10,000 pointer moves through the editor's FormWindow
// on a 3840 × 2160 picture (offscreen platform). Each move is timed in two
// parts: the handler (event dispatch, model handler, measuring tick, dirty
// rectangle bookkeeping) and the repaint of the dirty region through the
// window's backing store. A plain full-window repaint of the same picture is
// measured in the same run as the peer; ratios are printed against it. The 4K
// window runs once more with the canvas zoomed to 400 %, and its moves are
// compared with those at 100 %.

#include <QApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "BenchMarkup.h"
#include "FakeDesktop.h"
#include "editor/Form1.h"
#include "platform/Painter.h"
#include "platform/Screen.h"
#include "platform/qt/FormWindow.h"
#include "shell/App.h"

namespace {

using Clock = std::chrono::steady_clock;

double Us(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::micro>(b - a).count();
}

// The editor's window, counting what it paints.
class CountingWindow : public orv::FormWindow {
  public:
    using FormWindow::FormWindow;
    long paints = 0;
    double paintedPixels = 0;

  protected:
    void paintEvent(QPaintEvent* e) override {
        ++paints;
        for (const QRect& r : e->region()) paintedPixels += double(r.width()) * r.height();
        FormWindow::paintEvent(e);
    }
};

struct Result {
    double handlerUs = 0, repaintUs = 0, paintsPerMove = 0, pixelsPerMove = 0;
};

void Send(CountingWindow& win, QEvent::Type type, QPoint p, Qt::MouseButton b,
          Qt::MouseButtons held) {
    QMouseEvent e(type, QPointF(p), win.mapToGlobal(QPointF(p)), b, held, Qt::NoModifier);
    QApplication::sendEvent(&win, &e);
}

// Drags with the given tool for `moves` pointer moves; the path runs to the
// right with a small downward slope, like a designer measuring a width.
Result Drag(orv::Form1& ed, CountingWindow& win, void (orv::Form1::*tool)(), int moves) {
    (ed.*tool)();
    const QPoint start(300, 400);
    Send(win, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    ed.Timer1.SetEnabled(false);  // ticks are run by hand, once per move
    QCoreApplication::processEvents();
    const long paints0 = win.paints;
    const double pixels0 = win.paintedPixels;
    double handler = 0, repaint = 0;
    for (int i = 1; i <= moves; ++i) {
        const QPoint p(start.x() + 20 + (i % 1400), start.y() + 5 + (i % 1400) / 20);
        const auto t0 = Clock::now();
        Send(win, QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton);
        ed.Timer1_Timer();
        win.Sync();
        const auto t1 = Clock::now();
        QCoreApplication::processEvents();
        const auto t2 = Clock::now();
        handler += Us(t0, t1);
        repaint += Us(t1, t2);
    }
    Send(win, QEvent::MouseButtonRelease, start, Qt::LeftButton, Qt::NoButton);
    QCoreApplication::processEvents();
    Result r;
    r.handlerUs = handler / moves;
    r.repaintUs = repaint / moves;
    r.paintsPerMove = double(win.paints - paints0) / moves;
    r.pixelsPerMove = (win.paintedPixels - pixels0) / moves;
    return r;
}

double FullRepaintUs(CountingWindow& win, int runs) {
    std::vector<double> t;
    for (int i = 0; i < runs; ++i) {
        const auto a = Clock::now();
        win.repaint();
        t.push_back(Us(a, Clock::now()));
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

struct Run {
    double full = 0;
    Result dist, colour, pan;
};

Run RunOnScreen(int sw, int sh, const QImage& picture, int moves, double zoom = 1.0) {
    orv::Screen() = orv::ScreenInfo{15.0f, 15.0f, sw * 15.0f, sh * 15.0f};
    orv::test::FakeDesktop desktop;
    desktop.screen = QSize(sw, sh);
    orv::App app(desktop, QString());
    orv::Form1& ed = app.Editor();
    ed.Timer2.SetEnabled(false);
    ed.Timer3.SetEnabled(false);
    ed.Picture2.SetPicture(picture);
    app.ShowEditor();
    CountingWindow win(ed);
    orv::FormWindow::AfterEvent() = [&win] { win.Sync(); };
    win.SetZoomable(QStringLiteral("Picture2"), QStringLiteral("Label6"));
    win.Sync();
    // Zoomed about the canvas's corner, which stays where it is.
    win.ZoomAbout(zoom, QPointF(orv::ControlPlace(ed.Picture2).topLeft()));
    QCoreApplication::processEvents();

    const double full = FullRepaintUs(win, 60);
    const Result dist = Drag(ed, win, &orv::Form1::Command3_Click, moves);
    const Result colour = Drag(ed, win, &orv::Form1::Command4_Click, moves);
    const Result pan = Drag(ed, win, &orv::Form1::Command2_Click, moves / 10);
    orv::FormWindow::AfterEvent() = nullptr;

    std::printf("\nwindow %d x %d, picture %d x %d, zoom %s, %d moves per drawing tool\n", sw, sh,
                picture.width(), picture.height(), qPrintable(win.ZoomText()), moves);
    std::printf("  full-window repaint (peer):  %9.1f us\n", full);
    auto row = [&](const char* name, const Result& r) {
        const double total = r.handlerUs + r.repaintUs;
        std::printf(
            "  %-10s handler %7.1f us  repaint %7.1f us  total %7.1f us  "
            "(%.3f of a full repaint, %.3f of a 60 Hz frame; %.2f paints, %.0f px per move)\n",
            name, r.handlerUs, r.repaintUs, total, total / full, total / 16667.0, r.paintsPerMove,
            r.pixelsPerMove);
    };
    row("distance", dist);
    row("colour", colour);
    row("pan", pan);
    return Run{full, dist, colour, pan};
}

double Total(const Result& r) {
    return r.handlerUs + r.repaintUs;
}

}  // namespace

static void InitResources() {
    Q_INIT_RESOURCE(resources);
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    InitResources();
    const int moves = argc > 1 ? std::max(100, std::atoi(argv[1])) : 10000;
    const QImage picture = orv::bench::DesignPicture(3840, 2160);
    RunOnScreen(1920, 1080, picture, moves);
    const Run at100 = RunOnScreen(3840, 2160, picture, moves);
    const Run at400 = RunOnScreen(3840, 2160, picture, moves, 4.0);
    std::printf("\n4K window, 400 %% against 100 %% (goal: at most 2x)\n");
    std::printf("  distance move  %.2fx\n  pan            %.2fx\n",
                Total(at400.dist) / Total(at100.dist), Total(at400.pan) / Total(at100.pan));
    return 0;
}
