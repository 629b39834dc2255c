#pragma once
// A top-level window of the program as data: caption, place, visibility and
// its controls. The Qt layer shows it as a window and keeps it in step.

#include <QImage>
#include <QString>

#include "platform/Controls.h"

namespace orv {

class Form : public Container {
  public:
    explicit Form(QString name) : Name(std::move(name)) {}
    QString Name;
    QString Caption;
    float Left = 0, Top = 0, Width = 0, Height = 0;  ///< twips
    bool Visible = false;
    int WindowState = 0;  ///< 0 normal, 1 minimised, 2 maximised
    Colour BackColor = RGB(32, 34, 38);
    bool Topmost = false;
    bool ShowInTaskbar = true;
    bool AutoRedraw = false;
    /// Persistent drawing of the window (the tiled background), in pixels.
    QImage Surface;
    /// The control that holds the pointer capture, if any.
    Control* Capture = nullptr;
    /// Asks the window to take the input focus for a text box.
    TextBox* FocusRequest = nullptr;
    /// With FocusRequest: the box's whole text is selected too, so typing replaces it.
    bool FocusSelectsAll = false;
    /// Asks the window to take the keyboard back from whichever text box holds it.
    bool FocusToWindow = false;
    /// The text box that holds the keyboard, kept by the window layer; null
    /// when the window itself takes the keys. Only compared, never followed.
    const TextBox* Focused = nullptr;
    /// The control the window frames as the one selected, if any; asked at every paint. The
    /// frame is the window's own: it never reaches a picture painted from the controls.
    std::function<const Control*()> Marked;
    /// A key pressed (down) or released on the window: Qt key code and the
    /// modifier mask of MouseEvent::Shift.
    std::function<void(int key, int shift, bool down)> Key;
};

}  // namespace orv
