#pragma once
// The program as one member of a desktop session: takes the paths later
// starts hand over, and stands in for the tray icon where the desktop has no
// notification area.

#include <memory>

namespace orv {

class App;
class QtDesktop;
class SingleInstance;
class TrayStandIn;

class Session {
  public:
    Session(App& app, QtDesktop& desktop, SingleInstance& instance);
    ~Session();

    /// After the tray host's start-up: shows the stand-in window when there
    /// is no notification area, and again whenever the notification area goes.
    void Start();
    TrayStandIn* StandIn() const { return standIn_.get(); }

  private:
    App& app_;
    QtDesktop& desktop_;
    std::unique_ptr<TrayStandIn> standIn_;
};

}  // namespace orv
