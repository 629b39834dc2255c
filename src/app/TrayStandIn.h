#pragma once
// Where the desktop has no notification area, a small ordinary window stands
// in for the tray icon: its menu button opens the tray menu. Once a
// notification area appears (polled every two seconds; the check reads who
// owns the tray selection, so it costs one round trip to the display), the
// tray icon is added and the window goes away.

#include <QWidget>
#include <functional>

class QTimer;
class QToolButton;

namespace orv {

class TrayStandIn : public QWidget {
  public:
    /// openMenu opens the tray menu; trayAppeared runs once when a
    /// notification area appears. isTrayAvailable answers whether one exists.
    TrayStandIn(std::function<void()> openMenu, std::function<void()> trayAppeared,
                std::function<bool()> isTrayAvailable);

    /// Checks for a notification area now (the poll's step).
    void CheckTray();
    QToolButton* MenuButton() const { return menuButton_; }

  protected:
    /// Closing would leave the program unreachable: the window is minimised instead.
    void closeEvent(QCloseEvent* event) override;

  private:
    std::function<void()> openMenu_, trayAppeared_;
    std::function<bool()> isTrayAvailable_;
    QToolButton* menuButton_;
    QTimer* poll_;
};

}  // namespace orv
