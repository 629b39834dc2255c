#pragma once
// The screen as the forms see it: size in twips and twips per pixel. It is
// read from the desktop when a window is laid out; tests set it directly.

namespace orv {

struct ScreenInfo {
    float TwipsPerPixelX = 15.0f;  ///< 1440 / logical dots per inch
    float TwipsPerPixelY = 15.0f;
    float Width = 1920 * 15.0f;     ///< screen width, twips
    float Height = 1080 * 15.0f;    ///< screen height, twips
    float Left = 0, Top = 0;        ///< the screen's corner on the desktop, twips
    double DevicePixelRatio = 1.0;  ///< device pixels per pixel
};

class Desktop;
/// Reads the screen the pointer is on into Screen(): called where a window
/// is laid out for it, so a change of resolution, scale or monitor since the
/// last time is followed.
void ReadScreen(Desktop& desktop);
/// Reads the screen again for a window laid out before: its place and size follow the
/// screen of this moment, while the twips per pixel stay those it was laid out in (its
/// controls and the picture are measured in them). Says whether anything changed.
bool ReadScreenKeepingScale(Desktop& desktop);

/// The one screen of the program (like the toolkit's global Screen object).
ScreenInfo& Screen();

}  // namespace orv
