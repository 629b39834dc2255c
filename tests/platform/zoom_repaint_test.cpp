// Repaints of the zoomed canvas: a zoom step repaints only where the canvas was
// and is, and a repaint leaves out what the canvas covers; neither may change
// what the window shows.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPainter>
#include <QScreen>
#include <cmath>

#include "ZoomedEditor.h"
#include "platform/Colour.h"
#include "platform/qt/CanvasView.h"

namespace orv::test {
namespace {

// What the window shows on the screen (its backing store), as far as the screen reaches.
QImage Shown(FormWindow& win, QRect* area) {
    const QSize screen = QGuiApplication::primaryScreen()->size();
    *area = QRect(0, 0, std::min(900, screen.width()), std::min(600, screen.height()));
    return QGuiApplication::primaryScreen()
        ->grabWindow(win.winId(), 0, 0, area->width(), area->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// Zooming in and out step by step (the canvas growing past the window and shrinking to a
// corner of it), fitting and going back to 100 %, with annotations on the canvas: after each
// step the window shows what a full repaint shows, with nothing left of the canvas's old place.
TEST(ZoomRepaint, EveryZoomStepShowsWhatAFullRepaintShows) {
    ZoomedEditor z(1.0);
    z.ed().Image5_Click();
    z.Drag(z.At(20, 30), z.At(150, 33));
    z.ed().Image7_Click();
    z.Drag(z.At(60, 90), z.At(100, 70));
    FormWindow::AfterEvent() = [&z] { z.win->Sync(); };
    z.win->Sync();
    QCoreApplication::processEvents();
    const QPointF pointer = z.At(70, 45);
    const std::vector<std::pair<const char*, std::function<void()>>> steps = {
        {"in", [&] { z.win->ZoomIn(pointer); }},   {"in", [&] { z.win->ZoomIn(pointer); }},
        {"in", [&] { z.win->ZoomIn(pointer); }},   {"in", [&] { z.win->ZoomIn(pointer); }},
        {"out", [&] { z.win->ZoomOut(pointer); }}, {"out", [&] { z.win->ZoomOut(pointer); }},
        {"out", [&] { z.win->ZoomOut(pointer); }}, {"out", [&] { z.win->ZoomOut(pointer); }},
        {"out", [&] { z.win->ZoomOut(pointer); }}, {"out", [&] { z.win->ZoomOut(pointer); }},
        {"out", [&] { z.win->ZoomOut(pointer); }}, {"out", [&] { z.win->ZoomOut(pointer); }},
        {"fit", [&] { z.win->ZoomToFit(); }},      {"in", [&] { z.win->ZoomIn(pointer); }},
        {"reset", [&] { z.win->ZoomReset(); }},
    };
    for (const auto& [name, step] : steps) {
        step();
        QCoreApplication::processEvents();
        QRect area;
        const QImage shown = Shown(*z.win, &area);
        const QImage full = z.win->grab(area).toImage().convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(shown.size(), full.size());
        ASSERT_TRUE(shown == full) << name << " to " << qPrintable(z.win->ZoomText());
    }
    FormWindow::AfterEvent() = nullptr;
    EXPECT_EQ(z.win->Zoom(), 1.0);
}

// A canvas larger than its picture, at zooms whose steps fall between window pixels: the
// window shows the backdrop, the canvas's background filled whole and the picture drawn over
// it, pixel for pixel, with an opaque picture and with a translucent one.
TEST(ZoomRepaint, BackgroundAndBackdropShowAroundThePictureAtEveryZoom) {
    for (bool translucent : {false, true}) {
        ZoomedEditor z(3.0);
        Form1& ed = z.ed();
        QImage picture = Checked(241, 163);
        if (translucent) {
            picture = picture.convertToFormat(QImage::Format_ARGB32);
            for (int y = 0; y < picture.height(); ++y)
                for (int x = 0; x < picture.width(); x += 3)
                    picture.setPixel(x, y, qRgba(200, 10, 10, (x * 5 + y) & 255));
        }
        ed.Picture2.SetPicture(picture);
        ed.Picture2.BackColor = RGB(30, 200, 90);
        ed.Picture2.Width = 277 * 15.0f;
        ed.Picture2.Height = 190 * 15.0f;
        z.win->Sync();
        QCoreApplication::processEvents();
        for (double zoom : {1.0 / 3, 0.25, 2.0 / 3, 0.5, 1.0, 0.125}) {
            z.win->ZoomAbout(zoom, QPointF(z.corner));
            QCoreApplication::processEvents();
            const QImage full = z.win->grab().toImage().convertToFormat(QImage::Format_RGB32);
            QImage expected(full.size(), QImage::Format_RGB32);
            {
                QPainter p(&expected);
                p.fillRect(expected.rect(), ToQColor(ed.BackColor));
                if (!ed.Surface.isNull()) p.drawImage(0, 0, ed.Surface);
                const double s = z.win->Zoom() / z.win->devicePixelRatioF();
                p.translate(z.win->CanvasOrigin());
                p.scale(s, s);
                p.setRenderHint(QPainter::SmoothPixmapTransform, zoom < 1.0);
                const QRect box(0, 0, 277, 190);
                p.setClipRect(box);
                p.fillRect(box, ToQColor(ed.Picture2.BackColor));
                p.drawImage(0, 0, picture);
            }
            // The canvas and a margin of backdrop round it.
            const double s = z.win->Zoom() / z.win->devicePixelRatioF();
            const QRect shown =
                QRect(z.win->CanvasOrigin(), QSize(static_cast<int>(std::ceil(277 * s)),
                                                   static_cast<int>(std::ceil(190 * s))))
                    .adjusted(-3, -3, 3, 3)
                    .intersected(full.rect());
            ASSERT_FALSE(shown.isEmpty());
            EXPECT_TRUE(full.copy(shown) == expected.copy(shown))
                << (translucent ? "translucent" : "opaque") << " picture at "
                << qPrintable(z.win->ZoomText());
        }
    }
}

// Zoomed far in, the blocks of a large picture go out in bands: every block is one picture
// pixel, whole, across the bands' seams, in a full repaint and in a repaint of a strip.
TEST(ZoomRepaint, BlocksOfALargePictureAreWholeAcrossTheirBands) {
    ZoomedEditor z(1.0);
    const QImage picture = Checked(1500, 900);
    z.ed().Picture2.SetPicture(picture);
    z.ed().fd.Visible = false;  // the magnifier's view, which lies over the canvas
    z.win->Sync();
    for (double zoom : {3.0, 12.0, 32.0}) {
        z.win->ZoomAbout(zoom, QPointF(z.corner));
        const int k = static_cast<int>(zoom / z.win->devicePixelRatioF());
        const QImage full = z.win->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRect strip(z.corner.x() + 5, z.corner.y() + 2 * k + 1, 7 * k + 3, 23 * k + 2);
        const QImage part = z.win->grab(strip).toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_TRUE(part == full.copy(strip)) << zoom;
        const int rows = std::min(full.height() - z.corner.y(), picture.height() * k);
        const int cols = std::min(full.width() - z.corner.x(), picture.width() * k);
        for (int y = 0; y < rows; y += 7)
            for (int x = 0; x < cols; x += 13)
                ASSERT_EQ(full.pixel(z.corner.x() + x, z.corner.y() + y) & 0xffffff,
                          picture.pixel(x / k, y / k) & 0xffffff)
                    << "zoom " << zoom << " at " << x << "," << y;
    }
}

}  // namespace
}  // namespace orv::test
