#pragma once
// The screen as the forms see it: size in twips and twips per pixel. The
// application fills it from the desktop at start; tests set it directly.

namespace orv {

/// Twips per pixel used where a fixed divisor is called for (screen copies,
/// edge scrolling, PSD sizes).
constexpr float kFixedTwipsPerPixel = 15.0f;

struct ScreenInfo {
    float TwipsPerPixelX = 15.0f;  ///< 1440 / logical dots per inch
    float TwipsPerPixelY = 15.0f;
    float Width = 1920 * 15.0f;   ///< screen width, twips
    float Height = 1080 * 15.0f;  ///< screen height, twips
};

/// The one screen of the program (like the toolkit's global Screen object).
ScreenInfo& Screen();

}  // namespace orv
