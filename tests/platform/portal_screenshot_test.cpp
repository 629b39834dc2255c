// The screen copy through the desktop portal, against a fake portal on a
// private session bus: a dbus-daemon started here, and a fake
// org.freedesktop.portal.Screenshot that answers with a Response signal.
#include <gtest/gtest.h>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QVariantMap>

#include "platform/qt/PortalScreenshot.h"

namespace orv::test {
namespace {

class FakePortal : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Screenshot")
  public:
    explicit FakePortal(QDBusConnection bus) : bus_(std::move(bus)) {}
    uint answer = 0;
    QString uri;
    bool ownRequestPath = false;  ///< as portals before 0.9 did
    bool silent = false;
    int calls = 0;
    QVariantMap options;

  public slots:
    QDBusObjectPath Screenshot(const QString&, const QVariantMap& opts, const QDBusMessage& call) {
        ++calls;
        options = opts;
        QString sender = call.service().mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        const QString path =
            ownRequestPath
                ? QStringLiteral("/org/freedesktop/portal/desktop/request/old/7")
                : QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
                      .arg(sender, opts.value(QStringLiteral("handle_token")).toString());
        if (!silent)
            QTimer::singleShot(20, this, [this, path] {
                QDBusMessage signal = QDBusMessage::createSignal(
                    path, QStringLiteral("org.freedesktop.portal.Request"),
                    QStringLiteral("Response"));
                signal << answer << QVariantMap{{QStringLiteral("uri"), uri}};
                bus_.send(signal);
            });
        return QDBusObjectPath(path);
    }

  private:
    QDBusConnection bus_;
};

/// A session bus that starts no services and lets every client own any name.
constexpr char kBusConfig[] = R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

class PortalScreenshotTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        // A bus of its own: no service folders, so nothing installed on the machine (a real
        // portal above all) is started on it and takes the names the fakes register.
        const QString config = dir.filePath(QStringLiteral("bus.conf"));
        QFile file(config);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(kBusConfig);
        file.close();
        daemon.start(QStringLiteral("dbus-daemon"),
                     {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                      QStringLiteral("--print-address")});
        ASSERT_TRUE(daemon.waitForStarted(5000)) << "dbus-daemon cannot be started";
        while (!daemon.canReadLine() && daemon.waitForReadyRead(5000)) {
        }
        address = QString::fromUtf8(daemon.readLine()).trimmed();
        ASSERT_FALSE(address.isEmpty());
        ASSERT_TRUE(client().isConnected());
    }
    void TearDown() override {
        StopServing();
        QDBusConnection::disconnectFromBus(QStringLiteral("orvane-client"));
        daemon.kill();
        daemon.waitForFinished(5000);
    }
    QDBusConnection client() {
        return QDBusConnection::connectToBus(address, QStringLiteral("orvane-client"));
    }
    /// Puts the fake portal on the bus.
    /// Each call connects under a new name: a connection closed a moment ago may still
    /// be going away under its old one.
    FakePortal& Serve() {
        portalName = QStringLiteral("fake-portal-%1").arg(++served);
        QDBusConnection bus = QDBusConnection::connectToBus(address, portalName);
        portal = std::make_unique<FakePortal>(bus);
        EXPECT_TRUE(bus.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"),
                                       portal.get(), QDBusConnection::ExportAllSlots));
        EXPECT_TRUE(bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop")));
        return *portal;
    }
    /// Takes the fake portal off the bus; the name is given back before the next Serve().
    void StopServing() {
        if (!portal) return;
        QDBusConnection(portalName)
            .unregisterService(QStringLiteral("org.freedesktop.portal.Desktop"));
        portal.reset();
        QDBusConnection::disconnectFromBus(portalName);
    }
    /// A picture file the portal hands over.
    QString Picture() {
        QImage pic(64, 48, QImage::Format_RGB32);
        pic.fill(QColor(10, 200, 90));
        pic.setPixelColor(63, 47, QColor(250, 0, 0));
        const QString path = dir.filePath(QStringLiteral("Screenshot 1.png"));
        EXPECT_TRUE(pic.save(path));
        return QUrl::fromLocalFile(path).toString();
    }

    QProcess daemon;
    QString address;
    QTemporaryDir dir;
    std::unique_ptr<FakePortal> portal;
    QString portalName;
    int served = 0;
};

