// Hand-offs one at a time: a hand-off that arrives while another is being taken, or while a
// box is up, waits; of several waiting only the last is taken and the rest are counted.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <thread>

#include "app/SingleInstance.h"

namespace orv::test {
namespace {

// Sends lines over the socket from other threads, `count` connections at once: the prefix
// and the connection's number, or the prefix alone.
void SendMany(const QString& name, int count, const QString& prefix, bool numbered = true) {
    std::vector<std::thread> senders;
    for (int i = 0; i < count; ++i)
        senders.emplace_back([&, i] {
            QLocalSocket socket;
            socket.connectToServer(name);
            if (!socket.waitForConnected(3000)) return;
            socket.write((prefix + (numbered ? QString::number(i) : QString()) + QLatin1Char('\n'))
                             .toUtf8());
            socket.waitForBytesWritten(3000);
            socket.waitForReadyRead(3000);
        });
    for (auto& t : senders) t.join();
}

template <class Done>
void PumpUntil(Done done, int ms = 5000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

TEST(HandOffQueue, NoHandOffEverRunsInsideAnotherAndTheLastWaitingWins) {
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("orvane-x-_9"));
    SingleInstance running(name);
    ASSERT_TRUE(running.Listen());
    int depth = 0, deepest = 0;
    std::vector<QString> taken;
    std::vector<int> leftOut;
    bool boxUp = false;
    running.LeftOut = [&](int n) { leftOut.push_back(n); };
    running.Busy = [&] { return boxUp; };
    running.Received = [&](const QString& text) {
        deepest = std::max(deepest, ++depth);
        taken.push_back(text);
        if (taken.size() == 1) {
            // The first one shows a box: everything sent meanwhile arrives inside it.
            std::thread more([&] { SendMany(name, 60, QStringLiteral("/missing/b")); });
            PumpUntil([&] { return running.Waiting() >= 60; });
            more.join();
        }
        --depth;
    };
    std::thread first([&] { SendMany(name, 1, QStringLiteral("/missing/a")); });
    PumpUntil([&] { return taken.size() >= 2; });
    first.join();
    ASSERT_EQ(taken.size(), 2u);
    EXPECT_EQ(deepest, 1);
    EXPECT_EQ(taken[0], QStringLiteral("/missing/a0"));
    EXPECT_TRUE(taken[1].startsWith(QStringLiteral("/missing/b")));
    EXPECT_EQ(leftOut, std::vector<int>{59});

    // While a box of the user's own is up nothing is taken; afterwards the last one is.
    boxUp = true;
    std::thread later([&] { SendMany(name, 5, QStringLiteral("/c")); });
    PumpUntil([&] { return running.Waiting() >= 5; });
    later.join();
    for (int i = 0; i < 30; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(taken.size(), 2u);
    boxUp = false;
    PumpUntil([&] { return taken.size() >= 3; });
    ASSERT_EQ(taken.size(), 3u);
    EXPECT_EQ(leftOut.back(), 4);
    EXPECT_EQ(running.Waiting(), 0u);
}

TEST(HandOffQueue, EmptyHandOffsAreNeitherChosenNorCounted) {
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("orvane-x-_8"));
    SingleInstance running(name);
    ASSERT_TRUE(running.Listen());
    std::vector<QString> taken;
    int leftOut = 0;
    bool boxUp = true;
    running.Busy = [&] { return boxUp; };
    running.LeftOut = [&](int n) { leftOut += n; };
    running.Received = [&](const QString& text) { taken.push_back(text); };
    std::thread senders([&] {
        SendMany(name, 1, QStringLiteral("/pic"));
        SendMany(name, 2, QStringLiteral(" "), false);
        SendMany(name, 1, QString(), false);
    });
    PumpUntil([&] { return running.Waiting() >= 4; });
    senders.join();
    EXPECT_EQ(running.Waiting(), 4u);
    boxUp = false;
    PumpUntil([&] { return !taken.empty(); });
    ASSERT_EQ(taken.size(), 1u);
    EXPECT_EQ(taken[0], QStringLiteral("/pic0"));
    EXPECT_EQ(leftOut, 0);
}

}  // namespace
}  // namespace orv::test
