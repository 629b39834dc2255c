#pragma once
// The program as one member of a desktop session: takes the paths later
// starts hand over, stands in for the tray icon where the desktop has no
// notification area, and keeps the markup through signals and logouts.

#include <memory>

class QSessionManager;

namespace orv {

class App;
class QtDesktop;
class Recovery;
class SingleInstance;
class TerminationSignals;
class TrayStandIn;

class Session {
  public:
    Session(App& app, QtDesktop& desktop, SingleInstance& instance);
    ~Session();

    /// After the tray host's start-up: offers the markup a killed run left, and shows the
    /// stand-in window when there is no notification area, and again whenever it goes.
    void Start();
    TrayStandIn* StandIn() const { return standIn_.get(); }
    /// The markup journal; null when there is no state folder.
    Recovery* Journal() const { return recovery_.get(); }

  private:
    /// Keeps the markup in the journal, and ends cleanly on a signal or a logout.
    void KeepWork();
    void EndOnSignal();
    void CommitData(QSessionManager& manager);

    App& app_;
    QtDesktop& desktop_;
    std::unique_ptr<TrayStandIn> standIn_;
    std::unique_ptr<Recovery> recovery_;
    std::unique_ptr<TerminationSignals> signals_;
};

}  // namespace orv
