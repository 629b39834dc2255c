#include "app/Session.h"

#include <QApplication>
#include <QSessionManager>
#include <QSystemTrayIcon>
#include <cstdio>
#include <cstdlib>

#include "app/Recovery.h"
#include "app/SingleInstance.h"
#include "app/TrayStandIn.h"
#include "platform/PathBytes.h"
#include "platform/StateFolder.h"
#include "platform/TerminationSignals.h"
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
    // A hand-off never opens inside a box or a menu: it waits until the box is answered.
    instance.Busy = [this] {
        return desktop_.InModal() || QApplication::activeModalWidget() ||
               QApplication::activePopupWidget();
    };
    instance.LeftOut = [this](int count) {
        desktop_.MessageBox(
            QStringLiteral("%1 pictures handed over meanwhile were left out; only the last one "
                           "opens.")
                .arg(count),
            QStringLiteral("Orvane Tessaly"), MessageIcon::Information);
    };
    KeepWork();
}

Session::~Session() = default;

void Session::KeepWork() {
    signals_ = std::make_unique<TerminationSignals>([this](int) { EndOnSignal(); });
    const QString state = PathFromBytes(QByteArray::fromStdString(StateFolder()));
    if (state.isEmpty()) return;  // no home: nothing can be kept
    recovery_ =
        std::make_unique<Recovery>(app_, desktop_, JournalFolder(state, SessionSocketName()));
    recovery_->Ask = [this](const QString& question) {
        return desktop_.Ask(question, QStringLiteral("Orvane Tessaly"),
                            {QStringLiteral("&Restore"), QStringLiteral("&Discard")});
    };
    // "Exit" from the tray menu: nothing is left unsaved that the user wanted kept.
    desktop_.Ending = [this] { recovery_->Forget(); };
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, qApp,
                     [this](QSessionManager& manager) { CommitData(manager); });
}

void Session::EndOnSignal() {
    if (recovery_) recovery_->WriteNow();
    desktop_.TrayRemove();
    desktop_.SyncAll();
    if (!desktop_.InModal() && !QApplication::activeModalWidget() &&
        !QApplication::activePopupWidget()) {
        // exit, not quit: quit asks every window first, and the editor's would not close.
        QCoreApplication::exit(0);
        return;
    }
    // A dialog's own event loop would keep running after quit: the journal is on disk and
    // the icon gone, so the program ends here.
    std::fflush(nullptr);
    std::_Exit(0);
}

void Session::CommitData(QSessionManager& manager) {
    Form1* editor = app_.EditorIfLoaded();
    if (!recovery_ || !editor || !editor->unsaved.Pending()) return;
    // Whatever the answer, the session may end the program next: the journal is written first.
    recovery_->WriteNow();
    if (!manager.allowsInteraction()) return;
    const bool mayEnd = editor->MayDiscardWork();
    manager.release();
    if (!mayEnd) {
        manager.cancel();
        return;
    }
    // Saved, or thrown away on purpose: no journal is wanted for either.
    if (editor->unsaved.Pending())
        recovery_->Forget();
    else
        recovery_->WriteNow();
}

void Session::Start() {
    if (recovery_) recovery_->OfferLeftWork();
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
