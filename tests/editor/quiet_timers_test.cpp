// Quiet when hidden: the magnifier refreshes only while the editor is shown, edge scrolling
// runs only from a left press on the canvas of a shown editor to its release, at a speed a
// person can steer, and "Show" brings the editor to the front.

#include <gtest/gtest.h>

#include <algorithm>

#include "CanvasFixture.h"

namespace orv::test {
namespace {

using QuietTimers = CanvasTest;

bool AnyTimer(Form1& e) {
    return e.Timer2.Enabled() || e.Timer3.Enabled();
}

TEST_F(QuietTimers, TimersRunOnlyWhileTheEditorIsShownAndTheCanvasHeld) {
    Form1& e = ed();
    EXPECT_FALSE(AnyTimer(e));  // loaded, never shown
    app->ShowEditor();
    EXPECT_TRUE(e.Timer3.Enabled());
    EXPECT_FALSE(e.Timer2.Enabled());

    // Left press on the canvas to its release, in any tool; no other button.
    e.Command3_Click();
    e.Picture2.MouseDown(Right(3000, 2000));
    EXPECT_FALSE(e.Timer2.Enabled());
    e.Picture2.MouseUp(Right(3000, 2000));
    e.Picture2.MouseDown(Left(3000, 2000));
    EXPECT_TRUE(e.Timer2.Enabled());
    e.Picture2.MouseUp(Left(3200, 2000));
    EXPECT_FALSE(e.Timer2.Enabled());

    // Hidden with the button still held: nothing runs, and a press does not start anything.
    e.Picture2.MouseDown(Left(3000, 2500));
    e.Image1_Click();
    EXPECT_FALSE(AnyTimer(e));
    e.Picture2.MouseUp(Left(3000, 2500));
    e.Picture2.MouseDown(Left(3000, 2600));
    EXPECT_FALSE(AnyTimer(e));
    e.Picture2.MouseUp(Left(3000, 2600));

    // Shown again through the tray's "Show": the magnifier runs, and the editor comes to
    // the front.
    desktop.calls.clear();
    app->TrayHost().RunMenuItem(QStringLiteral("zjm"));
    EXPECT_TRUE(e.Visible);
    EXPECT_TRUE(e.Timer3.Enabled());
    EXPECT_FALSE(e.Timer2.Enabled());
    EXPECT_NE(std::find(desktop.calls.begin(), desktop.calls.end(),
                        QStringLiteral("SetForeground:form1")),
              desktop.calls.end());

    // A screen measurement has no edge scrolling, pressed or not.
    app->Strip().Text1 = StartMode::ScreenMeasurement;
    e.Picture2.MouseDown(Left(3000, 2000));
    EXPECT_FALSE(e.Timer2.Enabled());
    e.Picture2.MouseUp(Left(3000, 2000));
}

TEST_F(QuietTimers, ATickThatFindsTheEditorHiddenStopsItsTimer) {
    Form1& e = ed();
    app->ShowEditor();
    e.Picture2.MouseDown(Left(3000, 2000));
    ASSERT_TRUE(e.Timer2.Enabled() && e.Timer3.Enabled());
    desktop.calls.clear();
    e.Visible = false;  // hidden by a way that does not know the timers
    e.Timer3.Tick();
    e.Timer2.Tick();
    EXPECT_FALSE(AnyTimer(e));
    EXPECT_TRUE(desktop.calls.empty());  // the screen was not read for the magnifier
}

TEST_F(QuietTimers, EdgeScrollingIsFasterCloserToTheEdgeAndAtMostAScreenPerTwoSeconds) {
    Picture(6000, 4000);
    ed().Command3_Click();
    const float most = ed().Width * static_cast<float>(ed().Timer2.Interval()) / 2000;
    const float mostDown = ed().Height * static_cast<float>(ed().Timer2.Interval()) / 2000;
    float last = 0;
    for (int x : {1911, 1914, 1917, 1919}) {
        SCOPED_TRACE(x);
        desktop.cursor = QPoint(x, 500);
        const float before = ed().Picture2.Left;
        ed().Timer2_Timer();
        const float step = before - ed().Picture2.Left;
        EXPECT_GT(step, last);
        EXPECT_LE(step, most);
        last = step;
    }
    EXPECT_FLOAT_EQ(last, most);  // on the outermost pixel
    desktop.cursor = QPoint(900, 1079);
    const float top = ed().Picture2.Top;
    ed().Timer2_Timer();
    EXPECT_FLOAT_EQ(top - ed().Picture2.Top, mostDown);
    // 10 px in from the edge is outside the zone: no scrolling.
    desktop.cursor = QPoint(1909, 500);
    const float left = ed().Picture2.Left;
    ed().Timer2_Timer();
    EXPECT_EQ(ed().Picture2.Left, left);
}

}  // namespace
}  // namespace orv::test
