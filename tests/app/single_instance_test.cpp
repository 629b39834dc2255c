// One program per session: socket names per display, relative paths made
// absolute, a hand-over between two instances, and a stale socket.
#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QTemporaryDir>
#include <future>

#include "app/SingleInstance.h"

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
    // A newline cannot split one command line in two.
    EXPECT_TRUE(HandOffFromElsewhere(name, "a\nb"));
    EXPECT_EQ(received, (QStringList{"/pictures/图片 one.png", "", "a b"}));
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

}  // namespace
}  // namespace orv::test
