// orvane: a picture markup tool that lives in the notification area.
// Usage: orvane [PATH]   opens PATH (quotes removed) in the editor at start;
//        orvane --help      lists the options that run without a display.

#include <QApplication>
#include <QPalette>
#include <QStringList>
#include <QStyleFactory>

#include "app/CommandLine.h"
#include "app/Languages.h"
#include "app/Session.h"
#include "app/SingleInstance.h"
#include "app/Wiring.h"
#include "imaging/io/DecodedPictures.h"
#include "platform/InPlaceBackup.h"
#include "platform/PathBytes.h"
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
    // A save in place that a kill interrupted gets its file's old bytes back first.
    orv::RestoreUnfinishedInPlaceWrites(orv::InPlaceBackupFolder());
    if (const std::optional<int> status = orv::RunCommandLine(argc, argv)) return *status;
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvane Tessaly"));
    QApplication::setApplicationVersion(QStringLiteral("1.1"));
    QApplication::setQuitOnLastWindowClosed(false);
    InitResources();
    orv::UseLanguage(QLocale::system());
    UseDarkLook();

    // Picture files are read on a worker thread while the tray and windows keep running.
    orv::SetPictureReadPump([] { QCoreApplication::processEvents(QEventLoop::AllEvents, 10); });

    orv::QtDesktop desktop;
    orv::ReadScreen(desktop);  // read again wherever a window is laid out

    // Everything after the program's own name (Qt has taken its own options out), as one
    // text; names keep their bytes, whatever the file system holds.
    QStringList args;
    for (int i = 1; i < argc; ++i) args << orv::PathFromBytes(argv[i]);
    // A program already running in this session takes the path instead.
    orv::SingleInstance instance(orv::SessionSocketName());
    if (instance.HandOffOrListen(
            orv::AbsoluteCommandLine(args.join(' '), orv::CurrentFolderPath())))
        return 0;
    orv::App app(desktop, args.join(QLatin1Char(' ')));
    orv::Connect(app, desktop);
    orv::Session session(app, desktop, instance);
    app.Start();
    session.Start();
    desktop.SyncAll();
    return QApplication::exec();
}
