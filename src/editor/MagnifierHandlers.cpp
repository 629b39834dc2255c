// The magnifier: a view of the screen round the pointer, four times enlarged,
// refreshed by Timer3, with a green frame on the pointer's pixel. The view can
// be dragged about inside the editor.

#include <QImage>
#include <QPoint>
#include <algorithm>
#include <cstdint>

#include "annotations/Magnifier.h"
#include "editor/Form1.h"
#include "platform/Desktop.h"
#include "platform/Screen.h"
#include "platform/ShownPlace.h"
#include "platform/moveit.h"

namespace orv {

namespace {

constexpr int kSourceOffset = 7;  // the source square starts this far left of and above the pointer
constexpr float kFrameCorner = 27;  // view pixel just above and left of the pointer's block

}  // namespace

void Form1::Timer3_Timer() {
    const QPoint cursor = desktop.CursorPos();
    const int x = ClampCoordinate(cursor.x()) - kSourceOffset;
    const int y = ClampCoordinate(cursor.y()) - kSourceOffset;
    const int srcW = vars.lensWidth / 2, srcH = vars.lensHeight / 2;
    const int destW = vars.lensWidth * 2, destH = vars.lensHeight * 2;
    if (srcW > 0 && srcH > 0) {
        QImage& view = fd.Surface();
        if (desktop.CanGrabScreen()) {
            // The one transient read of the tick; released when the tick ends.
            QImage shot = desktop.GrabScreen(x, y, srcW, srcH);
            if (shot.format() != QImage::Format_RGB32 && shot.format() != QImage::Format_ARGB32 &&
                shot.format() != QImage::Format_ARGB32_Premultiplied)
                shot.convertTo(QImage::Format_RGB32);
            const int sw = shot.width(), sh = shot.height();
            Magnify(view, destW, destH, [&](int sx, int sy) -> uint32_t {
                if (sx >= sw || sy >= sh) return 0xFF000000u;
                return 0xFF000000u | reinterpret_cast<const uint32_t*>(shot.constScanLine(sy))[sx];
            });
        } else {
            // The screen cannot be read here: magnify the editor's own canvas, whose
            // top-left corner shows at (cx, cy) screen pixels, zoom screen pixels a pixel.
            const float tx = Screen().TwipsPerPixelX, ty = Screen().TwipsPerPixelY;
            const ShownRect shown = ShownPlace(Picture2);
            const float zoom = shown.Scale > 0 ? shown.Scale : 1.0f;
            const int cx = static_cast<int>((Left + shown.Left) / tx);
            const int cy = static_cast<int>((Top + shown.Top) / ty);
            Magnify(view, destW, destH, [&](int sx, int sy) -> uint32_t {
                const float fx = (static_cast<float>(x + sx - cx) + 0.5f) / zoom;
                const float fy = (static_cast<float>(y + sy - cy) + 0.5f) / zoom;
                const int64_t c = Picture2.Point(fx * tx, fy * ty);
                if (c < 0) return 0xFF000000u;
                const auto colour = static_cast<Colour>(c);
                return qRgb(RedOf(colour), GreenOf(colour), BlueOf(colour));
            });
        }
    }
    fd1.Left = kFrameCorner;
    fd1.Top = kFrameCorner;
}

void Form1::fd_MouseMove(const MouseEvent&) {
    DragMagnifierView(desktop, *this);
}

}  // namespace orv
