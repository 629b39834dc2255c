// One program per session: socket names per display, relative paths made
// absolute, a hand-over between two instances, and a stale socket.
#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QThread>
#include <filesystem>
#include <future>

#include <sys/resource.h>
#include <sys/stat.h>

#include "app/HandOff.h"
#include "app/SingleInstance.h"
#include "platform/FolderFiles.h"
#include "platform/PathBytes.h"

namespace orv::test {
namespace {

TEST(SingleInstanceName, OneSocketPerDisplayInTheRuntimeFolder) {
    const QString x0 = InstanceSocketName("/run/user/1000", "", ":0");
    EXPECT_EQ(x0, InstanceSocketName("/run/user/1000", "", ":0"));
    EXPECT_TRUE(x0.startsWith("/run/user/1000/orvane-"));
    EXPECT_NE(x0, InstanceSocketName("/run/user/1000", "", ":1"));
    EXPECT_NE(x0, InstanceSocketName("/run/user/1001", "", ":0"));
    // On Wayland the Wayland display names the session, whatever DISPLAY says.
    EXPECT_EQ(InstanceSocketName("/r", "wayland-0", ":0"),
              InstanceSocketName("/r", "wayland-0", ":5"));
    EXPECT_NE(InstanceSocketName("/r", "wayland-0", ":0"),
              InstanceSocketName("/r", "wayland-1", ":0"));
    EXPECT_NE(InstanceSocketName("/r", "", ":0"), InstanceSocketName("/r", ":0", ""));
    // A display text never makes a path of its own.
    EXPECT_FALSE(InstanceSocketName("/r", "../../tmp/x", "").mid(3).contains('/'));
}

TEST(SingleInstanceName, RelativePathsBecomeAbsoluteAgainstTheStartFolder) {
    EXPECT_EQ(AbsoluteCommandLine("pic.png", "/home/u/Pictures"), "/home/u/Pictures/pic.png");
    EXPECT_EQ(AbsoluteCommandLine("\"my pic.png\"", "/w"), "/w/my pic.png");
    EXPECT_EQ(AbsoluteCommandLine("../a.png", "/w/x"), "/w/a.png");
    EXPECT_EQ(AbsoluteCommandLine("/abs/pic.png", "/w"), "/abs/pic.png");
    EXPECT_EQ(AbsoluteCommandLine("\"/abs/p q.png\"", "/w"), "\"/abs/p q.png\"");
    EXPECT_EQ(AbsoluteCommandLine("", "/w"), "");
    // A quote inside a relative name is kept.
    EXPECT_EQ(AbsoluteCommandLine("a\"b.png", "/w"), "/w/a\"b.png");
}

TEST(HandOffMessage, AnyNameTravelsInOneLineAndHostileMessagesAreRefused) {
    const QString odd = QStringLiteral("/a\\n\\\\b\nc\r") + QChar(0) + QStringLiteral("d \u56fe");
    const QByteArray message = EncodeHandOff(odd);
    EXPECT_EQ(message.indexOf('\n'), message.size() - 1);
    EXPECT_FALSE(message.contains('\0'));
    EXPECT_EQ(DecodeHandOff(message.chopped(1)), odd);
    // An older sender's backslash that starts no escape stands for itself.
    EXPECT_EQ(DecodeHandOff("C:\\x\\"), QStringLiteral("C:\\x\\"));
    // A name that is not UTF-8 goes as its own bytes, as an older sender's valid names did.
    const QString latin1 = PathFromBytes("/p/caf\xe9 \xff\xfe.png");
    const QByteArray raw = EncodeHandOff(latin1);
    EXPECT_EQ(raw, QByteArray("/p/caf\xe9 \xff\xfe.png\n"));
    EXPECT_EQ(DecodeHandOff(raw.chopped(1)), latin1);
    EXPECT_EQ(EncodeHandOff(QStringLiteral("/p/caf\u00e9.png")),
              QByteArray("/p/caf\xc3\xa9.png\n"));
    EXPECT_FALSE(DecodeHandOff(QByteArray(kMaxHandOffBytes, 'a')).has_value());
    EXPECT_TRUE(DecodeHandOff(QByteArray(kMaxHandOffBytes - 1, 'a')).has_value());
}

class SingleInstanceTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    /// Hands text over from another thread while this one serves the socket.
    bool HandOffFromElsewhere(const QString& name, const QString& text) {
        auto done = std::async(std::launch::async, [&] {
            SingleInstance second(name);
            return second.HandOffOrListen(text, 2000);
        });
        while (done.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
            QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        return done.get();
    }
    QTemporaryDir dir;
};

TEST_F(SingleInstanceTest, FirstStartListensAndLaterStartsHandTheirPathOver) {
    const QString name = dir.filePath("orvane-x-_0");
    SingleInstance first(name);
    QStringList received;
    first.Received = [&](const QString& text) { received << text; };
    EXPECT_FALSE(first.HandOffOrListen("", 500));
    ASSERT_TRUE(first.Listening());

    EXPECT_TRUE(HandOffFromElsewhere(name, "/pictures/图片 one.png"));
    EXPECT_TRUE(HandOffFromElsewhere(name, ""));
    // A newline, a NUL or a backslash in a name arrives as it was sent, in one command line.
    EXPECT_TRUE(HandOffFromElsewhere(name, "a\nb"));
    const QString odd = QStringLiteral("/p/x\\n\r") + QChar(0) + QStringLiteral("\\\\y.png");
    EXPECT_TRUE(HandOffFromElsewhere(name, odd));
    EXPECT_EQ(received, (QStringList{"/pictures/图片 one.png", "", "a\nb", odd}));
}

TEST_F(SingleInstanceTest, OtherDisplaysAndStaleSocketsDoNotBlockAStart) {
    SingleInstance onZero(InstanceSocketName(dir.path(), "", ":0"));
    int received = 0;
    onZero.Received = [&](const QString&) { ++received; };
    ASSERT_FALSE(onZero.HandOffOrListen("", 500));

    // Another display of the same user becomes a running program of its own.
    SingleInstance onOne(InstanceSocketName(dir.path(), "", ":1"));
    EXPECT_FALSE(onOne.HandOffOrListen("x.png", 500));
    EXPECT_TRUE(onOne.Listening());
    EXPECT_EQ(received, 0);

    // Something left where the socket goes by a run that crashed.
    const QString stale = dir.filePath("orvane-x-_7");
    QFile leftover(stale);
    ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
    leftover.close();
    SingleInstance next(stale);
    EXPECT_FALSE(next.HandOff("x.png", 500));
    EXPECT_FALSE(next.HandOffOrListen("x.png", 500));
    EXPECT_TRUE(next.Listening());
}

TEST_F(SingleInstanceTest, AnUnansweredSocketIsNoRunningProgram) {
    // A server that accepts but never answers (a hung or foreign program).
    const QString name = dir.filePath("orvane-x-_9");
    QLocalServer mute;
    ASSERT_TRUE(mute.listen(name));
    auto done =
        std::async(std::launch::async, [&] { return SingleInstance(name).HandOff("p", 300); });
    while (done.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
        QCoreApplication::processEvents();
    EXPECT_FALSE(done.get());
}

// Runs the event loop until `done` holds or `ms` have passed.
template <class Done>
bool ServeUntil(Done done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return done();
}

TEST_F(SingleInstanceTest, ABusyRunningProgramIsNeverReplacedAndGetsThePathWhenFree) {
    const QString name = dir.filePath("orvane-x-_3");
    SingleInstance first(name);
    QStringList received;
    first.Received = [&](const QString& text) { received << text; };
    ASSERT_FALSE(first.HandOffOrListen("", 500));
    // The first program is busy: this thread serves nothing while the second start runs.
    auto second = std::async(std::launch::async, [&] {
        SingleInstance start(name);
        const bool handedOver = start.HandOffOrListen("/big.psd", 3000);
        return std::make_pair(handedOver, start.Listening());
    });
    ASSERT_EQ(second.wait_for(std::chrono::seconds(30)), std::future_status::ready)
        << "the second start waited on a busy program";
    const auto [handedOver, listening] = second.get();
    EXPECT_TRUE(handedOver);
    EXPECT_FALSE(listening);
    EXPECT_TRUE(first.Listening());
    EXPECT_TRUE(QFileInfo::exists(name)) << "the busy program's socket was removed";
    // Free again, the first program finds the path that was left for it.
    EXPECT_TRUE(ServeUntil([&] { return !received.isEmpty(); }, 10000));
    EXPECT_EQ(received, QStringList{"/big.psd"});
}

TEST_F(SingleInstanceTest, AMessageWithoutItsLineEndIsCutOffAndTheProgramStaysReachable) {
    const QString name = dir.filePath("orvane-x-_4");
    SingleInstance first(name);
    QStringList received;
    first.Received = [&](const QString& text) { received << text; };
    ASSERT_FALSE(first.HandOffOrListen("", 500));
    // 50 MB of name and no line end, written as fast as the program takes it.
    auto flood = std::async(std::launch::async, [&] {
        QLocalSocket socket;
        socket.connectToServer(name);
        if (!socket.waitForConnected(5000)) return qint64(-1);
        const QByteArray chunk(1 << 20, 'a');
        qint64 sent = 0;
        while (sent < qint64(50) << 20 && socket.state() == QLocalSocket::ConnectedState) {
            socket.write(chunk);
            if (!socket.waitForBytesWritten(5000)) break;
            sent += chunk.size();
        }
        return sent;
    });
    while (flood.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
        QCoreApplication::processEvents();
    const qint64 sent = flood.get();
    EXPECT_GE(sent, 0);
    EXPECT_LT(sent, qint64(50) << 20) << "the whole flood was taken";
    EXPECT_TRUE(received.isEmpty());
    EXPECT_TRUE(HandOffFromElsewhere(name, "/after.png"));
    EXPECT_EQ(received, QStringList{"/after.png"});
}

TEST_F(SingleInstanceTest, IdleConnectionsAreCappedAndDroppedAndStartsGetThroughAfterwards) {
    rlimit files{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &files), 0);
    if (files.rlim_max < 2400) GTEST_SKIP() << "too few descriptors allowed";
    const rlimit raised{2400, files.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &raised), 0);
    const QString name = dir.filePath("orvane-x-_5");
    SingleInstance first(name);
    int received = 0;
    first.Received = [&](const QString&) { ++received; };
    ASSERT_FALSE(first.HandOffOrListen("", 500));
    {
        std::vector<std::unique_ptr<QLocalSocket>> idle;
        for (int i = 0; i < 1100; ++i) {
            idle.push_back(std::make_unique<QLocalSocket>());
            idle.back()->connectToServer(name);
            if (i % 50 == 0) QCoreApplication::processEvents();
        }
        ServeUntil([] { return false; }, 500);
        EXPECT_LE(first.Connections(), 32);
        EXPECT_GT(first.Connections(), 0);
        // Idle ones are let go once their few seconds are up.
        EXPECT_TRUE(ServeUntil([&] { return first.Connections() == 0; }, 15000));
    }
    ::setrlimit(RLIMIT_NOFILE, &files);
    EXPECT_TRUE(HandOffFromElsewhere(name, "/late.png"));
    EXPECT_EQ(received, 1);
}

TEST(SingleInstanceFolder, ARuntimeFolderOthersMayEnterIsReplacedByAPrivateOne) {
    QTemporaryDir home;
    const QByteArray oldCache = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_CACHE_HOME", (home.path() + "/cache").toUtf8());
    const QString open = home.path() + "/runtime-open";
    ASSERT_TRUE(QDir().mkpath(open));
    ASSERT_TRUE(QFile::setPermissions(open, QFileDevice::Permissions(0x7777)));
    const QString own = PrivateRuntimeFolder(open);
    EXPECT_EQ(own, home.path() + "/cache/orvane-runtime");
    EXPECT_EQ(QFileInfo(own).permissions() & 0x0077, 0);
    EXPECT_TRUE(QFileInfo(own).isDir());
    // Missing: the same private folder, never the root.
    EXPECT_EQ(PrivateRuntimeFolder(QString()), own);
    EXPECT_FALSE(SessionSocketName().startsWith("/orvane-"));
    // A private folder of the user's is kept.
    const QString closed = home.path() + "/runtime-closed";
    ASSERT_TRUE(QDir().mkpath(closed));
    ASSERT_TRUE(QFile::setPermissions(
        closed, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    EXPECT_EQ(PrivateRuntimeFolder(closed), closed);
    if (oldCache.isNull())
        qunsetenv("XDG_CACHE_HOME");
    else
        qputenv("XDG_CACHE_HOME", oldCache);
}

// Qt's sockets cannot be made in a folder whose name is not UTF-8: a home of such a name
// gets a private folder of the user's own that Qt can name, where a second start finds the
// first.
TEST_F(SingleInstanceTest, AHomeWhoseNameIsNotUtf8StillGetsASocket) {
    QTemporaryDir base;
    const QByteArray oldCache = qgetenv("XDG_CACHE_HOME");
    const QByteArray home = base.path().toUtf8() + "/caf\xe9";
    qputenv("XDG_CACHE_HOME", home + "/cache");
    ASSERT_EQ(::mkdir(home.constData(), 0700), 0);
    const QString escaped = PathFromBytes(home);
    const QString folder = PrivateRuntimeFolder(escaped);  // private, but not one Qt can name
    EXPECT_FALSE(HoldsEscapedBytes(folder)) << folder.toStdString();
    EXPECT_TRUE(IsPrivateFolder(folder));
    EXPECT_EQ(PrivateRuntimeFolder(QString()), folder);
    // Nothing was made beside the home under another name (the one Qt would spell it by).
    std::vector<std::string> beside;
    for (const auto& entry : std::filesystem::directory_iterator(base.path().toStdString()))
        beside.push_back(entry.path().filename().string());
    EXPECT_EQ(beside, std::vector<std::string>{"caf\xe9"});
    {
        const QString name = InstanceSocketName(folder, QString(), QStringLiteral(":97"));
        SingleInstance first(name);
        EXPECT_FALSE(first.HandOffOrListen(QStringLiteral("/a.png"), 500));
        EXPECT_TRUE(first.Listening());
        EXPECT_TRUE(HandOffFromElsewhere(name, "/b.png"));
    }
    RemoveEmptyFolder(folder);
    std::filesystem::remove_all(home.toStdString());
    if (oldCache.isNull())
        qunsetenv("XDG_CACHE_HOME");
    else
        qputenv("XDG_CACHE_HOME", oldCache);
}

}  // namespace
}  // namespace orv::test
