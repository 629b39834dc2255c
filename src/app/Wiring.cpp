#include "app/Wiring.h"

#include <QIcon>

#include "editor/Form1.h"
#include "platform/qt/QtDesktop.h"
#include "shell/App.h"
#include "shell/Form2.h"
#include "shell/form3.h"

namespace orv {

void Connect(App& app, QtDesktop& desktop) {
    desktop.Install();
    app.FormLoaded = [&desktop](Form& form) {
        if (dynamic_cast<Form2*>(&form)) return;  // the tray host is never shown
        FormWindow& w = desktop.AddWindow(form);
        w.setWindowIcon(QIcon(kProgramIcon));
        if (auto* ed = dynamic_cast<Form1*>(&form)) {
            w.setAcceptDrops(true);
            w.FileDropped = [ed](const QString& path) { ed->OpenDroppedFile(path); };
            w.CloseRequested = [ed] { ed->Image3_Click(); };
            w.SetZoomable(QStringLiteral("Picture2"), QStringLiteral("Label6"));
        } else if (auto* strip = dynamic_cast<form3*>(&form)) {
            w.CloseRequested = [strip] { strip->QueryUnload(); };
        }
    };
    app.FormUnloaded = [&desktop](Form& form) { desktop.RemoveWindow(form); };
    desktop.TrayNotified = [&app](int message) { app.TrayHost().TrayNotify(message); };
    desktop.TrayMenuNow = [] { return Form2::TrayMenu(); };
    desktop.TrayMenuChosen = [&app](const QString& item) { app.TrayHost().RunMenuItem(item); };
    desktop.CollectGarbage = [&app] { app.CollectGarbage(); };
}

}  // namespace orv
