// A form that covers a screen is a full-screen window on that screen, also on a
// monitor that does not start at the desktop's origin. Runs as
// platform_two_screens, on an offscreen desktop of two screens side by side.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

#include "platform/Form.h"
#include "platform/Screen.h"
#include "platform/qt/FormWindow.h"

namespace orv::test {
namespace {

QScreen* ScreenAt(QPoint corner) {
    for (QScreen* s : QGuiApplication::screens())
        if (s->geometry().topLeft() == corner) return s;
    return nullptr;
}

TEST(TwoScreens, AFormCoveringEitherScreenIsFullScreenThere) {
    if (QGuiApplication::screens().size() < 2) GTEST_SKIP() << "needs the two-screen desktop";
    for (QPoint corner : {QPoint(1920, 0), QPoint(0, 0)}) {
        SCOPED_TRACE(corner.x());
        QScreen* target = ScreenAt(corner);
        ASSERT_NE(target, nullptr);
        const float t = 15.0f;
        Screen() = ScreenInfo{t, t, 1920 * t, 1080 * t, corner.x() * t, corner.y() * t};
        Form form{QStringLiteral("editor")};
        form.Left = corner.x() * t;
        form.Top = corner.y() * t;
        form.Width = 1920 * t;
        form.Height = 1080 * t;
        form.Visible = true;
        FormWindow w(form);
        w.Sync();
        EXPECT_TRUE(w.isFullScreen());
        EXPECT_EQ(w.screen(), target);
        EXPECT_EQ(w.geometry(), target->geometry());
    }
}

}  // namespace
}  // namespace orv::test
