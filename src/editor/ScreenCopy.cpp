#include "editor/ScreenCopy.h"

#include <QPainter>
#include <cmath>

#include "platform/Controls.h"
#include "platform/Desktop.h"
#include "platform/Screen.h"

namespace orv {

void CopyScreenOnto(PictureBox& canvas, Desktop& desktop) {
    const ScreenInfo& s = Screen();
    ScreenReading screen;
    screen.Rect = QRect(static_cast<int>(std::lround(s.Left / s.TwipsPerPixelX)),
                        static_cast<int>(std::lround(s.Top / s.TwipsPerPixelY)),
                        static_cast<int>(std::lround(s.Width / s.TwipsPerPixelX)),
                        static_cast<int>(std::lround(s.Height / s.TwipsPerPixelY)));
    screen.LogicalDpi = 1440.0 / s.TwipsPerPixelX;
    screen.DevicePixelRatio = s.DevicePixelRatio;
    const QImage shot = desktop.GrabScreenDevice(screen);
    if (shot.isNull()) {
        canvas.Width = s.Width;
        canvas.Height = s.Height;
        return;
    }
    // Every pixel of the copy is a picture pixel: the canvas takes its size.
    canvas.Width = static_cast<float>(shot.width()) * s.TwipsPerPixelX;
    canvas.Height = static_cast<float>(shot.height()) * s.TwipsPerPixelY;
    QPainter p(&canvas.Surface());
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, shot);
}

}  // namespace orv