TEST_F(PortalScreenshotTest, ThePrivateBusStartsNothingInstalledOnTheMachine) {
    // Installed services (a real portal among them) would take the fakes' names.
    const QDBusMessage answer = client().call(QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("ListActivatableNames")));
    ASSERT_EQ(answer.type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(answer.arguments().value(0).toStringList(),
              QStringList{QStringLiteral("org.freedesktop.DBus")});
}

TEST(WaylandSession, IsToldByThePlatformTheDisplayOrTheSessionType) {
    // XWayland: Qt on xcb, yet a Wayland display is named; its root window reads black.
    EXPECT_TRUE(InWaylandSession(QStringLiteral("xcb"), QStringLiteral("wayland-1"), QString()));
    EXPECT_TRUE(InWaylandSession(QStringLiteral("xcb"), QString(), QStringLiteral("wayland")));
    EXPECT_TRUE(InWaylandSession(QStringLiteral("wayland"), QString(), QString()));
    EXPECT_FALSE(InWaylandSession(QStringLiteral("xcb"), QString(), QStringLiteral("x11")));
    EXPECT_FALSE(InWaylandSession(QStringLiteral("offscreen"), QString(), QString()));
}

TEST_F(PortalScreenshotTest, AGrantedCopyIsReadFromTheFileTheResponseNames) {
    for (bool ownPath : {false, true}) {
        SCOPED_TRACE(ownPath ? "portal's own request path" : "request path from the token");
        FakePortal& fake = Serve();
        fake.uri = Picture();
        fake.ownRequestPath = ownPath;
        const PortalShot shot = TakePortalScreenshot(client(), 5000);
        ASSERT_EQ(shot.outcome, PortalShot::Outcome::Taken) << shot.detail.toStdString();
        EXPECT_EQ(shot.picture.size(), QSize(64, 48));
        EXPECT_EQ(shot.picture.pixelColor(0, 0), QColor(10, 200, 90));
        EXPECT_EQ(shot.picture.pixelColor(63, 47), QColor(250, 0, 0));
        EXPECT_TRUE(PortalShotMessage(shot).isEmpty());
        // No dialog of the portal's own; a token for the request path.
        EXPECT_EQ(fake.calls, 1);
        EXPECT_EQ(fake.options.value(QStringLiteral("interactive")), QVariant(false));
        EXPECT_FALSE(fake.options.value(QStringLiteral("handle_token")).toString().isEmpty());
        StopServing();
    }
}

TEST_F(PortalScreenshotTest, RefusalMissingPortalAndBadAnswersEachSaySo) {
    // No portal on the bus at all.
    PortalShot shot = TakePortalScreenshot(client(), 5000);
    EXPECT_EQ(shot.outcome, PortalShot::Outcome::Missing);
    EXPECT_TRUE(shot.picture.isNull());
    EXPECT_TRUE(PortalShotMessage(shot).contains(QStringLiteral("portal")));

    FakePortal& fake = Serve();
    fake.answer = 1;  // the user said no
    fake.uri = Picture();
    shot = TakePortalScreenshot(client(), 5000);
    EXPECT_EQ(shot.outcome, PortalShot::Outcome::Refused);
    EXPECT_TRUE(shot.picture.isNull());
    EXPECT_EQ(PortalShotMessage(shot), QStringLiteral("The screen copy was refused."));

    fake.answer = 0;  // granted, but the file is not there
    fake.uri = QUrl::fromLocalFile(dir.filePath(QStringLiteral("gone.png"))).toString();
    shot = TakePortalScreenshot(client(), 5000);
    EXPECT_EQ(shot.outcome, PortalShot::Outcome::Failed);
    EXPECT_TRUE(shot.detail.contains(QStringLiteral("gone.png")));
    EXPECT_FALSE(PortalShotMessage(shot).isEmpty());

    fake.silent = true;  // never answers
    shot = TakePortalScreenshot(client(), 300);
    EXPECT_EQ(shot.outcome, PortalShot::Outcome::Failed);
    EXPECT_EQ(fake.calls, 3);
}

}  // namespace
}  // namespace orv::test

#include "portal_screenshot_test.moc"
