// orvane: a picture markup tool that lives in the notification area.
// Usage: orvane [PATH]   opens PATH (quotes removed) in the editor at start.

#include <QApplication>
#include <QStringList>

#include "platform/Screen.h"
#include "platform/qt/QtDesktop.h"
#include "shell/App.h"

static void InitResources() {
    Q_INIT_RESOURCE(resources);
}

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvane Tessaly"));
    QApplication::setApplicationVersion(QStringLiteral("1.1"));
    QApplication::setQuitOnLastWindowClosed(false);
    InitResources();

    orv::QtDesktop desktop;
    const double dpi = desktop.LogicalDpi() > 0 ? desktop.LogicalDpi() : 96.0;
    orv::ScreenInfo& screen = orv::Screen();
    screen.TwipsPerPixelX = screen.TwipsPerPixelY = static_cast<float>(1440.0 / dpi);
    screen.Width = static_cast<float>(desktop.ScreenSize().width()) * screen.TwipsPerPixelX;
    screen.Height = static_cast<float>(desktop.ScreenSize().height()) * screen.TwipsPerPixelY;

    // Everything after the program's own name, as one text.
    QStringList args = QApplication::arguments();
    args.removeFirst();
    orv::App app(desktop, args.join(QLatin1Char(' ')));
    desktop.Attach(app);
    app.Start();
    desktop.SyncAll();
    return QApplication::exec();
}
