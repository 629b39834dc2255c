#include "app/Session.h"

#include <QSystemTrayIcon>

#include "app/SingleInstance.h"
#include "app/TrayStandIn.h"
#include "platform/qt/QtDesktop.h"
#include "platform/qt/TrayMenu.h"
#include "shell/App.h"
#include "shell/Form2.h"

namespace orv {

Session::Session(App& app, QtDesktop& desktop, SingleInstance& instance)
    : app_(app), desktop_(desktop) {
    instance.Received = [this](const QString& commandLine) {
        app_.TrayHost().OpenCommandLine(commandLine);
        if (Form1* editor = app_.EditorIfLoaded(); editor && editor->Visible) {
            desktop_.SyncAll();
            desktop_.SetForeground(*editor);
        }
        desktop_.SyncAll();
    };
}

Session::~Session() = default;

void Session::Start() {
    standIn_ = std::make_unique<TrayStandIn>(
        [this] {
            app_.TrayHost().TrayNotify(kLeftButtonUp);
            desktop_.SyncAll();
        },
        [this] {
            // The icon made before had nowhere to go, or its host went: make it again.
            desktop_.TrayRemove();
            desktop_.TrayAdd(kTrayTip, kProgramIcon);
        },
        [] {
            // Where the icon went over D-Bus, the StatusNotifier watcher is the notification area.
            return TrayIconsUseDBus() ? StatusNotifierWatcherPresent(QDBusConnection::sessionBus())
                                      : QSystemTrayIcon::isSystemTrayAvailable();
        });
    // A pop-up menu opened from the window belongs to it.
    desktop_.MenuHolder = standIn_.get();
}

}  // namespace orv
