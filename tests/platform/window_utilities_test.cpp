// The message-pumping wait and the window-drag routines.
#include <gtest/gtest.h>

#include "AppFixture.h"
#include "platform/WaitableTimer.h"
#include "platform/moveit.h"

namespace orv::test {
namespace {

TEST(WaitableTimer, NamesItsTimerRefusesBadDurationsAndNestsWaits) {
    // Executable name + "Timer" + minutes and seconds; the hour is left out.
    EXPECT_EQ(clsWaitableTimer::TimerName("Orvane", QTime(9, 7, 5)),
              QStringLiteral("OrvaneTimer0705"));
    FakeDesktop d;
    clsWaitableTimer w(d);
    for (int ms : {-5, 0, 214749}) {
        try {
            w.Wait(ms);
            ADD_FAILURE() << ms << " ms accepted";
        } catch (const WaitError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("[clsWaitableTimer.Wait]", 0), 0u);
        }
    }
    // A second wait started by an event handled inside the first runs on its own;
    // the first still completes and the object ends idle.
    int innerDepth = 0;
    d.duringWait = [&] {
        w.Wait(50);
        innerDepth = w.Depth();
    };
    w.Wait(214748);
    EXPECT_EQ(innerDepth, 1);
    EXPECT_EQ(w.Depth(), 0);
    ASSERT_EQ(d.waits.size(), 2u);
    EXPECT_EQ(d.waits[0].first, 214748);
    EXPECT_EQ(d.waits[1].first, 50);
    EXPECT_TRUE(d.waits[0].second.startsWith(QStringLiteral("orvaneTimer")));
}

TEST(MoveIt, DragDoesNothingOnAMaximisedWindow) {
    FakeDesktop d;
    Form f(QStringLiteral("form3"));
    f.WindowState = 2;
    DragWindow(d, f);
    DragMagnifierView(d, f);
    EXPECT_TRUE(d.calls.empty());
    f.WindowState = 0;
    DragWindow(d, f);
    DragMagnifierView(d, f);
    EXPECT_EQ(d.calls, (std::vector<QString>{"ReleaseCapture:form3", "StartSystemMove:form3/",
                                             "ReleaseCapture:form3", "StartSystemMove:form3/fd"}));
}

}  // namespace
}  // namespace orv::test
