// The zoomed canvas: pointer positions reach the models in picture pixels and
// the picture shows in whole blocks, whatever the zoom; saving ignores the zoom.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTemporaryDir>
#include <cmath>

#include "FakeDesktop.h"
#include "ZoomedEditor.h"
#include "editor/Form1.h"
#include "platform/Colour.h"
#include "platform/Fonts.h"
#include "platform/Painter.h"
#include "platform/Screen.h"
#include "platform/qt/CanvasView.h"
#include "platform/qt/FormWindow.h"
#include "shell/App.h"
#include "shell/form3.h"

namespace orv::test {
namespace {

struct Outcome {
    QString hoverX, hoverY, length, colourCode;
    QByteArray saved;
};

Outcome MeasureAt(double zoom, const QString& folder) {
    ZoomedEditor z(zoom);
    Outcome o;
    z.Send(QEvent::MouseMove, z.At(44, 28), Qt::NoButton, Qt::NoButton);
    o.hoverX = z.ed().Label5.Caption();
    o.hoverY = z.ed().Label6.Caption();
    z.ed().Image5_Click();  // distance tool: a drag from pixel (40, 20) to (160, 24)
    z.Drag(z.At(40, 20), z.At(160, 24));
    o.length = z.ed().aapx(1).Caption();
    z.ed().Image6_Click();  // colour pick at pixel (100, 60)
    z.Drag(z.At(100, 60), z.At(120, 80));
    o.colourCode = z.ed().co(1).Caption();
    o.saved = z.Save(folder + QStringLiteral("/zoom%1.png").arg(zoom * 100));
    return o;
}

TEST(ZoomTest, MeasurementsReadOutsAndSavedFileAreTheSameAtEveryZoom) {
    QTemporaryDir folder;
    const Outcome base = MeasureAt(1.0, folder.path());
    EXPECT_EQ(base.hoverX, QStringLiteral("X:44"));
    EXPECT_EQ(base.hoverY, QStringLiteral("Y:28"));
    EXPECT_EQ(base.length, QStringLiteral("121px"));
    EXPECT_FALSE(base.colourCode.isEmpty());
    ASSERT_FALSE(base.saved.isEmpty());
    for (double zoom : {0.25, 3.0}) {
        const Outcome o = MeasureAt(zoom, folder.path());
        EXPECT_EQ(o.hoverX, base.hoverX) << zoom;
        EXPECT_EQ(o.hoverY, base.hoverY) << zoom;
        EXPECT_EQ(o.length, base.length) << zoom;
        EXPECT_EQ(o.colourCode, base.colourCode) << zoom;
        EXPECT_TRUE(o.saved == base.saved) << "saved file differs at zoom " << zoom;
    }
}

// At 300 % every picture pixel is a 3 x 3 block of one colour, annotations included, and a
// label dragged by the pointer moves by a third of the pointer's way.
TEST(ZoomTest, ZoomedInShowsBlocksAndLabelsFollowThePointer) {
    ZoomedEditor z(3.0);
    EXPECT_EQ(z.win->ZoomText(), QStringLiteral("300%"));
    const QImage shown = z.win->grab().toImage();
    const QImage pic = z.ed().Picture2.Picture();
    for (auto [px, py] : {std::pair(0, 0), std::pair(17, 9), std::pair(120, 100)}) {
        const QPoint o = z.corner + QPoint(3 * px, 3 * py);
        for (int dy = 0; dy < 3; ++dy)
            for (int dx = 0; dx < 3; ++dx)
                ASSERT_EQ(shown.pixel(o + QPoint(dx, dy)) & 0xffffff, pic.pixel(px, py) & 0xffffff)
                    << px << "," << py << " +" << dx << "," << dy;
    }
    z.ed().Image5_Click();
    z.Drag(z.At(30, 50), z.At(90, 52));
    Label& label = z.ed().aapx(1);
    const float left = label.Left;
    // Press inside the label and move 30 window pixels right: 10 picture pixels.
    const QRect place = ControlPlace(label);
    const QPointF grip = z.At(place.left() + 2, place.top() + 2);
    z.Send(QEvent::MouseButtonPress, grip, Qt::LeftButton, Qt::LeftButton);
    z.Send(QEvent::MouseMove, grip + QPointF(30, 0), Qt::NoButton, Qt::LeftButton);
    z.Send(QEvent::MouseButtonRelease, grip + QPointF(30, 0), Qt::LeftButton, Qt::NoButton);
    EXPECT_FLOAT_EQ(z.ed().aapx(1).Left, left + 10 * 15.0f);
}

// Zooming about the pointer keeps the picture pixel under it; the steps run from 12.5 % to
// 3200 % and stop there.
TEST(ZoomTest, ZoomingKeepsThePixelUnderThePointerAndStopsAtTheEnds) {
    ZoomedEditor z(1.0);
    const QPointF pointer = z.At(70, 45);
    for (int k = 0; k < 20; ++k) {
        z.win->ZoomIn(pointer);
        z.Send(QEvent::MouseMove, pointer, Qt::NoButton, Qt::NoButton);
        ASSERT_EQ(z.ed().Label5.Caption(), QStringLiteral("X:70")) << z.win->Zoom();
        ASSERT_EQ(z.ed().Label6.Caption(), QStringLiteral("Y:45")) << z.win->Zoom();
    }
    EXPECT_EQ(z.win->Zoom(), 32.0);
    for (int k = 0; k < 20; ++k) z.win->ZoomOut(pointer);
    EXPECT_EQ(z.win->Zoom(), 0.125);
    EXPECT_EQ(z.win->ZoomText(), QStringLiteral("12.5%"));
    z.win->ZoomReset();
    EXPECT_EQ(z.win->Zoom(), 1.0);
    EXPECT_EQ(ControlPlace(z.ed().Picture2).topLeft(), z.corner);
    z.Send(QEvent::MouseMove, QPointF(z.corner + QPoint(5, 6)), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(z.ed().Label5.Caption(), QStringLiteral("X:5"));
}

// Panning moves the window's pixels and repaints only what came into view: at 300 %, with a
// marker on the canvas, the result must be what a full repaint shows.
TEST(ZoomTest, PanningAZoomedCanvasShowsWhatAFullRepaintShows) {
    ZoomedEditor z(3.0);
    z.ed().Image5_Click();
    z.Drag(z.At(20, 30), z.At(70, 33));
    FormWindow::AfterEvent() = [&z] { z.win->Sync(); };
    z.win->Sync();
    QCoreApplication::processEvents();
    z.ed().Image8_Click();  // the move tool pans
    QPointF p = z.At(60, 40);
    z.Send(QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
    for (int k = 0; k < 12; ++k) {
        p += QPointF(k % 3 == 0 ? -7 : 11, k % 2 ? 5 : -2);
        z.Send(QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton);
        QCoreApplication::processEvents();
    }
    z.Send(QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
    QCoreApplication::processEvents();
    FormWindow::AfterEvent() = nullptr;
    EXPECT_NE(ControlPlace(z.ed().Picture2).topLeft(), z.corner);  // it did pan
    // As much of the window as the screen shows.
    const QSize screen = QGuiApplication::primaryScreen()->size();
    const QRect area(0, 0, std::min(900, screen.width()), std::min(600, screen.height()));
    const QImage shown = QGuiApplication::primaryScreen()
                             ->grabWindow(z.win->winId(), 0, 0, area.width(), area.height())
                             .toImage()
                             .convertToFormat(QImage::Format_RGB32);
    const QImage full = z.win->grab(area).toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), full.size());
    EXPECT_TRUE(shown == full);
}

// The editor of a note lies over the note as shown, its text zoomed with the canvas.
TEST(ZoomTest, NoteEditorsLieOverTheirNotesAtTheZoom) {
    ZoomedEditor z(3.0);
    z.ed().Image7_Click();
    z.Drag(z.At(30, 60), z.At(60, 40));
    z.win->Sync();
    const TextBox& note = z.ed().bz(1);
    auto* editor = z.win->findChild<QPlainTextEdit*>();
    ASSERT_NE(editor, nullptr);
    const QRect place = ControlPlace(note);  // picture pixels, from the canvas's corner
    EXPECT_EQ(editor->geometry(), QRect(z.corner + 3 * place.topLeft(), 3 * place.size()));
    EXPECT_EQ(editor->font().pixelSize(), 3 * MakeQFont(note.Font).pixelSize());
    z.win->ZoomReset();
    EXPECT_EQ(editor->geometry(), QRect(z.corner + place.topLeft(), place.size()));
    EXPECT_EQ(editor->font().pixelSize(), MakeQFont(note.Font).pixelSize());
}

TEST(ZoomTest, FitShowsTheWholePictureBesideTheBars) {
    ZoomedEditor z(1.0);
    z.win->resize(1920, 1080);
    z.win->ZoomToFit();
    // 240 x 160 in 1870 x 1038 beside the bars: six whole blocks per pixel fit, seven do not.
    EXPECT_EQ(z.win->Zoom(), 6.0);
    EXPECT_EQ(CanvasView::Text(2.0 / 3), QStringLiteral("66.7%"));
}

// A screen measurement on a screen at the window's device pixel ratio (2 when the tests run
// with QT_SCALE_FACTOR=2): the copy holds every device pixel, shows one device pixel per
// picture pixel, and a drag of 100 device pixels reads 101px, as on a screen at scale 1.
TEST(DevicePixels, ScreenCopyShowsAndMeasuresDevicePixels) {
    Screen() = ScreenInfo{15.0f, 15.0f, 1920 * 15.0f, 1080 * 15.0f};
    FakeDesktop desktop;
    const double ratio = QApplication::primaryScreen()->devicePixelRatio();
    if (qEnvironmentVariableIntValue("QT_SCALE_FACTOR") == 2) {
        ASSERT_EQ(ratio, 2.0);
    }
    desktop.screen = QSize(960, 540);
    desktop.deviceRatio = ratio;
    desktop.devicePicture = Checked(qRound(960 * ratio), qRound(540 * ratio));
    App app(desktop, QString());
    app.Strip().MeasureScreen();
    Form1& e = app.Editor();
    e.Timer2.SetEnabled(false);
    e.Timer3.SetEnabled(false);
    const QSize device = desktop.devicePicture.size();
    ASSERT_EQ(e.Picture2.Surface().size(), device);
    EXPECT_EQ(
        e.Picture2.Point(e.Picture2.Width - 1, e.Picture2.Height - 1),
        FromQColor(desktop.devicePicture.pixelColor(device.width() - 1, device.height() - 1)));

    FormWindow win(e);
    win.SetZoomable(QStringLiteral("Picture2"), QStringLiteral("Label6"));
    win.Sync();
    EXPECT_EQ(win.Zoom(), 1.0);
    const QImage shown = win.grab().toImage();
    ASSERT_EQ(shown.size(), device);
    for (QPoint p : {QPoint(0, 0), QPoint(1, 1), QPoint(777, 333), QPoint(1000, 500)})
        EXPECT_EQ(shown.pixel(p) & 0xffffff, desktop.devicePicture.pixel(p) & 0xffffff) << p.x();

    e.Image5_Click();
    const auto send = [&](QEvent::Type type, QPointF p, Qt::MouseButtons held) {
        const Qt::MouseButton b = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent ev(type, p, win.mapToGlobal(p), b, held, Qt::NoModifier);
        QApplication::sendEvent(&win, &ev);
    };
    // Window positions are logical pixels: 100 device pixels are 100 / ratio of them.
    const QPointF from(200 / ratio, 300 / ratio), to(300 / ratio, 304 / ratio);
    send(QEvent::MouseButtonPress, from, Qt::LeftButton);
    for (int k = 0; k < 2; ++k) {
        send(QEvent::MouseMove, to, Qt::LeftButton);
        e.Timer1_Timer();
    }
    send(QEvent::MouseButtonRelease, to, Qt::NoButton);
    EXPECT_EQ(e.aapx(1).Caption(), QStringLiteral("101px"));
}

// Screens are read when the editor is laid out: a screen at 144 dpi is copied whole (every
// pixel, not the part a fixed 15 twips per pixel reaches), and the editor and strip follow
// the screen the pointer is on.
TEST(DevicePixels, EditorFollowsThePointersScreenAsItIsNow) {
    Screen() = ScreenInfo{15.0f, 15.0f, 1920 * 15.0f, 1080 * 15.0f};
    FakeDesktop desktop;
    desktop.dpi = 144;
    desktop.screen = QSize(1280, 800);
    desktop.screenOrigin = QPoint(1920, 0);  // the second screen, right of the first
    desktop.devicePicture = Checked(1280, 800);
    App app(desktop, QString());
    app.Strip().MeasureScreen();
    Form1& e = app.Editor();
    EXPECT_FLOAT_EQ(Screen().TwipsPerPixelX, 10.0f);
    EXPECT_EQ(e.Picture2.Surface().size(), QSize(1280, 800));
    EXPECT_EQ(e.Picture2.Point(1279 * 10.0f, 799 * 10.0f),
              FromQColor(desktop.devicePicture.pixelColor(1279, 799)));
    EXPECT_FLOAT_EQ(e.Left, 1920 * 10.0f);
    EXPECT_FLOAT_EQ(e.Width, 1280 * 10.0f);
    form3& strip = app.Strip();
    EXPECT_FLOAT_EQ(strip.Left + strip.Width, (1920 + 1280) * 10.0f);

    // The resolution changes while the program waits: the next editor is laid out anew.
    app.UnloadEditor();
    app.CollectGarbage();
    desktop.dpi = 96;
    desktop.screen = QSize(2560, 1440);
    desktop.screenOrigin = QPoint(0, 0);
    EXPECT_FLOAT_EQ(app.Editor().Width, 2560 * 15.0f);
    EXPECT_FLOAT_EQ(Screen().Height, 1440 * 15.0f);
}

}  // namespace
}  // namespace orv::test
