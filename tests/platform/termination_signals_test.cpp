// The signals that ask the program to end reach it as an event, one call per burst, with the
// signal's number; nothing is called from inside the signal handler itself.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <signal.h>

#include "platform/TerminationSignals.h"

namespace orv::test {
namespace {

TEST(TerminationSignals, EachEndingSignalArrivesThroughTheEventLoop) {
    std::vector<int> got;
    TerminationSignals catcher([&](int s) { got.push_back(s); });
    for (const int s : {SIGTERM, SIGHUP, SIGINT}) {
        ::raise(s);
        EXPECT_TRUE(std::find(got.begin(), got.end(), s) == got.end())
            << "called from inside the handler";
        QElapsedTimer clock;
        clock.start();
        while (std::find(got.begin(), got.end(), s) == got.end() && clock.elapsed() < 3000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    EXPECT_EQ(got, (std::vector<int>{SIGTERM, SIGHUP, SIGINT}));
}

}  // namespace
}  // namespace orv::test
