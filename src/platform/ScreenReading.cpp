#include "platform/Desktop.h"
#include "platform/Screen.h"

namespace orv {

void ReadScreen(Desktop& desktop) {
    const ScreenReading s = desktop.PointerScreen();
    const double dpi = s.LogicalDpi > 0 ? s.LogicalDpi : 96.0;
    ScreenInfo& info = Screen();
    info.TwipsPerPixelX = info.TwipsPerPixelY = static_cast<float>(1440.0 / dpi);
    info.Width = static_cast<float>(s.Rect.width()) * info.TwipsPerPixelX;
    info.Height = static_cast<float>(s.Rect.height()) * info.TwipsPerPixelY;
    info.Left = static_cast<float>(s.Rect.x()) * info.TwipsPerPixelX;
    info.Top = static_cast<float>(s.Rect.y()) * info.TwipsPerPixelY;
    info.DevicePixelRatio = s.DevicePixelRatio > 0 ? s.DevicePixelRatio : 1.0;
}

bool ReadScreenKeepingScale(Desktop& desktop) {
    ScreenInfo& info = Screen();
    const ScreenInfo before = info;
    const ScreenReading s = desktop.PointerScreen();
    if (s.Rect.isEmpty()) return false;
    info.Width = static_cast<float>(s.Rect.width()) * before.TwipsPerPixelX;
    info.Height = static_cast<float>(s.Rect.height()) * before.TwipsPerPixelY;
    info.Left = static_cast<float>(s.Rect.x()) * before.TwipsPerPixelX;
    info.Top = static_cast<float>(s.Rect.y()) * before.TwipsPerPixelY;
    return info.Width != before.Width || info.Height != before.Height || info.Left != before.Left ||
           info.Top != before.Top;
}

}  // namespace orv
