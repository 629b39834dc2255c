// A stand-in for the desktop's Screenshot portal on the test session's bus: each
// Screenshot call takes a real copy of the compositor's output with grim and
// answers with its file, as a portal does. Every call is logged as one line
// to the file FAKE_PORTAL_LOG names.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QFile>
#include <QProcess>
#include <QTimer>
#include <QUrl>
#include <QVariantMap>
#include <cstdio>

class FakeScreenshotPortal : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Screenshot")
    Q_PROPERTY(uint version READ version)

  public:
    explicit FakeScreenshotPortal(QString folder) : folder_(std::move(folder)) {}
    uint version() const { return 2; }

  public slots:
    QDBusObjectPath Screenshot(const QString& parent, const QVariantMap& options,
                               const QDBusMessage& call) {
        QString sender = call.service().mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        const QString path =
            QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
                .arg(sender, options.value(QStringLiteral("handle_token")).toString());
        const QString file = QStringLiteral("%1/portal-shot-%2.png").arg(folder_).arg(++calls_);
        // The answer comes after the call has returned, as from a real portal.
        QTimer::singleShot(50, this, [this, path, file, parent] {
            const int status = QProcess::execute(QStringLiteral("grim"), {file});
            Log(QStringLiteral("Screenshot parent=%1 grim=%2 %3")
                    .arg(parent)
                    .arg(status)
                    .arg(file));
            QDBusMessage signal = QDBusMessage::createSignal(
                path, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
            signal << uint(status == 0 ? 0 : 2)
                   << QVariantMap{{QStringLiteral("uri"), QUrl::fromLocalFile(file).toString()}};
            QDBusConnection::sessionBus().send(signal);
        });
        return QDBusObjectPath(path);
    }

  private:
    static void Log(const QString& line) {
        QFile log(qEnvironmentVariable("FAKE_PORTAL_LOG"));
        if (log.open(QIODevice::Append | QIODevice::Text)) log.write(line.toUtf8() + '\n');
    }
    QString folder_;
    int calls_ = 0;
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: fake_portal FOLDER (where its copies go)\n");
        return 2;
    }
    FakeScreenshotPortal portal{QString::fromLocal8Bit(argv[1])};
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(
            QStringLiteral("/org/freedesktop/portal/desktop"), &portal,
            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties) ||
        !bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop"))) {
        std::fprintf(stderr, "fake_portal: cannot take org.freedesktop.portal.Desktop\n");
        return 1;
    }
    return app.exec();
}

#include "fake_portal.moc"
