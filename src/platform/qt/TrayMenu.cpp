#include "platform/qt/TrayMenu.h"

#include <QAction>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QPointer>
#include <QTimer>

#include "platform/qt/Translate.h"

namespace orv {

namespace {
const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
}  // namespace

bool StatusNotifierWatcherPresent(const QDBusConnection& bus) {
    if (!bus.isConnected() || !bus.interface()) return false;
    return bus.interface()->isServiceRegistered(kWatcherService).value();
}

bool StatusNotifierHostRegistered(const QDBusConnection& bus) {
    if (!StatusNotifierWatcherPresent(bus)) return false;
    QDBusInterface watcher(kWatcherService, QStringLiteral("/StatusNotifierWatcher"),
                           kWatcherService, bus);
    return watcher.property("IsStatusNotifierHostRegistered").toBool();
}

bool TrayIconsUseDBus() {
    static const bool dbus = StatusNotifierHostRegistered(QDBusConnection::sessionBus());
    return dbus;
}

void FillMenu(QMenu& menu, const std::vector<MenuItem>& items) {
    for (const MenuItem& item : items) {
        if (item.Items.empty()) {
            QAction* a = menu.addAction(Tr(item.Caption));
            a->setData(item.Name);
            a->setCheckable(item.Checkable);
            a->setChecked(item.Checked);
        } else {
            QMenu* sub = menu.addMenu(Tr(item.Caption));
            sub->setObjectName(item.Name);
            FillMenu(*sub, item.Items);
        }
    }
}

void SyncCheckMarks(QMenu& menu, const std::vector<MenuItem>& items) {
    for (QAction* a : menu.actions()) {
        if (QMenu* sub = a->menu()) {
            for (const MenuItem& item : items)
                if (item.Name == sub->objectName()) SyncCheckMarks(*sub, item.Items);
            continue;
        }
        for (const MenuItem& item : items)
            if (item.Name == a->data().toString() && item.Checkable) a->setChecked(item.Checked);
    }
}

ExportedTrayMenu::ExportedTrayMenu(std::function<Menu()> current,
                                   std::function<void(const QString&)> chosen)
    : menu_(std::make_unique<QMenu>()), current_(std::move(current)), chosen_(std::move(chosen)) {
    const Menu m = current_();
    menu_->setObjectName(m.Name);
    FillMenu(*menu_, m.Items);
    QObject::connect(menu_.get(), &QMenu::aboutToShow, menu_.get(), [this] { Refresh(); });
    ConnectActions(*menu_);
}

void ExportedTrayMenu::ConnectActions(QMenu& menu) {
    // Each action on its own: a host's choice in a submenu reaches no menu above it.
    for (QAction* a : menu.actions()) {
        if (QMenu* sub = a->menu()) {
            ConnectActions(*sub);
            continue;
        }
        const QString name = a->data().toString();
        QObject::connect(a, &QAction::triggered, menu_.get(), [this, name] {
            QTimer::singleShot(0, menu_.get(), [this, name] {
                // The item may take the tray icon, and this menu with it, away.
                const QPointer<QMenu> alive(menu_.get());
                const auto chosen = chosen_;
                chosen(name);
                if (alive) Refresh();
            });
        });
    }
}

void ExportedTrayMenu::Refresh() {
    SyncCheckMarks(*menu_, current_().Items);
}

}  // namespace orv
