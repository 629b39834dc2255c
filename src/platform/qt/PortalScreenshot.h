#pragma once
// A still copy of the screen through the desktop portal
// (org.freedesktop.portal.Screenshot), where the display server lets no
// program read the screen itself (Wayland).

#include <QDBusConnection>
#include <QImage>
#include <QString>

namespace orv {

struct PortalShot {
    enum class Outcome { Taken, Missing, Refused, Failed };
    Outcome outcome = Outcome::Failed;
    QImage picture;  ///< the copy, when taken
    QString detail;  ///< what went wrong, for the log
};

/// Asks the portal on bus for a copy of the whole screen without a dialog of
/// its own, and waits with events flowing (up to timeoutMs) for its answer.
PortalShot TakePortalScreenshot(const QDBusConnection& bus, int timeoutMs = 60000);

/// Whether the program runs in a Wayland session, where only the portal can
/// copy the screen: Qt's platform is Wayland, or a Wayland display is named
/// (the X server there, XWayland, holds none of the Wayland windows, so its
/// root window reads black), or the session says it is one.
bool InWaylandSession(const QString& platformName, const QString& waylandDisplay,
                      const QString& sessionType);

/// The message the user reads when no copy was taken; empty when one was.
QString PortalShotMessage(const PortalShot& shot);

}  // namespace orv
