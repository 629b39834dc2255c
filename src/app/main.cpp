// orvane: a picture markup tool that lives in the notification area.
// Usage: orvane [PATH]   opens PATH (quotes removed) in the editor at start.

#include <QApplication>
#include <QPalette>
#include <QStringList>
#include <QStyleFactory>

#include "app/Wiring.h"
#include "platform/Screen.h"
#include "platform/qt/QtDesktop.h"
#include "shell/App.h"

static void InitResources() {
    Q_INIT_RESOURCE(resources);
}

// Menus and dialogs in the dark tones of the tool bars.
static void UseDarkLook() {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QPalette p;
    const QColor window(0x2A, 0x2D, 0x33), base(0x1F, 0x21, 0x26), text(0xD9, 0xDC, 0xE1);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::ToolTipBase, QColor(0xFF, 0xFF, 0xE1));
    p.setColor(QPalette::ToolTipText, Qt::black);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, window);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::Highlight, QColor(0x3D, 0x8B, 0xFD));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(0x7A, 0x7F, 0x88));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x7A, 0x7F, 0x88));
    QApplication::setPalette(p);
}

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvane Tessaly"));
    QApplication::setApplicationVersion(QStringLiteral("1.1"));
    QApplication::setQuitOnLastWindowClosed(false);
    InitResources();
    UseDarkLook();

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
    orv::Connect(app, desktop);
    app.Start();
    desktop.SyncAll();
    return QApplication::exec();
}
