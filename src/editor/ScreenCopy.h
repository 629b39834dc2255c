#pragma once
// The still copy of the screen that a screen measurement marks up.

namespace orv {

class Desktop;
class PictureBox;

/// Copies the screen that Screen() describes onto the canvas at the screen's
/// device resolution, one picture pixel per device pixel, and sizes the
/// canvas to the copy (so a 2x screen gives a canvas twice its size in pixels).
void CopyScreenOnto(PictureBox& canvas, Desktop& desktop);

}  // namespace orv
