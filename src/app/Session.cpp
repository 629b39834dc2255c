#include "app/Session.h"

#include <QSystemTrayIcon>

#include "app/SingleInstance.h"
#include "app/TrayStandIn.h"
#include "platform/qt/QtDesktop.h"
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
    if (QSystemTrayIcon::isSystemTrayAvailable()) return;
    standIn_ = std::make_unique<TrayStandIn>(
        [this] {
            app_.TrayHost().TrayNotify(kLeftButtonUp);
            desktop_.SyncAll();
        },
        [this] {
            // The icon made at start-up had nowhere to go: make it again.
            desktop_.TrayRemove();
            desktop_.TrayAdd(kTrayTip, kProgramIcon);
        },
        [] { return QSystemTrayIcon::isSystemTrayAvailable(); });
    standIn_->show();
}

}  // namespace orv
