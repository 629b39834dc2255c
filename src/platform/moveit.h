#pragma once
// moveit: lets the user move a borderless window, or the magnifier view inside
// the editor, by pressing anywhere on a chosen area instead of a title bar.

namespace orv {

class Desktop;
class Form;

/// Starts the system move of window, unless it is maximised.
void DragWindow(Desktop& desktop, Form& window);
/// Starts the move of the editor's magnifier view fd, unless window is maximised.
void DragMagnifierView(Desktop& desktop, Form& window);

}  // namespace orv
