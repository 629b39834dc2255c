#pragma once
// The view of a zoomed canvas: how far it is zoomed and where it lies in the
// window. The canvas and everything on it keep their coordinates; the view
// maps them to window pixels and back. Coordinates of the canvas space are
// the pixels its container would use at 100 % (twips / twips per pixel).

#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QString>

namespace orv {

class CanvasView {
  public:
    /// Zoom steps, in screen (device) pixels per picture pixel, from 12.5 % to 3200 %.
    static const double* Steps(int* count);
    /// The next step above (or below) z.
    static double StepAbove(double z);
    static double StepBelow(double z);
    /// The zoom as the read-out shows it: "100%", "12.5%", "3200%".
    static QString Text(double z);

    /// Screen pixels per picture pixel (1 = one device pixel per picture pixel).
    double Zoom() const { return zoom_; }
    /// Device pixels per window pixel of the screen the window is on.
    double DeviceRatio() const { return ratio_; }
    void SetDeviceRatio(double r);
    /// Window pixels per canvas-space pixel.
    double Scale() const { return zoom_ / ratio_; }

    /// The window pixel where the canvas's top-left corner shows, for a
    /// canvas placed at place (canvas space); whole pixels, so that moving the
    /// canvas moves its pixels by whole pixels.
    QPoint Origin(QPoint place) const;
    /// The canvas-space pixel under a window position.
    QPoint ToCanvas(QPointF window, QPoint place) const;
    /// The window rectangle a canvas-space rectangle covers (outward rounded).
    QRect ToWindow(const QRect& r, QPoint place) const;

    /// Zooms to z keeping the canvas point under the window position anchor in place.
    void ZoomAbout(double z, QPointF anchor, QPoint place);
    /// Back to one screen pixel per picture pixel, the canvas's corner at its own place.
    void Reset(QPoint place);
    /// The largest zoom that shows a canvas of size (canvas space) whole in the
    /// window area, centred there; whole multiples above 100 %.
    void Fit(QSize canvas, const QRect& area, QPoint place);

  private:
    double zoom_ = 1.0;
    double ratio_ = 1.0;
    QPointF offset_{0, 0};  ///< window position of the canvas space's origin
};

}  // namespace orv
