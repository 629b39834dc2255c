#pragma once
// Where a window shows a top-level control. A zoomed canvas is shown larger or
// smaller than its place; code that keeps the canvas in view (edge scrolling)
// asks here instead of reading the place.

#include <functional>
#include <optional>

namespace orv {

class Control;

/// A rectangle in twips of the control's form.
struct ShownRect {
    float Left = 0, Top = 0, Width = 0, Height = 0;
};

/// Set by the window that zooms a control; answers nullopt for controls it shows as placed.
std::function<std::optional<ShownRect>(const Control&)>& ShownPlaceHook();
/// Where c is shown: the hook's answer, else its own place.
ShownRect ShownPlace(const Control& c);

}  // namespace orv
