#pragma once
// The editor in its real Qt window (offscreen) on the fake desktop, its canvas
// zoomed about its corner, with pointer events sent in window positions.

#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <cmath>
#include <memory>

#include "FakeDesktop.h"
#include "editor/Form1.h"
#include "platform/Painter.h"
#include "platform/Screen.h"
#include "platform/qt/FormWindow.h"
#include "shell/App.h"

namespace orv::test {

// A picture whose every pixel differs from its neighbours.
inline QImage Checked(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.setPixel(x, y, qRgb((x * 37) & 255, (y * 53) & 255, 90));
    return img;
}

// The editor in its window on the fake desktop, its canvas zoomed about its corner.
struct ZoomedEditor {
    explicit ZoomedEditor(double zoom) {
        Screen() = ScreenInfo{15.0f, 15.0f, 1920 * 15.0f, 1080 * 15.0f};
        app = std::make_unique<App>(desktop, QString());
        Form1& e = app->Editor();
        e.Timer2.SetEnabled(false);
        e.Timer3.SetEnabled(false);
        e.Picture2.SetPicture(Checked(240, 160));
        app->ShowEditor();
        win = std::make_unique<FormWindow>(e);
        win->SetZoomable(QStringLiteral("Picture2"), QStringLiteral("Label6"));
        win->Sync();
        corner = ControlPlace(e.Picture2).topLeft();
        win->ZoomAbout(zoom, QPointF(corner));
        scale = win->Zoom() / win->devicePixelRatioF();
    }
    Form1& ed() { return app->Editor(); }
    /// A window position over picture pixel (x, y).
    QPointF At(int x, int y) const {
        return QPointF(corner.x() + std::ceil(scale * x - 1e-9),
                       corner.y() + std::ceil(scale * y - 1e-9));
    }
    void Send(QEvent::Type type, QPointF p, Qt::MouseButton b, Qt::MouseButtons held) {
        QMouseEvent ev(type, p, win->mapToGlobal(p), b, held, Qt::NoModifier);
        QApplication::sendEvent(win.get(), &ev);
    }
    /// A left-button drag between two window positions, with the measuring ticks.
    void Drag(QPointF from, QPointF to) {
        Send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        for (int k = 0; k < 2; ++k) {
            Send(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
            ed().Timer1_Timer();
        }
        Send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    }
    /// Saves the canvas through the save command; the file's bytes.
    QByteArray Save(const QString& path) {
        desktop.saveFiles.push_back(path);
        ed().Command5_Click();
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    FakeDesktop desktop;
    std::unique_ptr<App> app;
    std::unique_ptr<FormWindow> win;
    QPoint corner;
    double scale = 1;
};

}  // namespace orv::test
