#pragma once
// Stacking our windows the same way with and without a window manager: a
// window the size of the screen is shown full screen (above panels where the
// window manager allows it), and a topmost tool window names the window it
// serves as its owner, so a window manager keeps it above that one even when
// the owner sits in its full-screen layer; without one, raising does it.

#include <Qt>

class QWidget;

namespace orv {

/// Shows w in front, full screen when fullScreen (its form covers the whole
/// screen), and gives it the input focus unless it is a tool window.
void ShowOnTop(QWidget& w, bool fullScreen);

/// Makes the hidden window tool transient for owner (none: for no window); the
/// window manager reads this when tool is shown.
void SetOwner(QWidget& tool, QWidget* owner);

/// Where windows have no place of their own on the screen (Wayland), docks the
/// topmost window tool inside the full-screen window owner as a child, at the
/// same place in owner's coordinates, which are the screen's; with no owner it
/// becomes a window of its own again, with topLevelFlags.
void Dock(QWidget& tool, QWidget* owner, Qt::WindowFlags topLevelFlags);

}  // namespace orv
