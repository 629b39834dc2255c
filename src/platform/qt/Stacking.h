#pragma once
// Stacking our windows the same way with and without a window manager: a
// window the size of the screen is shown full screen (above panels where the
// window manager allows it), and a topmost tool window names the window it
// serves as its owner, so a window manager keeps it above that one even when
// the owner sits in its full-screen layer; without one, raising does it.

class QWidget;

namespace orv {

/// Shows w in front, full screen when fullScreen (its form covers the whole
/// screen), and gives it the input focus unless it is a tool window.
void ShowOnTop(QWidget& w, bool fullScreen);

/// Makes the hidden window tool transient for owner (none: for no window); the
/// window manager reads this when tool is shown.
void SetOwner(QWidget& tool, QWidget* owner);

}  // namespace orv
