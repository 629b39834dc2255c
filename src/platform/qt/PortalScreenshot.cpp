#include "platform/qt/PortalScreenshot.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QEventLoop>
#include <QRandomGenerator>
#include <QTimer>
#include <QUrl>
#include <QVariantMap>

#include "platform/qt/Translate.h"

namespace orv {

namespace {
const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.Screenshot");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");

/// Receives the request's Response signal (D-Bus signals need a slot).
class ResponseReceiver : public QObject {
    Q_OBJECT
  public:
    explicit ResponseReceiver(QEventLoop& loop) : loop_(loop) {}
    bool answered = false;
    uint code = 2;
    QVariantMap results;

  public slots:
    void Response(uint response, const QVariantMap& values) {
        answered = true;
        code = response;
        results = values;
        loop_.quit();
    }

  private:
    QEventLoop& loop_;
};

/// The request object the portal makes for a call of ours with token.
QString RequestPath(const QDBusConnection& bus, const QString& token) {
    QString sender = bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return kPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
}
}  // namespace

PortalShot TakePortalScreenshot(const QDBusConnection& bus, int timeoutMs) {
    PortalShot shot;
    if (!bus.isConnected()) {
        shot.outcome = PortalShot::Outcome::Missing;
        shot.detail = QStringLiteral("no session bus");
        return shot;
    }
    QEventLoop loop;
    ResponseReceiver receiver(loop);
    const QString token = QStringLiteral("orvane%1")
                              .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    // Listen before asking, so an answer that comes at once is not missed.
    QString requestPath = RequestPath(bus, token);
    QDBusConnection connection(bus);
    const auto listen = [&](const QString& path) {
        return connection.connect(QString(), path, kRequest, QStringLiteral("Response"), &receiver,
                                  SLOT(Response(uint, QVariantMap)));
    };
    listen(requestPath);

    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Screenshot"));
    call << QString()
         << QVariantMap{{QStringLiteral("handle_token"), token},
                        {QStringLiteral("interactive"), false},
                        {QStringLiteral("modal"), true}};
    QDBusPendingCallWatcher watcher(connection.asyncCall(call, timeoutMs));
    QDBusMessage reply;
    QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, [&] {
        reply = watcher.reply();
        if (reply.type() == QDBusMessage::ErrorMessage) {
            loop.quit();
            return;
        }
        // Portals before version 0.9 choose the request path themselves.
        const QString path = reply.arguments().value(0).value<QDBusObjectPath>().path();
        if (!path.isEmpty() && path != requestPath) {
            connection.disconnect(QString(), requestPath, kRequest, QStringLiteral("Response"),
                                  &receiver, SLOT(Response(uint, QVariantMap)));
            requestPath = path;
            listen(requestPath);
        }
    });
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    timeout.start(timeoutMs);
    if (!receiver.answered) loop.exec();
    connection.disconnect(QString(), requestPath, kRequest, QStringLiteral("Response"), &receiver,
                          SLOT(Response(uint, QVariantMap)));

    if (reply.type() == QDBusMessage::ErrorMessage) {
        const QString name = reply.errorName();
        const bool missing =
            name == QStringLiteral("org.freedesktop.DBus.Error.ServiceUnknown") ||
            name == QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod") ||
            name == QStringLiteral("org.freedesktop.DBus.Error.UnknownInterface") ||
            name == QStringLiteral("org.freedesktop.DBus.Error.UnknownObject");
        shot.outcome = missing ? PortalShot::Outcome::Missing : PortalShot::Outcome::Failed;
        shot.detail = name + QStringLiteral(": ") + reply.errorMessage();
        return shot;
    }
    if (!receiver.answered) {
        shot.detail = QStringLiteral("the portal did not answer");
        return shot;
    }
    if (receiver.code == 1) {
        shot.outcome = PortalShot::Outcome::Refused;
        return shot;
    }
    const QUrl uri(receiver.results.value(QStringLiteral("uri")).toString());
    if (receiver.code != 0 || !uri.isLocalFile()) {
        shot.detail =
            QStringLiteral("response %1, uri \"%2\"").arg(receiver.code).arg(uri.toString());
        return shot;
    }
    shot.picture = QImage(uri.toLocalFile());
    if (shot.picture.isNull()) {
        shot.detail = QStringLiteral("unreadable picture ") + uri.toLocalFile();
        return shot;
    }
    shot.outcome = PortalShot::Outcome::Taken;
    return shot;
}

QString PortalShotMessage(const PortalShot& shot) {
    switch (shot.outcome) {
        case PortalShot::Outcome::Taken:
            return {};
        case PortalShot::Outcome::Missing:
            return QCoreApplication::translate(
                kTextContext,
                "The screen cannot be copied: this desktop offers no screenshot portal.");
        case PortalShot::Outcome::Refused:
            return QCoreApplication::translate(kTextContext, "The screen copy was refused.");
        case PortalShot::Outcome::Failed:
            break;
    }
    return QCoreApplication::translate(kTextContext, "The screen could not be copied.");
}

bool InWaylandSession(const QString& platformName, const QString& waylandDisplay,
                      const QString& sessionType) {
    return platformName == QStringLiteral("wayland") || !waylandDisplay.isEmpty() ||
           sessionType.compare(QStringLiteral("wayland"), Qt::CaseInsensitive) == 0;
}

}  // namespace orv

#include "PortalScreenshot.moc"
