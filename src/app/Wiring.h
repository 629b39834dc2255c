#pragma once
// The program's wiring: which window of the Qt layer shows which form, what
// a dropped file or a window's close button runs, and where the tray icon's
// notifications go.

namespace orv {

class App;
class QtDesktop;

/// Connects the application's forms to the Qt layer; call before App::Start.
void Connect(App& app, QtDesktop& desktop);

}  // namespace orv
