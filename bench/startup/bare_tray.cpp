// The peer of the start-up benchmark: a bare Qt program that shows only a tray
// icon (the same picture as orvane's) and waits.
#include <QApplication>
#include <QIcon>
#include <QSystemTrayIcon>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QSystemTrayIcon tray(QIcon(QString::fromLocal8Bit(argc > 1 ? argv[1] : "")));
    tray.setToolTip(QStringLiteral("bare"));
    tray.show();
    return QApplication::exec();
}
