#pragma once
// Where the desktop has no notification area, a small ordinary window stands
// in for the tray icon: its menu button opens the tray menu. The notification
// area is watched all along (polled every two seconds; the check reads who
// owns the tray selection or whether the StatusNotifier watcher is on the
// bus, so it costs one round trip): once one appears, the tray icon is added
// and the window goes away; when it goes (a panel ends or restarts), the
// window comes back.

#include <QWidget>
#include <functional>

class QTimer;
class QToolButton;

namespace orv {

class TrayStandIn : public QWidget {
  public:
    /// openMenu opens the tray menu; trayAppeared runs each time a
    /// notification area appears after none was there. isTrayAvailable answers
    /// whether one exists. The window shows at once when none does.
    TrayStandIn(std::function<void()> openMenu, std::function<void()> trayAppeared,
                std::function<bool()> isTrayAvailable);

    /// Checks for a notification area now (the poll's step).
    void CheckTray();
    /// Whether the window stands in for a missing notification area now.
    bool StandingIn() const { return standingIn_; }
    QToolButton* MenuButton() const { return menuButton_; }

  protected:
    /// Closing would leave the program unreachable: the window is minimised instead.
    void closeEvent(QCloseEvent* event) override;

  private:
    std::function<void()> openMenu_, trayAppeared_;
    std::function<bool()> isTrayAvailable_;
    QToolButton* menuButton_;
    QTimer* poll_;
    bool standingIn_ = false;
};

}  // namespace orv
