#pragma once
// Where a window shows a control. A zoomed canvas, and everything on it, is
// shown larger or smaller than its place; code that keeps the canvas in view
// (edge scrolling) or lays a window control over one on the canvas (the label
// text editor) asks here instead of reading the place.

#include <functional>
#include <optional>

namespace orv {

class Control;

/// A rectangle in twips of the control's form.
struct ShownRect {
    float Left = 0, Top = 0, Width = 0, Height = 0;
    float Scale = 1;  ///< shown size per size of the control's own place
};

/// Set by the window that zooms a control; answers nullopt for controls it shows as placed.
std::function<std::optional<ShownRect>(const Control&)>& ShownPlaceHook();
/// Where c is shown: the hook's answer, else its own place plus the places of the
/// picture boxes it lies in.
ShownRect ShownPlace(const Control& c);

}  // namespace orv
