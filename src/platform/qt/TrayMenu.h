#pragma once
// The tray menu as notification-area hosts of the StatusNotifier kind draw it:
// Qt exports a menu given to the tray icon over D-Bus (the dbusmenu
// interface), and such a host shows it on a right click without asking the
// program. The XEmbed tray gets no menu of this kind: there a menu given to
// the icon would open by itself on a right click, beside the program's own.

#include <QDBusConnection>
#include <QMenu>
#include <functional>
#include <memory>

#include "platform/Desktop.h"

namespace orv {

/// Whether a StatusNotifier watcher on bus has a host registered, the test
/// Qt's tray icon makes once per program to choose the D-Bus route.
bool StatusNotifierHostRegistered(const QDBusConnection& bus);
/// Whether a StatusNotifier watcher is on bus at all.
bool StatusNotifierWatcherPresent(const QDBusConnection& bus);
/// Whether the tray icons of this program go over D-Bus: the answer of the
/// first call, as Qt keeps its own first answer for the program's life.
bool TrayIconsUseDBus();

/// Fills menu with items (captions translated, each action carrying its item's
/// name as data, submenus named by their item).
void FillMenu(QMenu& menu, const std::vector<MenuItem>& items);
/// Sets the check marks of menu's actions to those of the same-named items.
void SyncCheckMarks(QMenu& menu, const std::vector<MenuItem>& items);

/// The menu handed to the tray icon for export: rebuilt from current() when
/// a host is about to show it; chosen(name) runs after the host's call is
/// answered, so a dialog the item opens never holds the host waiting.
class ExportedTrayMenu {
  public:
    ExportedTrayMenu(std::function<Menu()> current, std::function<void(const QString&)> chosen);
    QMenu& Widget() { return *menu_; }
    /// Brings the check marks up to date.
    void Refresh();

  private:
    void ConnectActions(QMenu& menu);
    std::unique_ptr<QMenu> menu_;
    std::function<Menu()> current_;
    std::function<void(const QString&)> chosen_;
};

}  // namespace orv
